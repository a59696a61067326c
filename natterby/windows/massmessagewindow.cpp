#include "natterby/windows/massmessagewindow.h"

#include "natterby/windows/messageeditor.h"
#include "natterby/windows/widgettext.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace natterby::windows {

namespace {

constexpr int kWidth = 459;
constexpr int kHeight = 171;
constexpr int kMinimumWidth = 374;
constexpr int kMinimumHeight = 190;
constexpr int kRecipientsWidth = 113;

} // namespace

MassMessageWindow::MassMessageWindow(const WindowContext& context,
                                     const std::vector<std::string>& nicks, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), nicks_(nicks) {
    setAttribute(Qt::WA_DeleteOnClose);
    if (context_.image) {
        setWindowIcon(context_.image(kMessageWindowIcon));
    }
    const common::CodePage& codePage = context_.codePage;
    const protocol::ChatTexts& texts = context_.texts;
    setWindowTitle(toWidgetLine(codePage, "=>" + texts.get("Menu7", "7")));

    editor_ = new MessageEditor(this);
    editor_->setObjectName(QStringLiteral("editor"));
    editor_->onEnter([this] { send(); });

    recipients_ = new QListWidget;
    recipients_->setObjectName(QStringLiteral("recipients"));
    recipients_->setFixedWidth(kRecipientsWidth);
    for (const std::string& nick : nicks_) {
        auto* row = new QListWidgetItem(toWidgetLine(codePage, nick), recipients_);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(Qt::Checked);
    }

    auto* sendButton = new QPushButton(toWidgetLine(codePage, texts.get("Buttons", "Send")));
    sendButton->setObjectName(QStringLiteral("send"));
    connect(sendButton, &QPushButton::clicked, this, [this] { send(); });
    auto* cancelButton = new QPushButton(toWidgetLine(codePage, texts.get("Buttons", "Cancel")));
    cancelButton->setObjectName(QStringLiteral("cancel"));
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addWidget(editor_);
    top->addWidget(recipients_);
    auto* strip = new QHBoxLayout;
    // The buttons keep off the window's edges.
    strip->setContentsMargins(4, 0, 4, 0);
    strip->addWidget(sendButton);
    strip->addWidget(cancelButton);
    strip->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addLayout(top);
    layout->addLayout(strip);

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kWidth, kHeight);
    // It opens where the private message windows do, at its own size.
    move(context_.privateWindow.left, context_.privateWindow.top);
}

void MassMessageWindow::open() {
    show();
    raise();
    activateWindow();
    editor_->setFocus();
}

void MassMessageWindow::send() {
    const std::string text = fromWidgetText(context_.codePage, editor_->toPlainText());
    std::vector<std::string> ticked;
    for (int row = 0; row < recipients_->count(); ++row) {
        if (recipients_->item(row)->checkState() == Qt::Checked) {
            ticked.push_back(nicks_[static_cast<std::size_t>(row)]);
        }
    }
    if (!text.empty() && !ticked.empty()) {
        context_.chat.sendMassMessage(ticked, text);
    }
    close();
}

} // namespace natterby::windows
