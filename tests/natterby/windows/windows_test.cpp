#include "natterby/archive/archivefile.h"
#include "natterby/windows/archivewindow.h"
#include "natterby/windows/informationwindow.h"
#include "natterby/windows/massmessagewindow.h"
#include "natterby/windows/privatemessagewindow.h"
#include "natterby/windows/weblinks.h"
#include "natterby/windows/windowcontext.h"
#include "tests/fakes/lan.h"
#include "tests/fakes/qtapplication.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using namespace natterby::archive;
using namespace natterby::windows;

// Ann's windows over an in-memory LAN on which Bob, Cy and Dan also run.
class MessageWindow : public ::testing::Test {
protected:
    MessageWindow() { fakes::qtApplication(); }
    ~MessageWindow() override {
        QList<QPointer<QWidget>> windows;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            windows.append(window);
        }
        qDeleteAll(windows);
    }

    WindowContext context() {
        return {ann.chat,
                ann.texts,
                ann.codePage,
                ann.settings.position.privateWindow,
                ann.launcher,
                {},
                [this] { ++layoutSwitches; }};
    }
    PrivateMessageWindow* open() { return new PrivateMessageWindow(context()); }

    template <typename Widget> static Widget* child(const QWidget* window, const char* name) {
        auto* found = window->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QPlainTextEdit* editor(const QWidget* window) {
        return child<QPlainTextEdit>(window, "editor");
    }
    static void press(const QWidget* window, const char* button) {
        child<QPushButton>(window, button)->click();
    }

    fakes::Lan lan;
    fakes::Peer& ann = lan.add("Ann");
    fakes::Peer& bob = lan.add("Bob");
    fakes::Peer& cy = lan.add("Cy");
    fakes::Peer& dan = lan.add("Dan");
    int layoutSwitches = 0;
};

TEST_F(MessageWindow, QuoteOfATwoLineTextIsAnsweredAboveIt) {
    ann.settings.position.privateWindow = {120, 130, 420, 230};
    QPointer<PrivateMessageWindow> window = open();
    window->showReceived("<-", "Bob", "first\r\nsecond", false);
    EXPECT_FALSE(window->isWriting());

    press(window, "quote");
    EXPECT_TRUE(window->isWriting());
    EXPECT_EQ(window->windowTitle(), ">>Bob");
    EXPECT_EQ(editor(window)->toPlainText(), "\n>>first\nsecond");
    EXPECT_EQ(editor(window)->textCursor().position(), 0);
    // A quoting window steps aside and leaves the shared rectangle alone.
    EXPECT_EQ(window->pos(), QPoint(130, 145));
    EXPECT_EQ(ann.settings.position.privateWindow,
              (natterby::settings::Bounds{120, 130, 420, 230}));
    // A plain window takes the rectangle, and moving it moves the rectangle for the next.
    PrivateMessageWindow* plain = open();
    plain->showReceived("<-", "Cy", "hi", false);
    EXPECT_EQ(plain->pos(), QPoint(120, 130));
    EXPECT_EQ(plain->size(), QSize(420, 230));
    plain->move(200, 210);
    plain->resize(500, 300);
    EXPECT_EQ(ann.settings.position.privateWindow,
              (natterby::settings::Bounds{200, 210, 500, 300}));

    QTest::keyClicks(editor(window), "Yes");
    press(window, "send");
    lan.run();
    ASSERT_EQ(bob.view.received.size(), 1u);
    EXPECT_EQ(bob.view.received[0].marker, "<-");
    EXPECT_EQ(bob.view.received[0].nick, "Ann");
    EXPECT_EQ(bob.view.received[0].text, "Yes\r\n>>first\r\nsecond");
    fakes::deletePendingWidgets();
    EXPECT_TRUE(window.isNull());
}

