#include "natterby/mainwindow/chatline.h"
#include "natterby/mainwindow/chatviewwidget.h"
#include "natterby/mainwindow/edgesnap.h"
#include "natterby/mainwindow/imagelists.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/mainwindow/nicklist.h"
#include "natterby/mainwindow/textformat.h"
#include "natterby/mainwindow/tray.h"
#include "natterby/options/colourvalue.h"
#include "natterby/protocol/messages.h"
#include "natterby/session/transports.h"
#include "natterby/transport/framing.h"
#include "natterby/windows/privatemessagewindow.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/sentbodies.h"
#include "tests/fakes/sessionfakes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

namespace protocol = natterby::protocol;
using namespace natterby::mainwindow;

// The network of a window under test: whatever it sends comes straight back to it, as the LAN
// brings a broadcast back to its sender; Bob's packets join the same queue.
class Loopback : public natterby::session::Transports {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        sent.emplace_back(packet);
        queue.emplace_back(packet);
        return std::nullopt;
    }
    std::optional<std::string> openIpx(std::uint16_t) override { return std::nullopt; }
    void openUdp(std::int32_t, const std::string&) override {}
    void close() override { closed = true; }

    std::vector<std::string> sent;
    std::deque<std::string> queue;
    bool closed = false;
};

// Ann's main window, started on a settings file the test writes, over a loopback network.
class MainWindowTest : public ::testing::Test, protected fakes::SessionFakes {
protected:
    MainWindowTest() { fakes::qtApplication(); }

    // The settings file's sections beyond UDP, Ann's nick and two telling colours: "Your text"
    // blue, "External text" red.
    void start(const std::string& moreSettings = {}) {
        folder.write("Interf.ini", "[Net]\r\nIPX=false\r\n[Nicks]\r\nCurrent=Ann\r\n"
                                   "[Fonts]\r\nColor4=255\r\nColor5=16711680\r\n" +
                                       moreSettings);
        window = std::make_unique<MainWindow>(
            MainWindowSeams{seams(&network), [this] { ++layoutSwitches; }});
        window->start();
        deliver();
    }

    // Every packet received, and what it wrote into the views laid out there.
    void deliver() {
        while (!network.queue.empty()) {
            std::string packet = std::move(network.queue.front());
            network.queue.pop_front();
            window->session().receive(packet);
        }
        for (int tab = 0; tab < tabs()->count(); ++tab) {
            view(tab)->flush();
        }
    }

    // Bob's copy, reduced to its framing.
    void bobSays(const std::string& body) { bobsFraming.send(body, true); }

    static std::string body(const std::string& packet) {
        return fakes::sentBodies({packet}).front();
    }

    ChatLine* chatLine() const { return window->findChild<ChatLine*>("chatLine"); }
    QTabWidget* tabs() const { return window->findChild<QTabWidget*>("tabs"); }
    ChatViewWidget* view(int tab) const {
        return qobject_cast<ChatViewWidget*>(tabs()->widget(tab));
    }
    // The window on show and active, as the user has it, with the focus in the nick box.
    QLineEdit* focusNickBox() const {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QLineEdit* box = window->findChild<QComboBox*>("nickBox")->lineEdit();
        box->setFocus();
        return box;
    }
    // Runs the steps on the modal dialog that `open` opens.
    static void withDialog(const std::function<void()>& open,
                           const std::function<void(QWidget* dialog)>& steps) {
        QTimer::singleShot(0, [steps] { steps(QApplication::activeModalWidget()); });
        open();
    }
    // Answers the modal dialogs that come up one after another, each with its text and OK.
    void answerDialogs(std::vector<QString> answers, std::vector<QString>* titles) {
        if (answers.empty()) {
            return;
        }
        QTimer::singleShot(5, [this, answers, titles]() mutable {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr) { // the next one is not up yet
                answerDialogs(answers, titles);
                return;
            }
            titles->push_back(dialog->windowTitle());
            auto* box = dialog->findChild<QLineEdit*>();
            box->setText(answers.front());
            answers.erase(answers.begin());
            QTest::keyClick(box, Qt::Key_Return);
            answerDialogs(answers, titles);
        });
    }
    // The nick menu's entries that show when it opens, in order; `pick` is triggered on it.
    std::vector<QString> openNickMenu(const QString& pick = {}) {
        std::vector<QString> shown;
        QTimer::singleShot(0, [&] {
            QWidget* popup = QApplication::activePopupWidget();
            ASSERT_NE(popup, nullptr);
            for (QAction* action : popup->actions()) {
                if (action->isVisible()) {
                    shown.push_back(action->text());
                }
                if (action->text() == pick) {
                    action->trigger();
                }
            }
            popup->close();
        });
        emit nickList()->customContextMenuRequested(QPoint(2, 2));
        return shown;
    }
    NickList* nickList() const { return window->findChild<NickList*>("nickList"); }
    QAction* hotkey(const char* keys) const {
        for (QAction* action : window->actions()) {
            if (action->shortcut() == QKeySequence(QString::fromLatin1(keys))) {
                return action;
            }
        }
        ADD_FAILURE() << "no action for " << keys;
        return nullptr;
    }
    // Where the text shows first in the view; its char format is that of its last character.
    static QTextCursor find(const ChatViewWidget* view, const QString& text) {
        return view->document()->find(text);
    }

    Loopback network;
    std::mt19937 bobsRandom{99};
    natterby::transport::Framing bobsFraming{
        network, [this] { return static_cast<int>(bobsRandom() % 95); }};
    int layoutSwitches = 0;
    std::unique_ptr<MainWindow> window;
};

