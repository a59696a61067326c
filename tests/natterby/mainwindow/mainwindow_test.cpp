#include "natterby/mainwindow/imagelists.h"
#include "natterby/mainwindow/nicklist.h"
#include "natterby/mainwindow/tray.h"
#include "natterby/protocol/messages.h"
#include "natterby/windows/privatemessagewindow.h"
#include "tests/natterby/mainwindow/mainwindowtestbed.h"

#include <QComboBox>
#include <QListWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

namespace protocol = natterby::protocol;

namespace {

QImage picture(const QIcon& icon) {
    return icon.pixmap(QSize(32, 16)).toImage();
}

} // namespace

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

    bob.says(protocol::chatLine("#Main", "Bob", "hi"));
    deliver();
    const QTextCursor other = find(view(0), "<Bob>: hi");
    ASSERT_FALSE(other.isNull());
    EXPECT_EQ(other.charFormat().foreground().color(), QColor(255, 0, 0));

    QTest::keyClick(chatLine(), Qt::Key_Up);
    EXPECT_EQ(chatLine()->text(), "hello");

    // A talk line too is echoed once.
    chatLine()->clear();
    bob.says(protocol::talkInvitation("Bob", "Ann", '0'));
    deliver();
    ASSERT_EQ(tabs()->count(), 2);
    ASSERT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(tabs()->tabText(1), "Bob");

    QTest::keyClicks(chatLine(), "hey");
    QTest::keyClick(chatLine(), Qt::Key_Return);
    EXPECT_EQ(body(network.sent.back()), protocol::talkLine("Ann", "Bob", "hey"));
    deliver();
    EXPECT_EQ(view(1)->toPlainText().count("<Ann>: hey"), 1);
    EXPECT_EQ(find(view(1), "<Ann>: hey").charFormat().foreground().color(), QColor(0, 0, 255));
}

TEST_F(MainWindowTest, LinesShowAsTypedWithTheirWebAddressesAsLinks) {
    start();
    bob.says(protocol::chatLine(
        "#Main", "Bob", "<b>bold?</b> &amp; \xEF\xF0\xE8\xE2\xE5\xF2 see www.example.com/a."));
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
}

TEST_F(MainWindowTest, TabsRemarkTheNickListTheTitleAndUnreadLinesAndLeaveClosesThem) {
    start("[Channels]\r\nChannels=#Work\r\nChannelsVis=#1\r\n");
    ASSERT_EQ(tabs()->count(), 2);
    EXPECT_EQ(window->windowTitle(), "[#Main] - Natterby v 1.1");
    bob.says(protocol::refreshAnswer("Ann", "Bob", '0', '1'));
    bob.says(protocol::join("Bob", "#Work", '0', '0'));
    deliver();

    auto* nicks = window->findChild<natterby::mainwindow::NickList*>("nickList");
    const auto bobRow = [&] {
        const QList<QListWidgetItem*> found = nicks->findItems("Bob", Qt::MatchExactly);
        return found.isEmpty() ? QImage() : picture(found.front()->icon());
    };
    const natterby::mainwindow::ImageLists images;
    EXPECT_EQ(bobRow(), picture(images.nickRow('0', 5))); // shown, not in #Main
    // A line in another tab marks it until it is shown.
    const auto tabIcon = [&] { return tabs()->tabIcon(1).pixmap(16).toImage(); };
    EXPECT_EQ(tabIcon(), images.image(4).pixmap(16).toImage());
    bob.says(protocol::chatLine("#Work", "Bob", "psst"));
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

    // Leave closes the current tab, but never #Main.
    const std::size_t sent = network.sent.size();
    hotkey("Ctrl+F4")->trigger();
    EXPECT_EQ(network.sent.size(), sent);
    tabs()->setCurrentIndex(1);
    hotkey("Ctrl+F4")->trigger();
    EXPECT_EQ(body(network.sent.back()), protocol::leave("Ann", "#Work", '0'));
    ASSERT_EQ(tabs()->count(), 1);
    EXPECT_EQ(window->windowTitle(), "[#Main]  - Natterby v 1.1");
}

TEST_F(MainWindowTest, EveryViewIsEmptiedBeyondFiftyThousandCharacters) {
    start("[Channels]\r\nChannels=#Work\r\nChannelsVis=#1\r\n");
    const std::string line(990, 'x');
    for (int i = 0; i < 60; ++i) {
        bob.says(protocol::chatLine("#Main", "Bob", line));
        bob.says(protocol::chatLine("#Work", "Bob", line));
        deliver();
    }
    // #Work is not on show, and yet it is held to the same bound.
    for (int tab : {0, 1}) {
        EXPECT_LE(view(tab)->length(), 50000 + 1100) << tab;
        EXPECT_TRUE(view(tab)->toPlainText().startsWith("[09:05] Window cleared")) << tab;
    }
}

