#pragma once

#include <QLineEdit>

namespace natterby::mainwindow {

// The one-line field under the tabs. It only reports the keys that mean something to the chat;
// what they do is the main window's business.
class ChatLine : public QLineEdit {
    Q_OBJECT
public:
    explicit ChatLine(QWidget* parent);

    // Puts the text in and the caret at its end, with nothing selected.
    void showText(const QString& text);
    // Adds typed text at the end, as the chat views and the nick list pass it on.
    void appendTyped(const QString& text);

signals:
    void enterPressed();
    void escapePressed();
    void upPressed();
    void downPressed();
    // Ctrl+BackSpace: retype the line in the other keyboard layout.
    void swapPressed();
    // Any key or click here: the user is typing, not reading a selection in a view.
    void touched();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace natterby::mainwindow