QImage picture(const QIcon& icon) {
    return icon.pixmap(QSize(32, 16)).toImage();
}

TEST_F(MainWindowTest, OwnLinesGoOutAndAreShownOnceWhenTheyComeBack) {
    start();
    QTest::keyClicks(chatLine(), "hello");
    QTest::keyClick(chatLine(), Qt::Key_Return);

    EXPECT_TRUE(chatLine()->text().isEmpty());
    EXPECT_EQ(body(network.sent.back()), protocol::chatLine("#Main", "Ann", "hello"));
    // Nothing is written for the own line until the network brings it back.
    EXPECT_TRUE(find(view(0), "<Ann>: hello").isNull());

    deliver();
    const QTextCursor own = find(view(0), "[09:05] <Ann>: hello");
    ASSERT_FALSE(own.isNull());
    EXPECT_EQ(own.charFormat().foreground().color(), QColor(0, 0, 255));

    bobSays(protocol::chatLine("#Main", "Bob", "hi www.example.com"));
    deliver();
    const QTextCursor other = find(view(0), "<Bob>: hi");
    ASSERT_FALSE(other.isNull());
    EXPECT_EQ(other.charFormat().foreground().color(), QColor(255, 0, 0));

    QTest::keyClick(chatLine(), Qt::Key_Up);
    EXPECT_EQ(chatLine()->text(), "hello");
}

TEST_F(MainWindowTest, LinesShowAsTypedWithTheirLinksAndAreCopiedAndSavedInTheCodePage) {
    start();
    QTest::keyClicks(view(0), "hi there");
    EXPECT_EQ(chatLine()->text(), "hi there");
    QTest::keyClick(chatLine(), Qt::Key_Escape);
    EXPECT_TRUE(chatLine()->text().isEmpty());

    QGuiApplication::clipboard()->setText("one\n\nthree");
    const std::size_t sent = network.sent.size();
    QMetaObject::invokeMethod(window->findChild<QToolButton*>("paste"), "click");
    // How the lines split is the chat's; the button hands it the clipboard's text.
    ASSERT_EQ(network.sent.size(), sent + 3);
    EXPECT_EQ(body(network.sent[sent + 2]), protocol::chatLine("#Main", "Ann", "three"));

    const std::string line = "<b>bold?</b> &amp; \xEF\xF0\xE8\xE2\xE5\xF2 see www.example.com/a.";
    bobSays(protocol::chatLine("#Main", "Bob", line));
    deliver();
    const QString plain = view(0)->toPlainText();
    EXPECT_TRUE(
        plain.contains(QString::fromUtf8("<b>bold?</b> &amp; привет see www.example.com/a.")))
        << plain.toStdString();
    const QTextCharFormat markup = find(view(0), "<b>bold?</b>").charFormat();
    EXPECT_FALSE(markup.isAnchor());
    EXPECT_NE(markup.fontWeight(), QFont::Bold);

    QTextCursor link = find(view(0), "www.example.com/a");
    ASSERT_FALSE(link.isNull());
    EXPECT_TRUE(link.charFormat().isAnchor());
    EXPECT_EQ(link.charFormat().anchorHref(), "http://www.example.com/a");
    QTextCursor stop = find(view(0), "a.");
    EXPECT_FALSE(stop.charFormat().isAnchor()); // the sentence's full stop is not the address's
    // A click on the link hands it to the desktop.
    link.setPosition(link.selectionStart() + 3);
    const QPoint at = view(0)->cursorRect(link).center();
    QTest::mouseClick(view(0)->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(launcher.opened, std::vector<std::string>{"http://www.example.com/a"});

    auto* copySelection = window->findChild<QToolButton*>("copySelection");
    EXPECT_FALSE(copySelection->isEnabled());
    view(0)->setTextCursor(find(view(0), "<Bob>"));
    EXPECT_TRUE(copySelection->isEnabled());
    QMetaObject::invokeMethod(copySelection, "click");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "<Bob>");
    EXPECT_FALSE(view(0)->hasSelection());
    EXPECT_FALSE(copySelection->isEnabled());

    // Saved text is in the code page with Windows line ends, link or not.
    const std::string saved = view(0)->ansiText();
    EXPECT_NE(saved.find("\r\n[09:05] <Bob>: " + line), std::string::npos);
    EXPECT_EQ(saved.find('\n', saved.find("\r\n") + 2),
              saved.find("\r\n", saved.find("\r\n") + 2) + 1);
}

