#include "natterby/windows/massmessagewindow.h"
#include "tests/natterby/windows/windowtestbed.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

using natterby::windows::MassMessageWindow;

class MassMessage : public WindowTest {};

TEST_F(MassMessage, GoesToTheTickedNicksOnly) {
    ann.settings.position.privateWindow = {120, 130, 420, 230};
    QPointer<MassMessageWindow> window = new MassMessageWindow(context(), {"Bob", "Cy", "Dan"});
    window->open();
    EXPECT_EQ(window->windowTitle(), "=>Mass message");
    EXPECT_EQ(window->pos(), QPoint(120, 130));
    auto* recipients = child<QListWidget>(window, "recipients");
    ASSERT_EQ(recipients->count(), 3);
    EXPECT_EQ(recipients->item(2)->checkState(), Qt::Checked);

    recipients->item(1)->setCheckState(Qt::Unchecked);
    QTest::keyClicks(child<QPlainTextEdit>(window, "editor"), "Lunch");
    child<QPushButton>(window, "send")->click();
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

} // namespace
