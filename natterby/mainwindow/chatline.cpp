#include "natterby/mainwindow/chatline.h"

#include <QKeyEvent>

namespace natterby::mainwindow {

ChatLine::ChatLine(QWidget* parent) : QLineEdit(parent) {}

void ChatLine::showText(const QString& text) {
    setText(text);
    end(false);
}

void ChatLine::appendTyped(const QString& text) {
    setText(this->text() + text);
    end(false);
    setFocus();
}

void ChatLine::keyPressEvent(QKeyEvent* event) {
    emit touched();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit enterPressed();
        return;
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            emit escapePressed();
            return;
        }
        break;
    case Qt::Key_Up:
        emit upPressed();
        return;
    case Qt::Key_Down:
        emit downPressed();
        return;
    case Qt::Key_Backspace:
        if (event->modifiers() == Qt::ControlModifier) {
            emit swapPressed();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatLine::mousePressEvent(QMouseEvent* event) {
    emit touched();
    QLineEdit::mousePressEvent(event);
}

} // namespace natterby::mainwindow
