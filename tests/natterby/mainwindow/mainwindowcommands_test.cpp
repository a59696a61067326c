#include "natterby/mainwindow/nicklist.h"
#include "natterby/protocol/messages.h"
#include "tests/natterby/mainwindow/mainwindowtestbed.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace protocol = natterby::protocol;
using natterby::mainwindow::NickList;

class MainWindowCommandsTest : public MainWindowTest {
protected:
    // Ann with Bob in her nick list (and herself: her own refresh answers her).
    void startWithBob(const std::string& moreSettings = {}) {
        start(moreSettings);
        bob.says(protocol::refreshAnswer("Ann", "Bob", '0', '1'));
        deliver();
        nicks = window->findChild<NickList*>("nickList");
    }
    void selectBob() {
        const QList<QListWidgetItem*> rows = nicks->findItems("Bob", Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1);
        rows.front()->setSelected(true);
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
        emit nicks->customContextMenuRequested(QPoint(2, 2));
        return shown;
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

    NickList* nicks = nullptr;
};

TEST_F(MainWindowCommandsTest, TheNickMenuOffersWhatTheSelectionAllowsAndDialogsAsk) {
    startWithBob();
    EXPECT_EQ(openNickMenu(), (std::vector<QString>{"Beep", "Mass message"}));

    selectBob();
    EXPECT_EQ(openNickMenu().size(), 8u); // Execute... shows again with a nick to run it on

    openNickMenu("Talk");
    EXPECT_EQ(body(network.sent.back()), protocol::talkInvitation("Ann", "Bob", '0'));
    ASSERT_EQ(tabs()->count(), 2);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_FALSE(hotkey("Ctrl+T")->isEnabled()); // no topic on a talk tab

    // A second Talk invites again but opens no second tab.
    tabs()->setCurrentIndex(0);
    const std::size_t sent = network.sent.size();
    openNickMenu("Talk");
    EXPECT_EQ(network.sent.size(), sent + 1);
    EXPECT_EQ(tabs()->count(), 2);

    // Topic and remote execution ask through the input dialog.
    tabs()->setCurrentIndex(0);
    std::vector<QString> titles;
    answerDialogs({"Lunch"}, &titles);
    hotkey("Ctrl+T")->trigger();
    EXPECT_EQ(titles, std::vector<QString>{"Change Topic..."});
    EXPECT_EQ(body(network.sent.back()), protocol::topicChange("#Main", "Lunch (Ann) "));

    titles.clear();
    answerDialogs({"secret", "notepad"}, &titles);
    openNickMenu("Execute...");
    EXPECT_EQ(titles, (std::vector<QString>{"Password", "Execute"}));
    EXPECT_EQ(body(network.sent.back()),
              protocol::remoteExecute("Ann", "Bob", "notepad", "secret"));
}

TEST_F(MainWindowCommandsTest, TheNickBoxAndTheViewTogglesAreWrittenAtOnce) {
    start();
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

TEST_F(MainWindowCommandsTest, TheChannelMenuJoinsAChannel) {
    start("[Channels]\r\nChannels=#Work#Games\r\nChannelsVis=#1#0\r\n");
    QMenu* channels = window->findChild<QToolButton*>("channels")->menu();
    ASSERT_EQ(channels->actions().size(), 3);
    EXPECT_EQ(channels->actions()[2]->text(), "#Games");

    channels->actions()[2]->trigger();
    EXPECT_EQ(body(network.sent.back()), protocol::join("Ann", "#Games", '0', '0'));
    ASSERT_EQ(tabs()->count(), 3);
    EXPECT_EQ(tabs()->currentIndex(), 2);
}

TEST_F(MainWindowCommandsTest, TypingPastingCopyingAndSaving) {
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

    bob.says(protocol::chatLine("#Main", "Bob", "\xEF\xF0\xE8\xE2\xE5\xF2 www.example.com"));
    deliver();
    auto* copySelection = window->findChild<QToolButton*>("copySelection");
    EXPECT_FALSE(copySelection->isEnabled());

    QTextCursor selection = find(view(0), "<Bob>");
    view(0)->setTextCursor(selection);
    EXPECT_TRUE(copySelection->isEnabled());
    QMetaObject::invokeMethod(copySelection, "click");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "<Bob>");
    EXPECT_FALSE(view(0)->hasSelection());
    EXPECT_FALSE(copySelection->isEnabled());

    // Saved text is in the code page with Windows line ends, link or not.
    const std::string saved = view(0)->ansiText();
    EXPECT_NE(saved.find("\r\n[09:05] <Bob>: \xEF\xF0\xE8\xE2\xE5\xF2 www.example.com"),
              std::string::npos);
    EXPECT_EQ(saved.find('\n', saved.find("\r\n") + 2),
              saved.find("\r\n", saved.find("\r\n") + 2) + 1);
}

TEST_F(MainWindowCommandsTest, TheSavedBoundsAreUsedWhenTheyFitAScreen) {
    start("[Position]\r\nLeft=40\r\nTop=50\r\nWidth=700\r\nHeight=99999\r\n");
    EXPECT_EQ(window->pos(), QPoint(40, 50));
    EXPECT_EQ(window->width(), 700);
    EXPECT_LE(window->height(), 16384); // a damaged height is held to a size a screen can show

    window.reset();
    start("[Position]\r\nLeft=-30000\r\nTop=-30000\r\n");
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().intersects(window->frameGeometry()));
}
