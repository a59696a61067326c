#pragma once

#include "natterby/archive/archivefile.h"
#include "natterby/windows/windowcontext.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace natterby::windows {

// The message archive, newest record first. A click reopens a record in a private message
// window; a double click offers to empty the archive. Deletes itself when closed.
class ArchiveWindow : public QWidget {
public:
    // Asks a yes/no question (a text in the code page); true for Yes.
    using Question = std::function<bool(const std::string& text)>;

    // archivePath: Message.txt, in the file system's encoding. The private message windows
    // opened from here share this window's parent, so that they outlive it.
    ArchiveWindow(const WindowContext& context, std::string archivePath, Question ask,
                  QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reopen(QTreeWidgetItem* row);
    void offerToEmpty();

    WindowContext context_;
    std::string archivePath_;
    Question ask_;
    std::vector<archive::ArchiveRecord> records_;
    QTreeWidget* list_;
    // The second click of a double click is the question's, not a reopening.
    bool doubleClicked_ = false;
};

} // namespace natterby::windows
