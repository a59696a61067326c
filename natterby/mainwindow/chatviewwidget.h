#pragma once

#include "common/ansi.h"

#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace natterby::mainwindow {

// The read-only view of one tab. Lines are appended at the end as plain text in a given format
// (never read as markup), and the web addresses in them become links that open with the
// desktop's default action. Typing here goes to the chat line instead.
//
// Appended text waits a moment (kFlushMilliseconds, below what the eye notices) and then goes
// into the document in one edit with whatever came meanwhile: laying out line by line is what
// a flood of lines would otherwise wait for, and most of such a flood is emptied away by the
// length bound before anyone could read it. The view answers for the waiting text as if it
// were in the document already (length, scrolling, emptying, copying, saving).
class ChatViewWidget : public QPlainTextEdit {
    Q_OBJECT
public:
    // Gets a link's target in UTF-8, the file system's encoding.
    using LinkOpener = std::function<void(const std::string& target)>;
    static constexpr int kFlushMilliseconds = 20;

    ChatViewWidget(const common::CodePage& codePage, LinkOpener openLink, QWidget* parent);

    // A CR starts a new line.
    void appendText(const QTextCharFormat& format, std::string_view text);
    // The number of characters held, line breaks and waiting text included.
    int length() const;
    // Empties the view, waiting text included.
    void clearText();
    // Puts the waiting text into the document now.
    void flush();

    // Once the waiting text is in.
    void scrollToEnd();
    // The caret to the end, leaving the text scrolled where the reader has it.
    void placeCaretAtEnd();
    void clearSelection();
    bool hasSelection() const;
    // The whole text with CR LF line ends, in the code page, as Save As writes it.
    std::string ansiText();
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
    struct Piece {
        QString text;
        QTextCharFormat format;
    };
    void addPiece(std::string_view text, const QTextCharFormat& format);
    void scrollNow();

    const common::CodePage& codePage_;
    LinkOpener openLink_;
    QString pressedAnchor_;
    std::vector<Piece> waiting_;
    int waitingLength_ = 0;
    QTimer flushTimer_;
    bool scrollWaiting_ = false;
};

} // namespace natterby::mainwindow
