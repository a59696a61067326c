#include "natterby/windows/privatemessagewindow.h"

#include "natterby/protocol/layoutswap.h"
#include "natterby/windows/messageeditor.h"
#include "natterby/windows/weblinks.h"
#include "natterby/windows/widgettext.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace natterby::windows {

namespace {

// Longer texts would not fit a datagram beside the two nicks; a paste that overshoots keeps a
// margin below the limit. Counted in code-page bytes with CR LF line ends, as they are sent.
constexpr std::size_t kEditorLimit = 600;
constexpr std::size_t kEditorCut = 580;
// Ctrl+Backspace types this in a plain edit box; it never belongs in a message.
constexpr QChar kDelete(0x7F);

constexpr int kMinimumWidth = 374;
constexpr int kMinimumHeight = 190;
// A quoting window steps aside, so that the message it quotes stays in sight under it.
constexpr QPoint kQuoteStep(10, 15);

QFont messageFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(18);
    font.setBold(true);
    return font;
}

QPushButton* addButton(QHBoxLayout* row, const QString& caption, const char* name) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

// The text as rich text that shows nothing as markup: every character escaped, line breaks and
// blanks kept, and each web address a link whose reference is its index in links.
QString messageHtml(const common::CodePage& codePage, std::string_view text,
                    const std::vector<WebLink>& links) {
    QString html = QStringLiteral("<div style=\"white-space: pre-wrap\">");
    const auto plain = [&](std::string_view part) {
        html += toWidgetText(codePage, part).toHtmlEscaped();
    };
    std::size_t at = 0;
    for (std::size_t i = 0; i < links.size(); ++i) {
        plain(text.substr(at, links[i].begin - at));
        html += QStringLiteral("<a href=\"%1\">").arg(i);
        plain(text.substr(links[i].begin, links[i].length));
        html += QStringLiteral("</a>");
        at = links[i].begin + links[i].length;
    }
    plain(text.substr(at));
    html += QStringLiteral("</div>");
    return html;
}

} // namespace

PrivateMessageWindow::PrivateMessageWindow(const WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    if (context_.image) {
        setWindowIcon(context_.image(kMessageWindowIcon));
    }

    view_ = new QTextBrowser;
    view_->setObjectName(QStringLiteral("view"));
    view_->setOpenLinks(false);
    view_->setFont(messageFont());
    connect(view_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { openLink(url); });

    editor_ = new MessageEditor(this);
    editor_->setObjectName(QStringLiteral("editor"));
    editor_->setFont(messageFont());
    editor_->onEnter([this] { send(); });
    editor_->onLayoutSwap([this] { swapLayout(); });
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] { limitEditor(); });

    const protocol::ChatTexts& texts = context_.texts;
    const auto caption = [&](std::string_view key) {
        return toWidgetLine(context_.codePage, texts.get("Buttons", key));
    };
    readingButtons_ = new QWidget;
    auto* reading = new QHBoxLayout(readingButtons_);
    reading->setContentsMargins(0, 0, 0, 0);
    connect(addButton(reading, caption("Okey"), "ok"), &QPushButton::clicked, this,
            &QWidget::close);
    connect(addButton(reading, caption("Quote"), "quote"), &QPushButton::clicked, this,
            [this] { quote(); });
    connect(addButton(reading, caption("Answer"), "answer"), &QPushButton::clicked, this,
            [this] { answer(); });

    writingButtons_ = new QWidget;
    auto* writing = new QHBoxLayout(writingButtons_);
    writing->setContentsMargins(0, 0, 0, 0);
    connect(addButton(writing, caption("Send"), "send"), &QPushButton::clicked, this,
            [this] { send(); });
    connect(addButton(writing, caption("Cancel"), "cancel"), &QPushButton::clicked, this,
            &QWidget::close);

    auto* strip = new QHBoxLayout;
    // The buttons keep off the window's edges.
    strip->setContentsMargins(4, 0, 4, 0);
    strip->addWidget(readingButtons_);
    strip->addStretch();
    strip->addWidget(writingButtons_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(view_);
    layout->addWidget(editor_);
    layout->addLayout(strip);

    placeAt(context_.privateWindow);
}

void PrivateMessageWindow::showReceived(std::string_view marker, const std::string& nick,
                                        const std::string& text, bool minimised) {
    showReading(marker, nick, text);
    // The user is busy elsewhere: the message waits on the taskbar without taking the focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (minimised) {
        showMinimized();
    } else {
        show();
    }
}

void PrivateMessageWindow::writeTo(const std::string& nick, const std::string& text) {
    showWriting(nick, text);
    bringToFront();
}

void PrivateMessageWindow::reopen(const archive::ArchiveRecord& record) {
    if (record.marker == archive::kArchiveSent) {
        showWriting(record.nick, record.text);
    } else {
        showReading("<-", record.nick, record.text);
    }
    bringToFront();
}

void PrivateMessageWindow::setTitle(std::string title) {
    title_ = std::move(title);
    setWindowTitle(toWidgetLine(context_.codePage, title_));
}