TEST_F(MessageWindow, AMessageShowsAsTextWithLinksAndItsAnswerGoesToTheNickAndIsArchived) {
    PrivateMessageWindow* window = open();
    window->showReceived("<=", "Cy", "<b>see</b> www.example.org, or ftp://files.lan/x", true);
    EXPECT_TRUE(window->isMinimized());
    auto* view = child<QTextBrowser>(window, "view");
    EXPECT_EQ(view->toPlainText(), "<b>see</b> www.example.org, or ftp://files.lan/x");
    emit view->anchorClicked(QUrl(QStringLiteral("0")));
    emit view->anchorClicked(QUrl(QStringLiteral("1")));
    emit view->anchorClicked(QUrl(QStringLiteral("7")));
    EXPECT_EQ(ann.launcher.opened,
              (std::vector<std::string>{"http://www.example.org", "ftp://files.lan/x"}));

    // The answer goes to the nick whatever the marker.
    press(window, "answer");
    EXPECT_EQ(window->windowTitle(), ">>Cy");
    EXPECT_TRUE(editor(window)->toPlainText().isEmpty());

    QTest::keyClicks(editor(window), "Only to you");
    QTest::keyClick(editor(window), Qt::Key_Return);
    lan.run();
    ASSERT_EQ(cy.view.received.size(), 1u);
    EXPECT_EQ(cy.view.received[0].text, "Only to you");
    EXPECT_TRUE(bob.view.received.empty());
    EXPECT_EQ(TempFolder::read(ann.folder.file("Message.txt")),
              "*>*\r\n09:05 | 06.12.2026\r\nCy\r\nOnly to you\r\n");
}

