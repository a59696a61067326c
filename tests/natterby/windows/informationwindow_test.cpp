#include "natterby/windows/informationwindow.h"
#include "tests/natterby/windows/windowtestbed.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

using natterby::windows::InformationWindow;

class Information : public WindowTest {};

TEST_F(Information, ShowsTheAnswerThroughTheCodePage) {
    // "Аня" in Windows-1251; the answer's texts are never markup.
    const natterby::protocol::InformationAnswer answer{
        "\xC0\xED\xFF", "none", "<i>ann</i>", "none", {"#Main", "#Work"}, "away\r\nback soon"};
    auto* window = new InformationWindow(ann.texts, ann.codePage, answer);
    EXPECT_EQ(window->windowTitle(), "Information");
    EXPECT_EQ(child<QLabel>(window, "nick")->text(), QStringLiteral("Login: Аня"));
    EXPECT_EQ(child<QLabel>(window, "computer")->text(), "Computer name: none");
    EXPECT_EQ(child<QLabel>(window, "user")->text(), "User name: <i>ann</i>");
    EXPECT_EQ(child<QLabel>(window, "user")->textFormat(), Qt::PlainText);
    EXPECT_EQ(child<QLineEdit>(window, "address")->text(), "none");
    auto* channels = child<QListWidget>(window, "channels");
    ASSERT_EQ(channels->count(), 2);
    EXPECT_EQ(channels->item(1)->text(), "#Work");
    EXPECT_EQ(child<QPlainTextEdit>(window, "autoAnswer")->toPlainText(), "away\nback soon");
}

} // namespace
