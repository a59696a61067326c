#include "natterby/windows/messageeditor.h"

#include <QKeyEvent>

namespace natterby::windows {

MessageEditor::MessageEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

void MessageEditor::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (enter && modifiers == Qt::NoModifier && enter_) {
        enter_();
        return;
    }
    if (enter && (modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    if (event->key() == Qt::Key_Backspace && modifiers == Qt::ControlModifier && layoutSwap_) {
        layoutSwap_();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace natterby::windows