TEST_F(MainWindowTest, TabsRemarkTheNickListTheTitleAndUnreadLinesAndLeaveClosesThem) {
    start("[Channels]\r\nChannels=#Work#Games\r\nChannelsVis=#1#0\r\n");
    ASSERT_EQ(tabs()->count(), 2);
    EXPECT_EQ(window->windowTitle(), "[#Main] - Natterby v 1.1");
    bobSays(protocol::refreshAnswer("Ann", "Bob", '0', '1'));
    bobSays(protocol::join("Bob", "#Work", '0', '0'));
    deliver();

    const auto bobRow = [&] {
        const QList<QListWidgetItem*> found = nickList()->findItems("Bob", Qt::MatchExactly);
        return found.isEmpty() ? QImage() : picture(found.front()->icon());
    };
    const ImageLists images;
    EXPECT_EQ(bobRow(), picture(images.nickRow('0', 5))); // shown, not in #Main
    // A line in another tab marks it until it is shown.
    const auto tabIcon = [&] { return tabs()->tabIcon(1).pixmap(16).toImage(); };
    EXPECT_EQ(tabIcon(), images.image(4).pixmap(16).toImage());
    bobSays(protocol::chatLine("#Work", "Bob", "psst"));
    deliver();
    EXPECT_EQ(tabIcon(), images.image(5).pixmap(16).toImage());

    QTabBar* bar = tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(tabIcon(), images.image(4).pixmap(16).toImage());
    EXPECT_EQ(bobRow(), picture(images.nickRow('0', 7))); // shown and a member of #Work
    EXPECT_EQ(window->windowTitle(), "[#Work]  - Natterby v 1.1");

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(bobRow(), picture(images.nickRow('0', 5)));
    EXPECT_EQ(window->windowTitle(), "[#Main]  - Natterby v 1.1");

    // Leave closes the current tab.
    tabs()->setCurrentIndex(1);
    hotkey("Ctrl+F4")->trigger();
    EXPECT_EQ(body(network.sent.back()), protocol::leave("Ann", "#Work", '0'));
    ASSERT_EQ(tabs()->count(), 1);
    EXPECT_EQ(window->windowTitle(), "[#Main]  - Natterby v 1.1");

    // The channel menu joins a channel of the list.
    QMenu* channels = window->findChild<QToolButton*>("channels")->menu();
    ASSERT_EQ(channels->actions().size(), 3);
    EXPECT_EQ(channels->actions()[2]->text(), "#Games");
    channels->actions()[2]->trigger();
    EXPECT_EQ(body(network.sent.back()), protocol::join("Ann", "#Games", '0', '0'));
    ASSERT_EQ(tabs()->count(), 2);
    EXPECT_EQ(tabs()->currentIndex(), 1);
}

