#include "natterby/windows/informationwindow.h"

#include "natterby/windows/widgettext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace natterby::windows {

namespace {

constexpr int kWidth = 245;
constexpr int kHeight = 255;

} // namespace

InformationWindow::InformationWindow(const protocol::ChatTexts& texts,
                                     const common::CodePage& codePage,
                                     const protocol::InformationAnswer& answer, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(toWidgetLine(codePage, texts.get("Information", "Info")));
    const auto line = [&](std::string_view key, const std::string& field, const char* name) {
        auto* label =
            new QLabel(toWidgetLine(codePage, texts.get("Information", key) + " " + field));
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::PlainText);
        return label;
    };

    auto* address = new QLineEdit(toWidgetLine(codePage, answer.address));
    address->setObjectName(QStringLiteral("address"));
    address->setReadOnly(true);
    address->setCursorPosition(0);
    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(new QLabel(QStringLiteral("IP")));
    addressRow->addWidget(address);

    auto* channels = new QListWidget;
    channels->setObjectName(QStringLiteral("channels"));
    for (const std::string& channel : answer.channels) {
        channels->addItem(toWidgetLine(codePage, channel));
    }

    auto* autoAnswer = new QPlainTextEdit(toWidgetText(codePage, answer.autoAnswer));
    autoAnswer->setObjectName(QStringLiteral("autoAnswer"));
    autoAnswer->setReadOnly(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(line("Nick", answer.answerer, "nick"));
    layout->addWidget(line("Comp", answer.computerName, "computer"));
    layout->addWidget(line("User", answer.userName, "user"));
    layout->addLayout(addressRow);
    layout->addWidget(channels);
    layout->addWidget(autoAnswer);
    setFixedSize(kWidth, kHeight);
}

} // namespace natterby::windows
