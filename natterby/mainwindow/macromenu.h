#pragma once

#include "common/ansi.h"

#include <QMenu>
#include <array>
#include <string>
#include <vector>

namespace natterby::mainwindow {

// The macro menu: twelve stored texts (Shift+F1 .. Shift+F12), the three commands (Ctrl+F1 ..
// Ctrl+F3) and the submenu that records the chat line as a macro (Ctrl+Shift+F1 .. F12). While
// the program runs a macro's text lives in its entry's caption.
class MacroMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr int kCount = 12;

    MacroMenu(const common::CodePage& codePage, QWidget* parent);

    // Captions in the code page: the twelve macros' and the record submenu's.
    void setCaptions(const std::vector<std::string>& macroCaptions,
                     const std::string& recordCaption);
    // Macro n (1 .. 12) after it was recorded.
    void setMacroCaption(int n, const std::string& caption);

    // Every entry with a hotkey, for the window to hold.
    QList<QAction*> hotkeyActions() const;

signals:
    // The text to insert at the chat line's caret, in the code page.
    void insertRequested(const std::string& text);
    void recordRequested(int n);

private:
    const common::CodePage& codePage_;
    std::array<std::string, kCount> captions_;
    std::array<QAction*, kCount> macros_{};
    std::array<QAction*, kCount> records_{};
    std::array<QAction*, 3> commands_{};
    QMenu* record_;
};

} // namespace natterby::mainwindow
