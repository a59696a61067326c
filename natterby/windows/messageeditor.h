#pragma once

#include <QPlainTextEdit>
#include <functional>

namespace natterby::windows {

// The editor in which a message is written. Enter sends, as the window's default button would;
// Shift+Enter and Ctrl+Enter break the line instead.
class MessageEditor : public QPlainTextEdit {
public:
    explicit MessageEditor(QWidget* parent);

    void onEnter(std::function<void()> action) { enter_ = std::move(action); }
    // Ctrl+Backspace runs this instead of deleting the word before the caret.
    void onLayoutSwap(std::function<void()> action) { layoutSwap_ = std::move(action); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> enter_;
    std::function<void()> layoutSwap_;
};

} // namespace natterby::windows
