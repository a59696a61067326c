#include "natterby/mainwindow/chatviewwidget.h"

#include "natterby/mainwindow/typedkeys.h"
#include "natterby/windows/weblinks.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace natterby::mainwindow {

ChatViewWidget::ChatViewWidget(const common::CodePage& codePage, LinkOpener openLink,
                               QWidget* parent)
    : QPlainTextEdit(parent), codePage_(codePage), openLink_(std::move(openLink)) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                            Qt::LinksAccessibleByMouse);
    setContextMenuPolicy(Qt::CustomContextMenu);
    viewport()->setMouseTracking(true);
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(kFlushMilliseconds);
    connect(&flushTimer_, &QTimer::timeout, this, &ChatViewWidget::flush);
}

void ChatViewWidget::appendText(const QTextCharFormat& format, std::string_view text) {
    std::size_t done = 0;
    for (const windows::WebLink& link : windows::findWebLinks(text)) {
        addPiece(text.substr(done, link.begin - done), format);
        QTextCharFormat linkFormat = format;
        linkFormat.setAnchor(true);
        linkFormat.setAnchorHref(QString::fromStdString(codePage_.toUtf8(link.target)));
        linkFormat.setForeground(palette().color(QPalette::Link));
        linkFormat.setFontUnderline(true);
        addPiece(text.substr(link.begin, link.length), linkFormat);
        done = link.begin + link.length;
    }
    addPiece(text.substr(done), format);
    if (!flushTimer_.isActive()) {
        flushTimer_.start();
    }
}

void ChatViewWidget::addPiece(std::string_view text, const QTextCharFormat& format) {
    if (text.empty()) {
        return;
    }
    QString shown = QString::fromStdString(codePage_.toUtf8(text));
    // insertText makes a new paragraph of every '\n'; the chat's line break is a CR. Either
    // way each is one character of the document, so the length stays what the view will hold.
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    waitingLength_ += static_cast<int>(shown.size());
    waiting_.push_back({std::move(shown), format});
}

void ChatViewWidget::flush() {
    flushTimer_.stop();
    if (!waiting_.empty()) {
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        cursor.beginEditBlock();
        for (const Piece& piece : waiting_) {
            cursor.insertText(piece.text, piece.format);
        }
        cursor.endEditBlock();
        waiting_.clear();
        waitingLength_ = 0;
    }
    if (scrollWaiting_) {
        scrollWaiting_ = false;
        scrollNow();
    }
}

int ChatViewWidget::length() const {
    return document()->characterCount() + waitingLength_;
}

void ChatViewWidget::clearText() {
    waiting_.clear();
    waitingLength_ = 0;
    clear();
}

void ChatViewWidget::scrollToEnd() {
    if (waiting_.empty()) {
        scrollNow();
    } else {
        scrollWaiting_ = true;
    }
}

void ChatViewWidget::scrollNow() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatViewWidget::placeCaretAtEnd() {
    flush();
    const int scrolled = verticalScrollBar()->value();
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(scrolled);
}

void ChatViewWidget::clearSelection() {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.clearSelection();
        setTextCursor(cursor);
    }
}

bool ChatViewWidget::hasSelection() const {
    return textCursor().hasSelection();
}

std::string ChatViewWidget::ansiText() {
    flush();
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return codePage_.fromUtf8(text.toStdString());
}

void ChatViewWidget::copySelection() {
    if (hasSelection()) {
        QGuiApplication::clipboard()->setText(textCursor().selection().toPlainText());
    }
}

void ChatViewWidget::copyAll() {
    flush();
    clearSelection();
    QGuiApplication::clipboard()->setText(toPlainText());
}

QMimeData* ChatViewWidget::createMimeDataFromSelection() const {
    // Plain text only: the fonts are this program's decoration, not part of what was said.
    auto* data = new QMimeData;
    data->setText(textCursor().selection().toPlainText());
    return data;
}

void ChatViewWidget::keyPressEvent(QKeyEvent* event) {
    if (belongsToChatLine(*event)) {
        emit typed(event->text());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ChatViewWidget::mousePressEvent(QMouseEvent* event) {
    pressedAnchor_ =
        event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    QPlainTextEdit::mousePressEvent(event);
}

void ChatViewWidget::mouseMoveEvent(QMouseEvent* event) {
    viewport()->setCursor(anchorAt(event->position().toPoint()).isEmpty() ? Qt::IBeamCursor
                                                                          : Qt::PointingHandCursor);
    QPlainTextEdit::mouseMoveEvent(event);
}

void ChatViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || hasSelection()) {
        return;
    }
    const QString anchor = anchorAt(event->position().toPoint());
    if (!anchor.isEmpty() && anchor == pressedAnchor_) {
        openLink_(anchor.toStdString());
    }
    pressedAnchor_.clear();
    emit clickedWithoutSelection();
}

} // namespace natterby::mainwindow