TEST_F(MainWindowTest, SavedBoundsThatFitAScreenAreUsedViewsAreBoundedAndClosingLeavesLastFirst) {
    start("[Channels]\r\nChannels=#Work\r\nChannelsVis=#1\r\n"
          "[Position]\r\nLeft=40\r\nTop=50\r\nWidth=700\r\nHeight=99999\r\n");
    EXPECT_EQ(window->pos(), QPoint(40, 50));
    EXPECT_EQ(window->width(), 700);
    EXPECT_LE(window->height(), 16384); // a damaged height is held to a size a screen can show

    // Every view is emptied beyond 50000 characters; #Work is not on show, and yet it is held to
    // the same bound.
    const std::string line(990, 'x');
    for (int i = 0; i < 60; ++i) {
        bobSays(protocol::chatLine("#Main", "Bob", line));
        bobSays(protocol::chatLine("#Work", "Bob", line));
        deliver();
    }
    for (int tab : {0, 1}) {
        EXPECT_LE(view(tab)->length(), 50000 + 1100) << tab;
        EXPECT_TRUE(view(tab)->toPlainText().startsWith("[09:05] Window cleared")) << tab;
    }

    window->move(300, 200);
    const std::size_t sent = network.sent.size();
    QMetaObject::invokeMethod(window->findChild<QObject*>("exit"), "click");
    ASSERT_EQ(network.sent.size(), sent + 2);
    EXPECT_EQ(body(network.sent[sent]), protocol::leave("Ann", "#Work", '0'));
    EXPECT_EQ(body(network.sent[sent + 1]), protocol::leave("Ann", "#Main", '0'));
    EXPECT_TRUE(network.closed);
    EXPECT_EQ(settingsFile.readInt("Position", "Left", 0), 300);
    EXPECT_EQ(settingsFile.readText("Nicks", "Status", ""), "0");

    window.reset();
    start("[Position]\r\nLeft=-30000\r\nTop=-30000\r\n");
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().intersects(window->frameGeometry()));
}

