#include "natterby/options/optionsignorepage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace natterby::settings {

namespace {

// A stored list is "#" + nick for each nick, then one more "#".
std::vector<std::string> splitIgnoreList(std::string_view stored) {
    std::vector<std::string> nicks;
    if (stored.empty()) {
        return nicks;
    }
    stored.remove_prefix(1);
    while (!stored.empty()) {
        const std::size_t end = std::min(stored.find('#'), stored.size());
        if (end > 0) {
            nicks.emplace_back(stored.substr(0, end));
        }
        stored.remove_prefix(std::min(end + 1, stored.size()));
    }
    return nicks;
}

bool listHas(const OptionsContext& context, const QListWidget* list, const QString& text) {
    for (int row = 0; row < list->count(); ++row) {
        if (context.sameIgnoringCase(list->item(row)->text(), text)) {
            return true;
        }
    }
    return false;
}

} // namespace

OptionsIgnorePage::OptionsIgnorePage(OptionsContext& context) : context_(context) {
    const IgnoreSettings& ignore = context_.seams.settings.ignore;
    const auto makeList = [&](const std::string& stored, const char* name) {
        auto* list = new QListWidget;
        list->setObjectName(QLatin1String(name));
        for (const std::string& nick : splitIgnoreList(stored)) {
            list->addItem(context_.toUi(nick));
        }
        return list;
    };
    channels_ = makeList(ignore.channels, "ignoreChannels");
    messages_ = makeList(ignore.message, "ignoreMessages");
    nick_ = new QLineEdit;
    nick_->setObjectName(QStringLiteral("ignoreNick"));

    const auto button = [&](std::string_view key, const char* name, auto action) {
        auto* pushButton = new QPushButton(context_.caption(key));
        pushButton->setObjectName(QLatin1String(name));
        pushButton->setAutoDefault(false);
        connect(pushButton, &QPushButton::clicked, this, action);
        return pushButton;
    };
    const auto removeSelected = [](QListWidget* list) { qDeleteAll(list->selectedItems()); };

    auto* addBox = new QGroupBox(context_.caption("AddBlack"));
    auto* addLayout = new QVBoxLayout(addBox);
    addLayout->addWidget(nick_);
    addLayout->addWidget(button("IgChan", "addChannels", [this] { add(channels_); }));
    addLayout->addWidget(button("IgMessage", "addMessages", [this] { add(messages_); }));
    auto* removeBox = new QGroupBox(context_.caption("RemoveBlack"));
    auto* removeLayout = new QVBoxLayout(removeBox);
    removeLayout->addWidget(button("NoIgChan", "removeChannels",
                                   [this, removeSelected] { removeSelected(channels_); }));
    removeLayout->addWidget(
        button("NoIgMes", "removeMessages", [this, removeSelected] { removeSelected(messages_); }));

    auto* left = new QVBoxLayout;
    left->addWidget(addBox);
    left->addWidget(removeBox);
    left->addStretch();
    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(context_.caption("ChanList")), 0, 0);
    lists->addWidget(channels_, 1, 0);
    lists->addWidget(new QLabel(context_.caption("MesList")), 0, 1);
    lists->addWidget(messages_, 1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(lists, 1);
}

void OptionsIgnorePage::setNick(const std::string& nick) {
    nick_->setText(context_.toUi(nick));
}

void OptionsIgnorePage::add(QListWidget* list) {
    const QString nick = nick_->text();
    if (nick.isEmpty() || listHas(context_, list, nick)) {
        return;
    }
    list->addItem(nick);
    nick_->clear();
}

void OptionsIgnorePage::apply() {
    OptionsSeams& seams = context_.seams;
    const auto stored = [&](const QListWidget* list) {
        std::string text;
        for (int row = 0; row < list->count(); ++row) {
            text += "#" + context_.toAnsi(list->item(row)->text());
        }
        return text + "#";
    };
    IgnoreSettings& ignore = seams.settings.ignore;
    ignore.channels = stored(channels_);
    ignore.message = stored(messages_);
    seams.settingsFile.writeText("Ignore", "Channels", ignore.channels);
    seams.settingsFile.writeText("Ignore", "Message", ignore.message);
}

} // namespace natterby::settings