void PrivateMessageWindow::showReading(std::string_view marker, const std::string& nick,
                                       const std::string& text) {
    setTitle(std::string(marker) + nick);
    received_ = text;
    const std::vector<WebLink> links = findWebLinks(received_);
    linkTargets_.clear();
    for (const WebLink& link : links) {
        linkTargets_.push_back(link.target);
    }
    view_->setHtml(messageHtml(context_.codePage, received_, links));
    writing_ = false;
    editor_->hide();
    writingButtons_->hide();
    view_->show();
    readingButtons_->show();
}

void PrivateMessageWindow::showWriting(const std::string& nick, const std::string& text) {
    setTitle(">>" + nick);
    switchToWriting();
    editor_->setPlainText(toWidgetText(context_.codePage, text));
    editor_->moveCursor(QTextCursor::End);
}

void PrivateMessageWindow::bringToFront() {
    show();
    raise();
    activateWindow();
}

void PrivateMessageWindow::switchToWriting() {
    writing_ = true;
    received_.clear();
    linkTargets_.clear();
    view_->clear();
    editor_->clear();
    view_->hide();
    readingButtons_->hide();
    editor_->show();
    writingButtons_->show();
    editor_->setFocus();
}

void PrivateMessageWindow::turnToAnswer() {
    const std::string nick = this->nick();
    switchToWriting();
    if (context_.image) {
        setWindowIcon(context_.image(kAnswerIcon));
    }
    setTitle(">>" + nick);
}

void PrivateMessageWindow::answer() {
    turnToAnswer();
    keepRectangle();
}

void PrivateMessageWindow::quote() {
    const std::string quoted = received_;
    turnToAnswer();
    // The caret waits on an empty line above the quote, where the answer goes.
    editor_->setPlainText(toWidgetText(context_.codePage, "\r\n>>" + quoted));
    editor_->moveCursor(QTextCursor::Start);
    const QPoint stepped = pos() + kQuoteStep;
    placeAt({stepped.x(), stepped.y(), width(), height()});
}

void PrivateMessageWindow::send() {
    const std::string text = fromWidgetText(context_.codePage, editor_->toPlainText());
    if (!text.empty()) {
        context_.chat.sendPrivateMessage(nick(), text);
    }
    close();
}

void PrivateMessageWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (writing_) {
            send();
        } else {
            quote();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void PrivateMessageWindow::limitEditor() {
    QString text = editor_->toPlainText();
    bool changed = false;
    if (text.contains(kDelete)) {
        text.remove(kDelete);
        changed = true;
    }
    std::string ansi = fromWidgetText(context_.codePage, text);
    if (ansi.size() > kEditorLimit) {
        ansi.resize(kEditorCut);
        // A cut between CR and LF would leave half a line break.
        if (ansi.back() == '\r') {
            ansi.pop_back();
        }
        text = toWidgetText(context_.codePage, ansi);
        changed = true;
    }
    if (!changed) {
        return;
    }
    const int caret = editor_->textCursor().position();
    const QSignalBlocker blocker(editor_);
    editor_->setPlainText(text);
    QTextCursor cursor = editor_->textCursor();
    cursor.setPosition(std::min(caret, static_cast<int>(text.size())));
    editor_->setTextCursor(cursor);
}

void PrivateMessageWindow::swapLayout() {
    QTextCursor cursor = editor_->textCursor();
    if (!cursor.hasSelection()) {
        cursor.select(QTextCursor::Document);
    }
    const std::string selected = fromWidgetText(context_.codePage, cursor.selectedText());
    cursor.insertText(toWidgetText(context_.codePage, protocol::swapKeyboardLayout(selected)));
    editor_->setTextCursor(cursor);
    if (context_.nextKeyboardLayout) {
        context_.nextKeyboardLayout();
    }
}

void PrivateMessageWindow::openLink(const QUrl& url) {
    bool isNumber = false;
    const int index = url.toString().toInt(&isNumber);
    if (isNumber && index >= 0 && static_cast<std::size_t>(index) < linkTargets_.size()) {
        context_.launcher.openWithDefaultAction(
            context_.codePage.toUtf8(linkTargets_[static_cast<std::size_t>(index)]));
    }
}

settings::Bounds PrivateMessageWindow::bounds() const {
    return {pos().x(), pos().y(), width(), height()};
}

void PrivateMessageWindow::placeAt(const settings::Bounds& target) {
    // The move and the resize report one after the other, and the first of them finds the
    // window half placed: neither is the user's.
    placing_ = true;
    move(target.left, target.top);
    resize(target.width, target.height);
    placing_ = false;
    placed_ = bounds();
}

void PrivateMessageWindow::keepRectangle() {
    placed_ = bounds();
    context_.privateWindow = placed_;
}

void PrivateMessageWindow::userMovedOrResized() {
    if (placing_ || !isVisible() || isMinimized() || isMaximized() || bounds() == placed_) {
        return;
    }
    keepRectangle();
}

void PrivateMessageWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    userMovedOrResized();
}

void PrivateMessageWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    userMovedOrResized();
}

} // namespace natterby::windows
