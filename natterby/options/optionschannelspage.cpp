#include "natterby/options/optionschannelspage.h"

#include "natterby/settings/channellist.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace natterby::settings {

namespace {

QListWidgetItem* checkableRow(QListWidget* list, const QString& name, bool ticked) {
    auto* row = new QListWidgetItem(name, list);
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return row;
}

QListWidget* namedList(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QLatin1String(name));
    return list;
}

} // namespace

OptionsChannelsPage::OptionsChannelsPage(OptionsContext& context) : context_(context) {
    OptionsSeams& seams = context_.seams;
    yours_ = namedList("yourChannels");
    others_ = namedList("otherChannels");
    logged_ = namedList("protocolling");
    // The lists as the file holds them now, which is what the next start will open.
    const common::ProfileFile& file = seams.settingsFile;
    for (const ChannelEntry& entry : parseChannelList(file.readText("Channels", "Channels", ""),
                                                      file.readText("Channels", "ChannelsVis", ""),
                                                      file.readText("Channels", "Protocol", ""))) {
        checkableRow(yours_, context_.toUi(entry.name), entry.visible);
        checkableRow(logged_, context_.toUi(entry.name), entry.logged);
    }
    seams.chat.requestChannelList();
    // Only the user's own clicks count, so the rows filled above are not one.
    const auto touched = [this] { context_.restart = true; };
    connect(logged_, &QListWidget::itemClicked, this, touched);
    connect(logged_, &QListWidget::itemChanged, this, touched);

    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("channelName"));
    logFolder_ = new QLineEdit(context_.toUi(seams.settings.channels.pathProto));
    logFolder_->setObjectName(QStringLiteral("logFolder"));
    archive_ = new QCheckBox(context_.caption("Arhiv"));
    archive_->setObjectName(QStringLiteral("archive"));
    archive_->setChecked(seams.settings.view.arhive);

    const auto button = [&](const QString& caption, const char* name, auto action) {
        auto* pushButton = new QPushButton(caption);
        pushButton->setObjectName(QLatin1String(name));
        pushButton->setAutoDefault(false);
        connect(pushButton, &QPushButton::clicked, this, action);
        return pushButton;
    };
    auto* add = button(context_.caption("Add"), "addChannel", [this] {
        if (!name_->text().isEmpty() && !isOwnChannel(name_->text())) {
            addOwnChannel(name_->text());
            name_->clear();
        }
    });
    auto* take = button(QStringLiteral("<<"), "takeChannel", [this] {
        const QList<QListWidgetItem*> selected = others_->selectedItems();
        if (!selected.isEmpty() && !isOwnChannel(selected.front()->text())) {
            addOwnChannel(selected.front()->text());
        }
    });
    auto* remove = button(context_.caption("Del"), "deleteChannel", [this] { deleteOwnChannel(); });
    auto* refresh =
        button(context_.caption("Interface", "Refresh"), "refresh", [this] { this->refresh(); });
    auto* browse = button(context_.caption("Browse"), "browse", [this] { this->browse(); });

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(take);
    middle->addWidget(remove);
    middle->addStretch();
    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(context_.caption("YouCh")), 0, 0);
    lists->addWidget(yours_, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(new QLabel(context_.caption("OtherCh")), 0, 2);
    lists->addWidget(others_, 1, 2);
    lists->addWidget(new QLabel(context_.caption("ProtocolCh")), 0, 3);
    lists->addWidget(logged_, 1, 3);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(name_);
    nameRow->addWidget(add);
    lists->addLayout(nameRow, 2, 0);
    lists->addWidget(refresh, 2, 2);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(context_.caption("ProtocolPh")));
    folderRow->addWidget(logFolder_, 1);
    folderRow->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(folderRow);
    layout->addWidget(archive_);
}

bool OptionsChannelsPage::isOwnChannel(const QString& name) const {
    for (int row = 0; row < yours_->count(); ++row) {
        if (context_.sameIgnoringCase(yours_->item(row)->text(), name)) {
            return true;
        }
    }
    return false;
}

void OptionsChannelsPage::addOwnChannel(const QString& name) {
    checkableRow(yours_, name, true);
    checkableRow(logged_, name, false);
    context_.restart = true;
}

void OptionsChannelsPage::deleteOwnChannel() {
    const int row = yours_->currentRow();
    if (row < 0 || yours_->selectedItems().isEmpty()) {
        return;
    }
    delete yours_->takeItem(row);
    delete logged_->takeItem(row);
    context_.restart = true;
}

void OptionsChannelsPage::addOtherChannels(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const QString shown = context_.toUi(name);
        if (!name.empty() && others_->findItems(shown, Qt::MatchExactly).isEmpty()) {
            others_->addItem(shown);
        }
    }
}

void OptionsChannelsPage::refresh() {
    others_->clear();
    context_.seams.chat.requestChannelList();
}

void OptionsChannelsPage::browse() {
    if (const std::optional<QString> folder =
            context_.seams.choosers.chooseFolder(this, logFolder_->text())) {
        logFolder_->setText(*folder);
    }
    context_.restart = true;
}

void OptionsChannelsPage::applyLogFolder() {
    ChannelSettings& channels = context_.seams.settings.channels;
    const std::string folder = context_.toAnsi(logFolder_->text());
    if (folder != channels.pathProto) {
        context_.seams.settingsFile.writeText("Channels", "PathProto", folder);
        channels.pathProto = folder;
    }
}

void OptionsChannelsPage::applyChannelLists() {
    std::string names;
    std::string visible;
    std::string logged;
    const auto flag = [](const QListWidgetItem* row) {
        return row->checkState() == Qt::Checked ? "#1" : "#0";
    };
    for (int row = 0; row < yours_->count(); ++row) {
        names += "#" + context_.toAnsi(yours_->item(row)->text());
        visible += flag(yours_->item(row));
    }
    for (int row = 0; row < logged_->count(); ++row) {
        logged += flag(logged_->item(row));
    }
    const common::ProfileFile& file = context_.seams.settingsFile;
    file.writeText("Channels", "Channels", names);
    file.writeText("Channels", "ChannelsVis", visible);
    file.writeText("Channels", "Protocol", logged);
}

void OptionsChannelsPage::applyArchive() {
    ViewSettings& view = context_.seams.settings.view;
    if (archive_->isChecked() != view.arhive) {
        view.arhive = archive_->isChecked();
        context_.seams.settingsFile.writeText("View", "Arhive", view.arhive ? "1" : "0");
    }
}

} // namespace natterby::settings
