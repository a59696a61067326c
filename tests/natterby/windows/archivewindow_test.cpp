#include "natterby/windows/archivewindow.h"
#include "natterby/windows/privatemessagewindow.h"
#include "tests/natterby/windows/windowtestbed.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

namespace {

using natterby::archive::appendArchiveRecord;
using natterby::windows::ArchiveWindow;
using natterby::windows::PrivateMessageWindow;

class Archive : public WindowTest {
protected:
    Archive() {
        appendArchiveRecord(path, "*>*", "09:05 | 06.12.2026", "Bob", "one");
        appendArchiveRecord(path, "*<*", "09:06 | 06.12.2026", "Cy", "two\r\nlines");
        appendArchiveRecord(path, "*>*", "09:07 | 06.12.2026", "Dan", "three");
    }

    ArchiveWindow* open() {
        auto* window = new ArchiveWindow(context(), path, [this](const std::string& text) {
            questions.push_back(text);
            return answerYes;
        });
        window->show();
        return window;
    }
    static QTreeWidget* records(const ArchiveWindow* window) {
        return child<QTreeWidget>(window, "records");
    }
    // A double click below the last row, where no click reopens anything.
    static void doubleClickBelowTheRows(const ArchiveWindow* window) {
        QWidget* viewport = records(window)->viewport();
        QTest::mouseDClick(viewport, Qt::RightButton, {}, QPoint(10, viewport->height() - 3));
    }

    const std::string path = ann.folder.file("Message.txt");
    std::vector<std::string> questions;
    bool answerYes = true;
};

TEST_F(Archive, ListsTheRecordsNewestFirstAndAClickReopensOne) {
    QTreeWidget* list = records(open());
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Dan");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "*<*");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "09:06 | 06.12.2026");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "two\nlines");
    EXPECT_EQ(list->topLevelItem(2)->text(3), "one");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(1)).center());
    PrivateMessageWindow* reopened = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* message = dynamic_cast<PrivateMessageWindow*>(widget)) {
            reopened = message;
        }
    }
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->windowTitle(), "<-Cy");
}

TEST_F(Archive, DeletingAsksAndEmptiesFileAndListOnlyOnYes) {
    answerYes = false;
    ArchiveWindow* kept = open();
    doubleClickBelowTheRows(kept);
    EXPECT_EQ(questions, std::vector<std::string>{"Delete archive?"});
    EXPECT_EQ(records(kept)->topLevelItemCount(), 3);
    EXPECT_EQ(natterby::archive::readArchive(path).size(), 3u);

    answerYes = true;
    ArchiveWindow* emptied = open();
    doubleClickBelowTheRows(emptied);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(records(emptied)->topLevelItemCount(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

} // namespace
