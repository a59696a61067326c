#pragma once

#include "common/ansi.h"

#include <QPlainTextEdit>
#include <functional>
#include <string>
#include <string_view>

class QTextCharFormat;

namespace natterby::mainwindow {

// The read-only view of one tab. Lines are appended at the end as plain text in a given format
// (never read as markup), and the web addresses in them become links that open with the
// desktop's default action. Typing here goes to the chat line instead.
class ChatViewWidget : public QPlainTextEdit {
    Q_OBJECT
public:
    // Gets a link's target in UTF-8, the file system's encoding.
    using LinkOpener = std::function<void(const std::string& target)>;

    ChatViewWidget(const common::CodePage& codePage, LinkOpener openLink, QWidget* parent);

    // A CR starts a new line.
    void appendText(const QTextCharFormat& format, std::string_view text);
    // The number of characters held, line breaks included.
    int length() const;

    void scrollToEnd();
    // The caret to the end, leaving the text scrolled where the reader has it.
    void placeCaretAtEnd();
    void clearSelection();
    bool hasSelection() const;
    // The whole text with CR LF line ends, in the code page, as Save As writes it.
    std::string ansiText() const;
    // Puts the selection, or all of the text, on the clipboard as plain text.
    void copySelection();
    void copyAll();

signals:
    // A printable character typed while the view had the focus.
    void typed(const QString& text);
    // A click that selected nothing: the user is back to typing.
    void clickedWithoutSelection();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void insertPiece(QTextCursor& cursor, std::string_view text, const QTextCharFormat& format);

    const common::CodePage& codePage_;
    LinkOpener openLink_;
    QString pressedAnchor_;
};

} // namespace natterby::mainwindow
