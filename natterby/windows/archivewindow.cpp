#include "natterby/windows/archivewindow.h"

#include "natterby/windows/privatemessagewindow.h"
#include "natterby/windows/widgettext.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace natterby::windows {

namespace {

constexpr int kWidth = 584;
constexpr int kHeight = 368;
constexpr int kColumnWidths[] = {39, 110, 90, 300};

} // namespace

ArchiveWindow::ArchiveWindow(const WindowContext& context, std::string archivePath, Question ask,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), archivePath_(std::move(archivePath)),
      ask_(std::move(ask)) {
    setAttribute(Qt::WA_DeleteOnClose);
    if (context_.image) {
        setWindowIcon(context_.image(kMessageWindowIcon));
    }
    const common::CodePage& codePage = context_.codePage;
    const protocol::ChatTexts& texts = context_.texts;

    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("records"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(false);
    list_->setHeaderLabels({QStringLiteral("<=>"),
                            toWidgetLine(codePage, texts.get("SysMes", "TimeTXT")),
                            toWidgetLine(codePage, texts.get("SysMes", "NickTXT")),
                            toWidgetLine(codePage, texts.get("SysMes", "MessageTXT"))});
    for (int column = 0; column < 4; ++column) {
        list_->setColumnWidth(column, kColumnWidths[column]);
    }

    records_ = archive::readArchive(archivePath_);
    for (const archive::ArchiveRecord& record : records_) {
        // Every text line ends in a line break; the last one would only add an empty line.
        QString text = toWidgetText(codePage, record.text);
        if (text.endsWith(u'\n')) {
            text.chop(1);
        }
        list_->addTopLevelItem(new QTreeWidgetItem({toWidgetLine(codePage, record.marker),
                                                    toWidgetLine(codePage, record.time),
                                                    toWidgetLine(codePage, record.nick), text}));
    }

    // The time and the nick columns grow to what they hold, so that the desktop's font never
    // cuts a time stamp short.
    for (int column : {1, 2}) {
        list_->resizeColumnToContents(column);
        list_->setColumnWidth(column, std::max(list_->columnWidth(column), kColumnWidths[column]));
    }
    connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) { reopen(row); });
    list_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    setWindowTitle(toWidgetLine(codePage, texts.get("SysMes", "ArhivTXT")));
    resize(kWidth, kHeight);
}

bool ArchiveWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            doubleClicked_ = false;
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            doubleClicked_ = true;
            offerToEmpty();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ArchiveWindow::reopen(QTreeWidgetItem* row) {
    const int index = list_->indexOfTopLevelItem(row);
    if (doubleClicked_ || index < 0 || static_cast<std::size_t>(index) >= records_.size()) {
        return;
    }
    auto* window = new PrivateMessageWindow(context_, parentWidget());
    window->reopen(records_[static_cast<std::size_t>(index)]);
}

void ArchiveWindow::offerToEmpty() {
    if (!ask_(context_.texts.get("SysMes", "DeleteTXT"))) {
        return;
    }
    list_->clear();
    records_.clear();
    archive::clearArchive(archivePath_);
}

} // namespace natterby::windows
