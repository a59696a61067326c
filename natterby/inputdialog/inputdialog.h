#pragma once

#include "common/ansi.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace natterby::windows {

// The one-line question the chat asks: a topic, an auto-answer picked from earlier ones, a
// password and a command. The caller chooses which of the two fields is shown, fills it, runs
// the dialog and reads the text back. Texts are in the ANSI code page on both sides.
class InputDialog : public QDialog {
public:
    enum class Field { TextBox, List };
    // What run() returns.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    InputDialog(const common::CodePage& codePage, QWidget* parent);

    void setTitle(const std::string& title);
    void setButtonCaptions(const std::string& ok, const std::string& cancel);
    // Shows the field and hides the other; the shown one takes the focus.
    void useField(Field field);
    // The list's entries, in order; the list's text is left as it is.
    void setEntries(const std::vector<std::string>& entries);
    // The text of the field in use; selected, typing replaces it.
    void setText(const std::string& text, bool selected);
    std::string text() const;
    // The 1-based position of the list entry picked last, 0 while none was.
    int chosenNumber() const { return chosen_; }

    // Modal: kOk, or kCancel for Cancel, Escape and the close box.
    int run();

private:
    const common::CodePage& codePage_;
    Field field_ = Field::TextBox;
    QLineEdit* box_;
    QComboBox* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    int chosen_ = 0;
};

} // namespace natterby::windows