TEST_F(MainWindowTest, TheCloseStepsLeaveEveryTabLastFirstAndSaveTheWindow) {
    start("[Channels]\r\nChannels=#Work\r\nChannelsVis=#1\r\n");
    window->move(300, 200);
    const std::size_t sent = network.sent.size();
    QMetaObject::invokeMethod(window->findChild<QObject*>("exit"), "click");

    ASSERT_EQ(network.sent.size(), sent + 2);
    EXPECT_EQ(body(network.sent[sent]), protocol::leave("Ann", "#Work", '0'));
    EXPECT_EQ(body(network.sent[sent + 1]), protocol::leave("Ann", "#Main", '0'));
    EXPECT_TRUE(network.closed);
    EXPECT_EQ(settingsFile.readInt("Position", "Left", 0), 300);
    EXPECT_EQ(settingsFile.readText("Nicks", "Status", ""), "0");
}

// A click on the tray icon ends the flashing whichever way it turns the window.
TEST_F(MainWindowTest, ATrayClickThatHidesTheWindowEndsTheFlashingToo) {
    start();
    window->hide();
    bob.says(protocol::talkInvitation("Bob", "Ann", '0'));
    bob.says(protocol::talkLine("Bob", "Ann", "psst"));
    deliver();
    ASSERT_TRUE(window->session().chat().attention().flashing);
    window->show();
    emit window->findChild<natterby::mainwindow::Tray*>()->clicked();
    EXPECT_FALSE(window->session().chat().attention().flashing);
}

TEST_F(MainWindowTest, AStatusIsSentWithTheAutoAnswerChosenForIt) {
    folder.write("LangEn.ini", "[AutoAns]\r\nCount=1\r\n1=lunch\r\n");
    start("[Language]\r\nini=LangEn\r\n");
    // Ctrl+A is the window's in the nick box too, not the box's own select-all.
    QLineEdit* nickBox = focusNickBox();

    withDialog([&] { QTest::keyClick(nickBox, Qt::Key_A, Qt::ControlModifier); },
               [this](QWidget* dialog) {
                   ASSERT_NE(dialog, nullptr);
                   EXPECT_EQ(dialog->windowTitle(), "Away (Far From ...");
                   // The status is Away already while its auto-answer is being chosen.
                   bob.says(protocol::privateMessage("Bob", "Ann", "hi"));
                   deliver();
                   EXPECT_EQ(body(network.sent.back()),
                             protocol::confirmation('2', "Ann", "Bob", '0', ""));
                   auto* list = dialog->findChild<QComboBox*>();
                   ASSERT_EQ(list->count(), 2); // the stored text and the empty entry
                   list->setEditText("in a meeting");
                   QTest::keyClick(list, Qt::Key_Return);
               });
    EXPECT_EQ(body(network.sent.back()), protocol::statusChange("Ann", '2', '0', "in a meeting"));
    EXPECT_EQ(window->findChild<QToolButton*>("status")->toolTip(), "Away (Far From ");

    // Cancel still changes the status, with no auto-answer.
    withDialog([this] { hotkey("Ctrl+S")->trigger(); },
               [](QWidget* dialog) {
                   ASSERT_NE(dialog, nullptr);
                   dialog->close();
               });
    EXPECT_EQ(body(network.sent.back()), protocol::statusChange("Ann", '0', '0', ""));
}

TEST_F(MainWindowTest, TheChatLineTakesMacrosAndItsOtherLayout) {
    start("[Language]\r\nini=LangEn\r\n");
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
}

TEST_F(MainWindowTest, AFloodOfMessagesOpensABoundedNumberOfWindows) {
    start();
    const auto openWindows = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            count +=
                dynamic_cast<natterby::windows::PrivateMessageWindow*>(widget) != nullptr ? 1 : 0;
        }
        return count;
    };
    const int before = openWindows();
    for (int i = 0; i < 80; ++i) {
        bob.says(protocol::privateMessage("Bob", "Ann", "spam " + std::to_string(i)));
        deliver();
    }
    EXPECT_EQ(openWindows() - before, 64);
    // Every message was still confirmed and noted.
    EXPECT_EQ(view(0)->toPlainText().count("Message received from <Bob>"), 80);
}