TEST_F(MessageWindow, NothingEmptyIsSentLongTextsAreCutTo580BytesAndCtrlBackspaceRetypes) {
    PrivateMessageWindow* window = open();
    window->writeTo("Bob");
    press(window, "send");
    lan.run();
    EXPECT_TRUE(ann.sent.empty());

    editor(window)->insertPlainText(QString(700, u'a'));
    EXPECT_EQ(editor(window)->toPlainText(), QString(580, u'a'));

    // A line break is sent as CR LF and counts twice; the cut never splits it.
    editor(window)->clear();
    editor(window)->insertPlainText(QString("a\n").repeated(301));
    EXPECT_EQ(editor(window)->toPlainText().size(), 193 * 2 + 1);

    // Character 127 is what Ctrl+Backspace types in an edit box; it never gets in.
    editor(window)->setPlainText(QStringLiteral("x\x7fy"));
    EXPECT_EQ(editor(window)->toPlainText(), "xy");

    // Ctrl+Backspace retypes the selection in the other layout, or else everything.
    editor(window)->clear();
    QTest::keyClicks(editor(window), "ghbdtn ghbdtn");
    QTextCursor cursor = editor(window)->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    editor(window)->setTextCursor(cursor);
    QTest::keyClick(editor(window), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(editor(window)->toPlainText(), QStringLiteral("привет ghbdtn"));
    EXPECT_EQ(layoutSwitches, 1);
    QTest::keyClick(editor(window), Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(editor(window)->toPlainText(), QStringLiteral("ghbdtn привет"));
    EXPECT_EQ(layoutSwitches, 2);
}

TEST_F(MessageWindow, AMassMessageGoesToTheTickedNicksOnly) {
    ann.settings.position.privateWindow = {120, 130, 420, 230};
    QPointer<MassMessageWindow> window = new MassMessageWindow(context(), {"Bob", "Cy", "Dan"});
    window->open();
    EXPECT_EQ(window->windowTitle(), "=>Mass message");
    EXPECT_EQ(window->pos(), QPoint(120, 130));
    auto* recipients = child<QListWidget>(window, "recipients");
    ASSERT_EQ(recipients->count(), 3);
    EXPECT_EQ(recipients->item(2)->checkState(), Qt::Checked);

    recipients->item(1)->setCheckState(Qt::Unchecked);
    QTest::keyClicks(editor(window), "Lunch");
    press(window, "send");
    lan.run();
    for (const fakes::Peer* peer : {&bob, &dan}) {
        ASSERT_EQ(peer->view.received.size(), 1u);
        EXPECT_EQ(peer->view.received[0].marker, "<=");
        EXPECT_EQ(peer->view.received[0].nick, "Ann");
        EXPECT_EQ(peer->view.received[0].text, "Lunch");
    }
    EXPECT_TRUE(cy.view.received.empty());
    // Mass messages sent are not archived.
    EXPECT_FALSE(std::filesystem::exists(ann.folder.file("Message.txt")));
    fakes::deletePendingWidgets();
    EXPECT_TRUE(window.isNull());
}

TEST_F(MessageWindow, InformationIsShownThroughTheCodePageAndNeverAsMarkup) {
    // "Аня" in Windows-1251.
    const natterby::protocol::InformationAnswer answer{
        "\xC0\xED\xFF", "none", "<i>ann</i>", "none", {"#Main", "#Work"}, "away\r\nback soon"};
    auto* window = new InformationWindow(ann.texts, ann.codePage, answer);
    EXPECT_EQ(child<QLabel>(window, "nick")->text(), QStringLiteral("Login: Аня"));
    EXPECT_EQ(child<QLabel>(window, "user")->text(), "User name: <i>ann</i>");
    EXPECT_EQ(child<QLabel>(window, "user")->textFormat(), Qt::PlainText);
    auto* channels = child<QListWidget>(window, "channels");
    ASSERT_EQ(channels->count(), 2);
    EXPECT_EQ(channels->item(1)->text(), "#Work");
    EXPECT_EQ(child<QPlainTextEdit>(window, "autoAnswer")->toPlainText(), "away\nback soon");
}

class Archive : public MessageWindow {
protected:
    Archive() {
        appendArchiveRecord(path, "*>*", "09:05 | 06.12.2026", "Bob", "one");
        appendArchiveRecord(path, "*<*", "09:06 | 06.12.2026", "Cy", "two\r\nlines");
        appendArchiveRecord(path, "*>*", "09:07 | 06.12.2026", "Dan", "three");
    }

    QTreeWidget* open() {
        auto* window = new ArchiveWindow(context(), path, [this](const std::string& text) {
            questions.push_back(text);
            return answerYes;
        });
        window->show();
        return child<QTreeWidget>(window, "records");
    }

    const std::string path = ann.folder.file("Message.txt");
    std::vector<std::string> questions;
    bool answerYes = true;
};

TEST_F(Archive, ListsNewestFirstAClickReopensByDirectionAndDeletingAsksAndEmptiesOnYes) {
    QTreeWidget* list = open();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Dan");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "*<*");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "09:06 | 06.12.2026");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "two\nlines");
    EXPECT_EQ(list->topLevelItem(2)->text(3), "one");

    const auto reopen = [&](int row, const QString& title) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(row)).center());
        PrivateMessageWindow* found = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowTitle() == title) {
                found = dynamic_cast<PrivateMessageWindow*>(widget);
            }
        }
        return found;
    };
    PrivateMessageWindow* received = reopen(1, "<-Cy");
    ASSERT_NE(received, nullptr);
    EXPECT_FALSE(received->isWriting());
    QTest::keyClick(received, Qt::Key_Return);
    EXPECT_TRUE(received->isWriting());
    EXPECT_EQ(editor(received)->toPlainText(), "\n>>two\nlines\n");

    PrivateMessageWindow* sent = reopen(0, ">>Dan");
    ASSERT_NE(sent, nullptr);
    EXPECT_TRUE(sent->isWriting());
    EXPECT_EQ(editor(sent)->toPlainText(), "three\n");

    // A double click below the last row, where no click reopens anything, deletes.
    const auto deleteAll = [list] {
        QTest::mouseDClick(list->viewport(), Qt::RightButton, {},
                           QPoint(10, list->viewport()->height() - 3));
    };
    answerYes = false;
    deleteAll();
    EXPECT_EQ(questions, std::vector<std::string>{"Delete archive?"});
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(readArchive(path).size(), 3u);
    answerYes = true;
    deleteAll();
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(WebLinks, AreFoundWithoutTheSentenceAroundThem) {
    const struct {
        std::string text;
        std::vector<std::string> links; // the found texts, in order
    } cases[] = {
        {"see http://a.org/x?y=1.", {"http://a.org/x?y=1"}},
        {"(HTTPS://A.ORG) and www.b.net, then mailto:c@d.e!",
         {"HTTPS://A.ORG", "www.b.net", "mailto:c@d.e"}},
        {"line\r\nftp://f.lan/p\r\nnext", {"ftp://f.lan/p"}},
        {"<http://q.org>\"", {"http://q.org"}},
        // Not links: inside a word, a bare scheme, local files and programs.
        {"xwww.a.org http:// www. file:///bin/sh notes.txt", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> found;
        for (const auto& link : findWebLinks(c.text)) {
            ASSERT_LE(link.begin + link.length, c.text.size());
            found.push_back(c.text.substr(link.begin, link.length));
        }
        EXPECT_EQ(found, c.links) << c.text;
    }
}

} // namespace
