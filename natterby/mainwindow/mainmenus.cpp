#include "natterby/mainwindow/mainmenus.h"

#include "common/texts.h"
#include "natterby/mainwindow/macromenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace natterby::mainwindow {

namespace {

struct Entry {
    const char* key;
    const char* shortcut; // empty: none
};

constexpr std::array<Entry, MainMenus::kStatusCount> kStatus = {
    {{"Available", "Ctrl+S"}, {"DND", "Ctrl+D"}, {"Away", "Ctrl+A"}, {"Offline", "Ctrl+F"}}};

QKeySequence hotkey(const char* shortcut) {
    return QKeySequence(QString::fromLatin1(shortcut), QKeySequence::PortableText);
}

} // namespace

MainMenus::MainMenus(const common::CodePage& pages, QWidget* owner)
    : codePage(pages), status(new QMenu(owner)), statusGroup(new QActionGroup(status)),
      channels(new QMenu(owner)), macros(new MacroMenu(pages, owner)), tab(new QMenu(owner)),
      nick(new QMenu(owner)), view(new QMenu(owner)), tray(new QMenu(owner)) {
    for (std::size_t i = 0; i < kStatus.size(); ++i) {
        QAction* entry = status->addAction(QString());
        entry->setCheckable(true);
        entry->setShortcut(hotkey(kStatus[i].shortcut));
        statusGroup->addAction(entry);
        statusEntries[i] = entry;
    }

    copy = tab->addAction(QString());
    saveAs = tab->addAction(QString());
    tab->addSeparator();
    changeTopic = tab->addAction(QString());
    changeTopic->setShortcut(hotkey("Ctrl+T"));
    clearChat = tab->addAction(QString());
    clearChat->setShortcut(hotkey("Shift+Esc"));
    leave = tab->addAction(QString());
    leave->setShortcut(hotkey("Ctrl+F4"));

    for (QAction*& entry : nickEntries) {
        entry = nick->addAction(QString());
    }
    nick->setDefaultAction(nickEntries[Message]);

    for (QAction*& entry : viewToggles) {
        entry = view->addAction(QString());
        entry->setCheckable(true);
    }
    options = view->addAction(QString());

    restore = tray->addAction(QString());
    close = tray->addAction(QString());
    tray->setDefaultAction(restore);

    setCaptions(protocol::ChatTexts());
}

void MainMenus::setCaptions(const protocol::ChatTexts& texts) {
    const auto shown = [this](const std::string& caption) {
        return QString::fromStdString(codePage.toUtf8(caption));
    };
    for (std::size_t i = 0; i < kStatus.size(); ++i) {
        statusCaptions_[i] =
            common::menuCaption(texts.get("Status", kStatus[i].key), kStatus[i].shortcut);
        statusEntries[i]->setText(shown(statusCaptions_[i]));
    }
    const auto menu5 = [&](const char* key, const char* shortcut) {
        const std::string& text = texts.get("Menu5", key);
        return *shortcut == '\0' ? text : common::menuCaption(text, shortcut);
    };
    copy->setText(shown(menu5("Copy", "")));
    saveAs->setText(shown(menu5("SaveAs", "")));
    topicCaption_ = texts.get("Menu5", "ChTopic");
    changeTopic->setText(shown(menu5("ChTopic", "Ctrl+T")));
    clearChat->setText(shown(menu5("ClearChat", "Shift+Esc")));
    leave->setText(shown(menu5("Leave", "Ctrl+F4")));
    for (std::size_t i = 0; i < nickEntries.size(); ++i) {
        nickEntries[i]->setText(shown(texts.get("Menu7", std::to_string(i))));
    }
    for (std::size_t i = 0; i < viewToggles.size(); ++i) {
        viewToggles[i]->setText(shown(texts.get("Menu8", std::to_string(i))));
    }
    options->setText(shown(texts.get("Menu8", "7")));
    restore->setText(shown(texts.get("MenuTray", "0")));
    close->setText(shown(texts.get("MenuTray", "1")));
}

std::string MainMenus::statusCaption(int index) const {
    return statusCaptions_[static_cast<std::size_t>(index)];
}

std::string MainMenus::topicCaption() const {
    return topicCaption_;
}

QList<QAction*> MainMenus::hotkeyActions() const {
    QList<QAction*> actions(statusEntries.begin(), statusEntries.end());
    actions << changeTopic << clearChat << leave;
    actions.append(macros->hotkeyActions());
    return actions;
}

} // namespace natterby::mainwindow
