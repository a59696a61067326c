#pragma once

#include "common/ansi.h"
#include "common/profile.h"
#include "common/texts.h"
#include "natterby/mainwindow/imagelists.h"
#include "natterby/mainwindow/mainmenus.h"
#include "natterby/options/optionshost.h"
#include "natterby/protocol/chat.h"
#include "natterby/protocol/chattexts.h"
#include "natterby/protocol/chatview.h"
#include "natterby/session/session.h"
#include "natterby/session/startupview.h"
#include "natterby/settings/settings.h"

#include <QMainWindow>
#include <QRect>
#include <QTextCharFormat>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace natterby::settings {
class OptionsDialog;
enum class OptionsPage;
} // namespace natterby::settings

namespace natterby::windows {
struct WindowContext;
}

namespace natterby::mainwindow {

class ChatLine;
class ChatViewWidget;
class NickList;
class Tray;

// Everything the main window works through: the session's seams, which the window hands to the
// session it creates, and the keyboard. All of it outlives the window.
struct MainWindowSeams : session::SessionSeams {
    // Switches the keyboard to its next layout, after the chat line was retyped in it.
    std::function<void()> nextKeyboardLayout;
};

// The chat's one permanent window: the toolbar with every menu, the tabs with their views, the
// chat line, and the nick list. It shows what the chat core tells it and turns every user action
// into one of the core's operations; it holds no chat state of its own. It hides into the tray
// instead of closing: only the tray's Close and the toolbar's exit end the program.
class MainWindow : public QMainWindow,
                   public protocol::ChatView,
                   public session::StartupView,
                   public settings::OptionsHost {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowSeams seams);
    ~MainWindow() override;

    // The session's start-up steps, then the window shows unless the settings hide it.
    void start();
    // The close steps of the tray's Close and the exit button, which end the program: the
    // leaves for every tab, the sockets shut, the position and status saved. Only the first
    // call counts.
    void closeProgram();

    session::Session& session() { return session_; }
    const protocol::Chat& chat() const { return session_.chat(); }

    // --- protocol::ChatView
    void appendText(int tab, protocol::Font font, std::string_view text) override;
    void tabAdded(const std::string& name) override;
    void tabRemoved(int tab) override;
    void currentTabChanged(int tab) override;
    void tabUnreadChanged(int tab, bool unread) override;
    void rosterChanged() override;
    void refreshCaptionChanged(const std::string& caption) override;
    void ownNickChanged(const std::string& nick) override;
    void captionChanged(const std::string& caption) override;
    void trayTipChanged(const std::string& tip) override;
    void trayIconChanged(int index) override;
    void showBalloon(const std::string& title, const std::string& text) override;
    void hideBalloon() override;
    void restoreWindow() override;
    void openReceivedMessage(std::string_view marker, const std::string& nick,
                             const std::string& text, bool minimised) override;
    void openInformation(const protocol::InformationAnswer& answer) override;
    bool askYesNo(const std::string& text) override;
    // Also the start-up load's messages.
    void showMessage(const std::string& text) override;
    void otherChannelsAnswered(const std::vector<std::string>& names) override;

    // --- session::StartupView
    settings::Bounds windowBounds() override;
    settings::FontStyle mainFont() override;
    void languageChanged() override;
    void addToChannelMenu(const std::string& channel) override;
    void settingsLoaded() override;

    // --- settings::OptionsHost
    QIcon trayImage(int index) const override;
    void appearanceChanged() override;
    void trayIconChanged() override;
    void genderChanged() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    protocol::Chat& chat() { return session_.chat(); }

    // --- building (mainwindow.cpp)
    void buildToolBar();
    void buildPanels();
    void connectMenus();
    // The language's captions on the menus, the nick label and the Refresh button.
    void showCaptions();
    ChatViewWidget* makeView();

    // --- texts at the widget boundary
    QString shown(std::string_view ansi) const;
    std::string ansi(const QString& text) const;

    // --- views (mainwindow.cpp)
    ChatViewWidget* currentView() const;
    // The scrolling rule after a view's text changed, and the bound on its length.
    void afterTextChange(int tab);
    void scrollCurrentView();
    void clearChat();
    void saveCurrentView();
    void updateCopyEnabled();
    void userChangedTab(int tab);
    void updateTopicEnabled();
    void clearViewSelections();

    // --- settings into widgets (mainwindowsettings.cpp)
    void applySettings();
    void applyFonts();
    void applyColours();
    void applyTabStyle();
    void applyPosition();
    void updateTooltips();
    void showStatus(char status);
    void showNicks();
    void toggleView(int entry);

    // --- commands (mainwindowcommands.cpp)
    void enterLine();
    void escapeLine();
    void swapLayout();
    void insertMacro(const std::string& text);
    void recordMacro(int n);
    void pasteLines();
    void chooseStatus(int status);
    void changeTopic();
    void showNickMenu(const QPoint& where);
    void remoteExecute();
    void openMessageTo(const std::string& nick);
    void openMassMessage();
    void openArchive();
    // The options dialog on one of its pages; the Ignore page may come with a nick filled in.
    void openOptions(settings::OptionsPage page, const std::optional<std::string>& nick);
    void help();
    std::optional<std::string> selectedNick() const;
    windows::WindowContext windowContext();

    // --- showing, hiding and closing (mainwindowstate.cpp)
    void hideToTray(bool updateTip);
    void trayClicked();
    void noteVisibility();
    void snapToWorkArea();
    void rememberNormalBounds();

    MainWindowSeams seams_;
    ImageLists images_;
    session::Session session_;
    // The channel menu's entries, in order.
    std::vector<std::string> channelMenu_;

    MainMenus menus_;
    std::array<QTextCharFormat, settings::kFontStyleCount> formats_;
    std::vector<ChatViewWidget*> views_;

    QToolButton* statusButton_ = nullptr;
    QToolButton* copySelectionButton_ = nullptr;
    std::array<QToolButton*, 9> tooltipButtons_{};
    QTabWidget* tabs_ = nullptr;
    ChatLine* chatLine_ = nullptr;
    QWidget* nickPanel_ = nullptr;
    QLabel* nickLabel_ = nullptr;
    QComboBox* nickBox_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QToolButton* members_ = nullptr;
    NickList* nickList_ = nullptr;
    QSplitter* splitter_ = nullptr;
    Tray* tray_ = nullptr;
    // While the options dialog is open: the other users' channel lists go to it.
    settings::OptionsDialog* options_ = nullptr;
    // Windows opened by other users' messages (received messages, information answers) that are
    // still open. Any peer can send them, so their number is bounded: past the bound a message
    // is still confirmed, noted in "#Main" and archived, but opens no further window.
    static constexpr int kMaxPeerWindows = 64;
    int peerWindows_ = 0;
    void admitPeerWindow(QWidget* window);

    QTimer snapTimer_;
    QRect normalBounds_;
    QString caption_;
    // Set while the window follows the core's tab changes, which are not the user's.
    bool followingCore_ = false;
    bool shown_ = false;
    bool closing_ = false;
};

} // namespace natterby::mainwindow
