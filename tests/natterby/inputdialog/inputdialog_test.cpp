#include "natterby/inputdialog/inputdialog.h"
#include "tests/fakes/qtapplication.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using natterby::windows::InputDialog;

namespace {

// Runs the dialog with the steps done once it is up.
int runWith(InputDialog& dialog, std::function<void()> steps) {
    QTimer::singleShot(0, &dialog, std::move(steps));
    return dialog.run();
}

} // namespace

class InputDialogTest : public ::testing::Test {
protected:
    QApplication& application = fakes::qtApplication();
    const common::CodePage codePage{"CP1251"};
    InputDialog dialog{codePage, nullptr};
};

TEST_F(InputDialogTest, EnterIsOkWhileEscapeAndTheCloseBoxAreCancel) {
    dialog.useField(InputDialog::Field::TextBox);
    dialog.setText("\xD2\xE5\xEC\xE0", true); // "Тема" in Windows-1251
    auto* box = dialog.findChild<QLineEdit*>();
    EXPECT_EQ(runWith(dialog, [&] { QTest::keyClick(box, Qt::Key_Return); }), InputDialog::kOk);
    EXPECT_EQ(dialog.text(), "\xD2\xE5\xEC\xE0");

    EXPECT_EQ(runWith(dialog, [&] { QTest::keyClick(box, Qt::Key_Escape); }), InputDialog::kCancel);
    EXPECT_EQ(runWith(dialog, [&] { dialog.close(); }), InputDialog::kCancel);
}

TEST_F(InputDialogTest, PickingAListEntryRemembersItsNumber) {
    dialog.useField(InputDialog::Field::List);
    dialog.setEntries({"lunch", "meeting", "home", ""});
    dialog.setText("busy", false);
    EXPECT_EQ(dialog.chosenNumber(), 0);
    EXPECT_EQ(dialog.text(), "busy");

    auto* list = dialog.findChild<QComboBox*>();
    const int result = runWith(dialog, [&] {
        list->setCurrentIndex(1);
        QTest::keyClick(list, Qt::Key_Down); // the user picks the third entry
        QTest::keyClick(list, Qt::Key_Return);
    });
    EXPECT_EQ(result, InputDialog::kOk);
    EXPECT_EQ(dialog.chosenNumber(), 3);
    EXPECT_EQ(dialog.text(), "home");
}
