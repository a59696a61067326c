#include "couriel/window/filebrowser.h"

#include "couriel/program/folders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeDatabase>
#include <QSignalBlocker>
#include <algorithm>
#include <set>

namespace couriel {

namespace {

constexpr int kNameWidth = 202;
constexpr int kSizeWidth = 102;
constexpr int kDateWidth = 100;
constexpr int kRelistDelay = 150;
constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

bool listable(const std::string& folder) {
    const QFileInfo info(QFile::decodeName(folder.c_str()));
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

FileBrowser::FileBrowser(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")});
    setColumnWidth(0, kNameWidth);
    setColumnWidth(1, kSizeWidth);
    setColumnWidth(2, kDateWidth);
    // The date and time need more than their column's width in most fonts; the rest of the
    // row is free for them.
    header()->setStretchLastSection(true);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);

    relist_.setSingleShot(true);
    relist_.setInterval(kRelistDelay);
    connect(&relist_, &QTimer::timeout, this, &FileBrowser::folderTouched);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { relist_.start(); });
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { open(item); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr && kindOf(item) == File && onFileFocused) {
            onFileFocused(nameOf(item));
        }
    });
}

bool FileBrowser::goTo(const std::string& folder) {
    if (!listable(folder)) {
        return false;
    }
    if (folder == folder_) {
        list();
        return true;
    }
    if (!watcher_.directories().isEmpty()) {
        watcher_.removePaths(watcher_.directories());
    }
    folder_ = folder;
    watcher_.addPath(QFile::decodeName(folder_.c_str()));
    clear();
    list();
    if (onFolderChanged) {
        onFolderChanged();
    }
    return true;
}

void FileBrowser::list() {
    std::set<std::string> selected;
    for (const QTreeWidgetItem* item : selectedItems()) {
        selected.insert(nameOf(item));
    }
    const std::string current = currentItem() != nullptr ? nameOf(currentItem()) : std::string();
    // A new listing is no move of the focus: the status line keeps what the transfer shows.
    const QSignalBlocker quiet(this);

    clear();
    if (parentFolder(folder_)) {
        addEntry(Parent, QString::fromLatin1(kParentEntry), nullptr);
    }
    const QDir dir(QFile::decodeName(folder_.c_str()));
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                          QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : entries) {
        addEntry(info.isDir() ? Folder : File, info.fileName(), &info);
    }

    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const std::string name = nameOf(item);
        if (name == current) {
            setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
        item->setSelected(selected.contains(name));
    }
}

void FileBrowser::addEntry(Kind kind, const QString& name, const QFileInfo* info) {
    auto* item = new QTreeWidgetItem(this);
    item->setData(0, kKindRole, kind);
    item->setData(0, kNameRole, QFile::encodeName(name));
    item->setText(0, name);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    if (kind == Parent) {
        item->setIcon(0, icons_.icon(QFileIconProvider::Folder));
        return;
    }
    if (kind == Folder) {
        item->setIcon(0, icons_.icon(QFileIconProvider::Folder));
        item->setText(1, icons_.type(*info));
    } else {
        // By the name only: guessing from the content would read every file of the folder.
        static const QMimeDatabase mimeTypes;
        const QMimeType type = mimeTypes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        item->setIcon(0, QIcon::fromTheme(type.iconName(),
                                          QIcon::fromTheme(type.genericIconName(),
                                                           icons_.icon(QFileIconProvider::File))));
        item->setText(1, QString::number(info->size()));
    }
    item->setText(2, info->lastModified().toString(QStringLiteral("dd.MM.yy HH:mm")));
}

bool FileBrowser::hasSelection() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return std::any_of(selected.begin(), selected.end(),
                       [](const QTreeWidgetItem* item) { return kindOf(item) != Parent; });
}

std::vector<std::string> FileBrowser::takeSelection() {
    std::vector<std::string> names;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->isSelected() && kindOf(item) != Parent) {
            names.push_back(nameOf(item));
        }
        item->setSelected(false);
    }
    return names;
}

void FileBrowser::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        goUp();
    } else if (event->key() == Qt::Key_Backslash && event->modifiers() == Qt::ControlModifier) {
        if (onRootWanted) {
            onRootWanted();
        }
    } else {
        QTreeWidget::keyPressEvent(event);
    }
}

void FileBrowser::open(QTreeWidgetItem* item) {
    switch (kindOf(item)) {
    case Parent:
        goUp();
        return;
    case Folder:
        goTo(asFolder(folder_ + nameOf(item)));
        return;
    case File:
        if (onFileOpened) {
            onFileOpened(folder_ + nameOf(item));
        }
        return;
    }
}

void FileBrowser::goUp() {
    if (const std::optional<std::string> parent = parentFolder(folder_)) {
        goTo(*parent);
    }
}

void FileBrowser::folderTouched() {
    // A folder removed under the browser leaves it in the nearest one that is still there.
    std::string folder = folder_;
    while (!listable(folder) && folder != "/") {
        folder = parentFolder(folder).value_or("/");
    }
    goTo(folder);
}

FileBrowser::Kind FileBrowser::kindOf(const QTreeWidgetItem* item) {
    return static_cast<Kind>(item->data(0, kKindRole).toInt());
}

std::string FileBrowser::nameOf(const QTreeWidgetItem* item) {
    return item->data(0, kNameRole).toByteArray().toStdString();
}

} // namespace couriel