TEST_F(MainWindowTest, HotkeysOnTheChatLineAndNickBoxAndAStatusIsSentWithItsAutoAnswer) {
    folder.write("LangEn.ini", "[AutoAns]\r\nCount=1\r\n1=lunch\r\n");
    start("[Language]\r\nini=LangEn\r\n");
    // The chat line takes macros and its other layout.
    chatLine()->setText("see you");
    hotkey("Ctrl+Shift+F3")->trigger();
    EXPECT_TRUE(chatLine()->text().isEmpty());
    EXPECT_EQ(common::ProfileFile(folder.file("LangEn.ini")).readText("Macros", "F3", ""),
              "see you");

    chatLine()->setText("ok, ");
    hotkey("Shift+F3")->trigger();
    EXPECT_EQ(chatLine()->text(), "ok, see you");
    chatLine()->setCursorPosition(0);
    hotkey("Ctrl+F1")->trigger();
    EXPECT_EQ(chatLine()->text(), "/meok, see you");
    EXPECT_EQ(chatLine()->cursorPosition(), 3);

    chatLine()->setText("ghbdtn");
    QTest::keyClick(chatLine(), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(chatLine()->text(), QString::fromUtf8("привет"));
    EXPECT_EQ(layoutSwitches, 1);
    chatLine()->undo();
    EXPECT_EQ(chatLine()->text(), "ghbdtn");
    // From the nick box as well, which keeps its own text.
    QLineEdit* nickBox = focusNickBox();
    QTest::keyClick(nickBox, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(chatLine()->text(), QString::fromUtf8("привет"));
    EXPECT_EQ(nickBox->text(), "Ann");

    // Ctrl+A is the window's in the nick box too, not the box's own select-all.
    withDialog([&] { QTest::keyClick(nickBox, Qt::Key_A, Qt::ControlModifier); },
               [this](QWidget* dialog) {
                   ASSERT_NE(dialog, nullptr);
                   EXPECT_EQ(dialog->windowTitle(), "Away (Far From ...");
                   // The status is Away already while its auto-answer is being chosen.
                   bobSays(protocol::privateMessage("Bob", "Ann", "hi"));
                   deliver();
                   EXPECT_EQ(body(network.sent.back()),
                             protocol::confirmation('2', "Ann", "Bob", '0', ""));
                   auto* list = dialog->findChild<QComboBox*>();
                   ASSERT_EQ(list->count(), 2); // the stored text and the empty entry
                   // The stored text, picked and then edited, is replaced.
                   list->setCurrentIndex(1);
                   QTest::keyClick(list, Qt::Key_Up);
                   list->setEditText("in a meeting");
                   QTest::keyClick(list, Qt::Key_Return);
               });
    EXPECT_EQ(body(network.sent.back()), protocol::statusChange("Ann", '2', '0', "in a meeting"));
    EXPECT_EQ(window->findChild<QToolButton*>("status")->toolTip(), "Away (Far From ");
    EXPECT_EQ(common::ProfileFile(folder.file("LangEn.ini")).readText("AutoAns", "1", ""),
              "in a meeting");

    // Cancel still changes the status, with no auto-answer.
    withDialog([this] { hotkey("Ctrl+S")->trigger(); },
               [](QWidget* dialog) {
                   ASSERT_NE(dialog, nullptr);
                   dialog->close();
               });
    EXPECT_EQ(body(network.sent.back()), protocol::statusChange("Ann", '0', '0', ""));
}

TEST_F(MainWindowTest, AFloodOfMessagesOpensABoundedNumberOfWindowsAndATrayClickEndsFlashing) {
    start();
    const auto openWindows = [] {
        return std::ranges::count_if(QApplication::topLevelWidgets(), [](QWidget* widget) {
            return dynamic_cast<natterby::windows::PrivateMessageWindow*>(widget) != nullptr;
        });
    };
    const int before = openWindows();
    for (int i = 0; i < 80; ++i) {
        bobSays(protocol::privateMessage("Bob", "Ann", "spam " + std::to_string(i)));
        deliver();
    }
    EXPECT_EQ(openWindows() - before, 64);
    // Every message was still confirmed and noted.
    EXPECT_EQ(view(0)->toPlainText().count("Message received from <Bob>"), 80);

    // A click on the tray icon ends the flashing whichever way it turns the window.
    window->hide();
    bobSays(protocol::talkInvitation("Bob", "Ann", '0'));
    bobSays(protocol::talkLine("Bob", "Ann", "psst"));
    deliver();
    ASSERT_TRUE(window->session().chat().attention().flashing);
    window->show();
    emit window->findChild<Tray*>()->clicked();
    EXPECT_FALSE(window->session().chat().attention().flashing);
}

TEST_F(MainWindowTest, TheNickMenuOffersWhatTheSelectionAllowsAndNickBoxAndTogglesWriteAtOnce) {
    start();
    bobSays(protocol::refreshAnswer("Ann", "Bob", '0', '1'));
    deliver();
    EXPECT_EQ(openNickMenu(), (std::vector<QString>{"Beep", "Mass message"}));

    nickList()->findItems("Bob", Qt::MatchExactly).front()->setSelected(true);
    EXPECT_EQ(openNickMenu().size(), 8u); // Execute... shows again with a nick to run it on

    openNickMenu("Talk");
    EXPECT_EQ(body(network.sent.back()), protocol::talkInvitation("Ann", "Bob", '0'));
    ASSERT_EQ(tabs()->count(), 2);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_FALSE(hotkey("Ctrl+T")->isEnabled()); // no topic on a talk tab

    // Topic and remote execution ask through the input dialog, in the code page.
    tabs()->setCurrentIndex(0);
    std::vector<QString> titles;
    answerDialogs({QString::fromUtf8("Обед")}, &titles);
    hotkey("Ctrl+T")->trigger();
    EXPECT_EQ(titles, std::vector<QString>{"Change Topic..."});
    EXPECT_EQ(body(network.sent.back()), protocol::topicChange("#Main", "\xCE\xE1\xE5\xE4 (Ann) "));

    titles.clear();
    answerDialogs({"secret", "notepad"}, &titles);
    openNickMenu("Execute...");
    EXPECT_EQ(titles, (std::vector<QString>{"Password", "Execute"}));
    EXPECT_EQ(body(network.sent.back()),
              protocol::remoteExecute("Ann", "Bob", "notepad", "secret"));

    // The nick box and the view toggles are written at once.
    auto* box = window->findChild<QComboBox*>("nickBox");
    EXPECT_EQ(box->currentText(), "Ann");
    box->setEditText("Zed");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);

    EXPECT_EQ(body(network.sent.back()), protocol::renameNick("Ann", "Zed", '0'));
    EXPECT_EQ(box->currentText(), "Zed");
    EXPECT_GE(box->findText("Zed"), 0);
    EXPECT_EQ(settingsFile.readText("Nicks", "Current", ""), "Zed");

    // The view menu's toggles apply and are written at once too.
    QMenu* view = window->findChild<QToolButton*>("view")->menu();
    const auto entry = [&](const QString& text) {
        for (QAction* action : view->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
        ADD_FAILURE() << text.toStdString();
        return view->actions().front();
    };
    QWidget* nickPanel = box->parentWidget();
    ASSERT_TRUE(nickPanel->isVisible());
    entry("Show nick")->trigger();
    EXPECT_FALSE(nickPanel->isVisible());
    EXPECT_EQ(settingsFile.readText("View", "NickVis", ""), "0");

    auto* status = window->findChild<QToolButton*>("status");
    EXPECT_EQ(status->toolTip(), "Available (Norm");
    entry("Show tooltip")->trigger();
    EXPECT_TRUE(status->toolTip().isEmpty());
    EXPECT_FALSE(entry("Show tooltip")->isChecked());
    EXPECT_EQ(settingsFile.readText("View", "ToolTips", ""), "0");
}

TEST(EdgeSnap, EdgesWithinTwentyPixelsOfTheWorkAreaSnapToIt) {
    const QRect second(1280, 0, 1920, 1080); // a screen right of the first
    struct Case {
        QPoint at;
        QPoint expected;
        QRect area = QRect(0, 0, 1280, 770); // a panel below
    };
    const Case cases[] = {
        {{10, 300}, {0, 300}},               // near the left edge
        {{20, 300}, {0, 300}},               // the threshold itself
        {{21, 300}, {21, 300}},              // beyond it
        {{-10, 300}, {-10, 300}},            // already past the edge: the user's choice
        {{500, 15}, {500, 0}},               // near the top
        {{1280 - 400 - 5, 300}, {880, 300}}, // right edge of a 400 wide window
        {{1280 - 400, 300}, {880, 300}},     // already on it
        {{1280 - 400 + 1, 300}, {881, 300}}, // past it
        {{500, 770 - 300 - 12}, {500, 470}}, // bottom edge of a 300 high window
        {{5, 5}, {0, 0}},                    // a corner snaps both ways
        {{1290, 400}, {1280, 400}, second},  // the second screen's own left edge
        {{1270, 400}, {1270, 400}, second},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(snapToEdges(QRect(c.at, QSize(400, 300)), c.area), c.expected)
            << c.at.x() << "," << c.at.y();
    }
}

TEST(TextFormat, ColoursAreBlueGreenRedOrTheDesktopsOwnAndStylesBecomeFontsWithSaneHeights) {
    fakes::qtApplication();
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Text, QColor(4, 5, 6));
    palette.setColor(QPalette::Highlight, QColor(7, 8, 9));
    using natterby::settings::toQColor;
    const auto system = [](std::uint32_t number) { return static_cast<std::int32_t>(number); };
    EXPECT_EQ(toQColor(0x000000FF, palette, QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x00FF8000, palette, QPalette::Text), QColor(0, 128, 255));
    EXPECT_EQ(toQColor(system(0x80000005u), palette, QPalette::Text), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(kWindowTextColour, palette, QPalette::Base), QColor(4, 5, 6));
    EXPECT_EQ(toQColor(system(0x8000000Du), palette, QPalette::Text), QColor(7, 8, 9));
    // A number Windows never gave a colour takes what the caller is painting.
    EXPECT_EQ(toQColor(system(0x800000FFu), palette, QPalette::Base), QColor(1, 2, 3));

    // Styles become fonts with sane heights.
    const common::CodePage codePage("CP1251");
    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPointSize(10);
    natterby::settings::FontStyle style{"DejaVu Serif", 120, 0, true, true};

    QFont font = styleFont(style, base, codePage);
    EXPECT_EQ(font.family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 12.0); // tenths of a point
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());

    style.height = -11; // a character height in pixels, as Windows writes it
    EXPECT_EQ(styleFont(style, base, codePage).pixelSize(), 11);
    for (std::int32_t odd : {0, 3, 1000000, -1000000, std::numeric_limits<std::int32_t>::min()}) {
        style.height = odd;
        EXPECT_DOUBLE_EQ(styleFont(style, base, codePage).pointSizeF(), 10.0) << odd;
    }

    // The built-in style stands for the base font and reads back as it.
    const natterby::settings::FontStyle builtIn = fontStyle(base, codePage);
    const QFont again = styleFont(builtIn, base, codePage);
    EXPECT_EQ(again.family(), base.family());
    EXPECT_DOUBLE_EQ(again.pointSizeF(), base.pointSizeF());
    EXPECT_FALSE(again.bold());
    EXPECT_FALSE(again.italic());
    EXPECT_EQ(builtIn.colour, kWindowTextColour);
}

} // namespace
