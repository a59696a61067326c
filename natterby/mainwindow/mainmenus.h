#pragma once

#include "common/ansi.h"
#include "natterby/protocol/chattexts.h"

#include <QList>
#include <array>
#include <string>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

namespace natterby::mainwindow {

class MacroMenu;

// Every popup menu of the main window with its entries; the window connects the entries to what
// they do. Captions come from the language texts, with the shortcut after a tab.
struct MainMenus {
    static constexpr int kStatusCount = 4;
    static constexpr int kNickCount = 8;
    static constexpr int kViewToggleCount = 7;

    // The nick menu's entries, by their index.
    enum NickEntry { Message, Information, Execute, SendFile, Beep, Talk, Ignore, MassMessage };

    MainMenus(const common::CodePage& codePage, QWidget* owner);

    void setCaptions(const protocol::ChatTexts& texts);
    // The status entry's caption in the code page: its text, a tab and the shortcut.
    std::string statusCaption(int status) const;
    // The tab menu's "Change Topic..." caption up to its tab: the topic dialog's title.
    std::string topicCaption() const;
    // Every entry with a hotkey, for the window to hold so that they work with the menus shut.
    QList<QAction*> hotkeyActions() const;

    const common::CodePage& codePage;

    QMenu* status;
    QActionGroup* statusGroup;
    std::array<QAction*, kStatusCount> statusEntries{};

    QMenu* channels;
    MacroMenu* macros;

    QMenu* tab;
    QAction* copy;
    QAction* saveAs;
    QAction* changeTopic;
    QAction* clearChat;
    QAction* leave;

    QMenu* nick;
    std::array<QAction*, kNickCount> nickEntries{};

    QMenu* view;
    std::array<QAction*, kViewToggleCount> viewToggles{};
    QAction* options;

    QMenu* tray;
    QAction* restore;
    QAction* close;

private:
    std::array<std::string, kStatusCount> statusCaptions_;
    std::string topicCaption_;
};

} // namespace natterby::mainwindow
