#include "couriel/window/exchangewindow.h"

#include "common/texts.h"
#include "couriel/transfer/pauses.h"
#include "couriel/transfer/receiver.h"
#include "couriel/transfer/sender.h"
#include "couriel/window/drivebox.h"
#include "couriel/window/filebrowser.h"
#include "couriel/window/folderbox.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

namespace couriel {

namespace {

constexpr int kWidth = 541;
constexpr int kHeight = 354;
constexpr int kLineHeight = 18;
constexpr int kTopHeight = 53;
constexpr int kDriveBoxHeight = 24;
constexpr int kFolderRowTop = 26;
constexpr int kFolderRowHeight = 21;
constexpr int kFolderRowGap = 3;
constexpr int kBottomHeight = 80;
constexpr int kProgressHeight = 14;
constexpr int kButtonsTop = 27;
constexpr int kButtonsLeft = 7;
constexpr int kButtonWidth = 97;
constexpr int kButtonGap = 15;
constexpr int kStatusHeight = 17;
constexpr std::string_view kSection = "Exchange";

// The font whose lines are 18 pixels high, which the heights of the controls are made for.
QFont lineFont(QFont font) {
    for (int size = kLineHeight; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= kLineHeight) {
            break;
        }
    }
    return font;
}

QPushButton* boldButton(const QString& caption, const char* name) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    button->setFixedSize(kFolderRowHeight, kFolderRowHeight);
    return button;
}

} // namespace

ExchangeWindow::ExchangeWindow(ExchangeContext context, Side side, QWidget* parent)
    : QWidget(parent), context_(std::move(context)), side_(side), lastFolders_(context_.drives) {
    setWindowTitle(QStringLiteral("Couriel"));
    buildControls();
    if (side_ == Side::None) {
        // Started without the chat: nothing to exchange with.
        QTimer::singleShot(0, this, &QWidget::close);
    }
    loadStart();
}

ExchangeWindow::~ExchangeWindow() {
    context_.chat.onAddressComplete = nullptr;
}

void ExchangeWindow::buildControls() {
    setFont(lineFont(font()));
    browser_ = new FileBrowser;
    browser_->setObjectName(QStringLiteral("browser"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTopStrip());
    layout->addWidget(browser_, 1);
    layout->addWidget(buildBottomStrip());

    browser_->onFolderChanged = [this] { folderShown(); };
    browser_->onFileFocused = [this](const std::string& name) {
        status_->setText(QFile::decodeName(name.c_str()));
    };
    browser_->onFileOpened = [this](const std::string& path) {
        context_.launcher.openWithDefaultAction(path);
    };
    browser_->onRootWanted = [this] { goToRoot(); };
    folderBox_->onFolderChosen = [this](const std::string& folder) { goTo(folder); };
    connect(drives_, &QComboBox::activated, this, &ExchangeWindow::chooseDrive);
    connect(up_, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> parent = parentFolder(browser_->folder())) {
            goTo(*parent);
        }
    });
    connect(root_, &QPushButton::clicked, this, &ExchangeWindow::goToRoot);
    connect(ready_, &QPushButton::clicked, this, &ExchangeWindow::ready);
    connect(send_, &QPushButton::clicked, this, &ExchangeWindow::send);

    resize(kWidth, kHeight);
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

QWidget* ExchangeWindow::buildTopStrip() {
    drives_ = new DriveBox(context_.drives);
    drives_->setObjectName(QStringLiteral("drives"));
    drives_->setFixedHeight(kDriveBoxHeight);
    folderBox_ = new FolderBox;
    folderBox_->setObjectName(QStringLiteral("folderBox"));
    folderBox_->setFixedHeight(kFolderRowHeight);
    up_ = boldButton(QStringLiteral(".."), "up");
    root_ = boldButton(QStringLiteral("\\"), "root");

    auto* row = new QHBoxLayout;
    row->setSpacing(kFolderRowGap);
    row->addWidget(folderBox_, 1);
    row->addWidget(up_);
    row->addWidget(root_);

    auto* strip = new QWidget;
    strip->setFixedHeight(kTopHeight);
    auto* layout = new QVBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kFolderRowTop - kDriveBoxHeight);
    layout->addWidget(drives_);
    layout->addLayout(row);
    layout->addStretch();
    return strip;
}

QWidget* ExchangeWindow::buildBottomStrip() {
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setFixedHeight(kProgressHeight);
    ready_ = new QPushButton(QStringLiteral("Ready"));
    ready_->setObjectName(QStringLiteral("ready"));
    send_ = new QPushButton(QStringLiteral("Send"));
    send_->setObjectName(QStringLiteral("send"));
    for (QPushButton* button : {ready_, send_}) {
        button->setFixedWidth(kButtonWidth);
    }
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setFixedHeight(kStatusHeight);
    // A long path must not widen the window.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    status_->setAutoFillBackground(true);
    status_->setBackgroundRole(QPalette::Light);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(kButtonsLeft, 0, 0, 0);
    buttons->setSpacing(kButtonGap);
    buttons->addWidget(ready_);
    buttons->addWidget(send_);
    buttons->addStretch();

    auto* strip = new QWidget;
    strip->setFixedHeight(kBottomHeight);
    auto* layout = new QVBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(progress_);
    layout->addSpacing(kButtonsTop - kProgressHeight);
    layout->addLayout(buttons);
    layout->addStretch();
    layout->addWidget(status_);
    return strip;
}

void ExchangeWindow::loadStart() {
    // Interf.ini names the language file, and the folder shown when the last copy closed.
    const common::ProfileFile settings = settingsFile();
    const common::LanguageTexts language(common::languageFilePath(
        context_.programFolder, settings.readText("Language", "ini", "LangRus")));
    goTo(context_.programFolder);
    const std::string dir =
        settings.readText(kSection, "Dir", context_.codePage.fromUtf8(browser_->folder()));
    if (!dir.empty()) {
        goTo(context_.codePage.toUtf8(dir));
    }

    texts_ = loadExchangeTexts(language);
    ready_->setText(widgetText(texts_.ready));
    send_->setText(widgetText(texts_.send));
    const auto showMessage = [this](const std::string& text) { this->showMessage(text); };
    // The transfer sees the window only as its view.
    TransferView& view = *this;
    receiver_ =
        std::make_unique<Receiver>(view, texts_.transfer, context_.codePage, context_.host,
                                   std::make_unique<TimerPauses>(), showMessage, context_.port);
    sender_ = std::make_unique<Sender>(view, texts_.transfer, context_.codePage,
                                       std::make_unique<TimerPauses>(), showMessage, context_.port);

    status_->setText(QFile::decodeName(browser_->folder().c_str()));
    const bool receiving = side_ == Side::Receiving;
    ready_->setEnabled(receiving);
    send_->setEnabled(false);
    setWindowTitle(widgetText(receiving ? texts_.wait : texts_.select));
    // Only the copy that sends has use for the address: a receiving copy that sent would
    // read from the very folder it is writing into.
    if (side_ == Side::Sending) {
        context_.chat.onAddressComplete = [this] { addressComplete(); };
    }
    context_.chat.started();
}

void ExchangeWindow::goTo(const std::string& folder) {
    browser_->goTo(asFolder(folder));
}

void ExchangeWindow::folderShown() {
    const std::string& folder = browser_->folder();
    lastFolders_.shown(folder);
    drives_->showDrive(lastFolders_.driveOf(folder));
    folderBox_->showFolder(folder);
    status_->setText(QFile::decodeName(folder.c_str()));
}

void ExchangeWindow::chooseDrive(int index) {
    const std::string drive = drives_->drive(index);
    // Back to the folder last shown on that drive, or to its root when that folder has gone; a
    // drive that cannot be read keeps the browser where it is.
    if (!browser_->goTo(lastFolders_.folderOn(drive)) && !browser_->goTo(drive)) {
        drives_->showDrive(lastFolders_.driveOf(browser_->folder()));
    }
}

void ExchangeWindow::goToRoot() {
    goTo(lastFolders_.driveOf(browser_->folder()));
}

void ExchangeWindow::enableChoice(bool enabled) {
    // The folder box and the buttons beside it move the browser too, which would show a
    // folder other than the one the transfer uses.
    for (QWidget* control :
         std::initializer_list<QWidget*>{browser_, drives_, folderBox_, up_, root_}) {
        control->setEnabled(enabled);
    }
}

void ExchangeWindow::ready() {
    receiver_->start(std::filesystem::path(browser_->folder()));
    // The socket layer has said why it cannot listen (the port is taken, most likely); the
    // chat must not send the sender here, and Ready may be pressed again.
    if (receiver_->server().handle() < 0) {
        return;
    }
    enableChoice(false);
    ready_->setEnabled(false);
    status_->setText(widgetText(texts_.listen));
    context_.chat.listening();
}

void ExchangeWindow::addressComplete() {
    // An unknown address would have the sender connect to this computer, or nowhere.
    const bool known = context_.chat.peerAddressKnown();
    send_->setEnabled(known);
    if (!known) {
        status_->setText(widgetText(texts_.noAddress));
    }
}

void ExchangeWindow::send() {
    // Connecting with nothing to send would end the receiver's transfer with no file.
    if (!browser_->hasSelection() || !context_.chat.peerAddressKnown()) {
        return;
    }
    enableChoice(false);
    sender_->start(std::filesystem::path(browser_->folder()), context_.chat.peerAddress());
    // An address no route leads to fails at once; the selection may then be changed.
    if (!sender_->client().Active() && !sender_->client().Connected()) {
        enableChoice(true);
    }
}

void ExchangeWindow::showStatus(const std::string& text) {
    status_->setText(widgetText(text));
}

void ExchangeWindow::showProgress(int percent) {
    progress_->setValue(percent);
}

std::vector<std::string> ExchangeWindow::takeSelection() {
    send_->setEnabled(false);
    return browser_->takeSelection();
}

void ExchangeWindow::askToContinue(const std::string& question, std::function<void(bool)> answer) {
    // Not modal: the sockets' events keep coming while the user thinks.
    auto* box = new QMessageBox(QMessageBox::Question, widgetText(texts_.application),
                                widgetText(question), QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("question"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this,
            [answer = std::move(answer)](int result) { answer(result == QMessageBox::Yes); });
    box->open();
}

void ExchangeWindow::transferOver() {
    setWindowTitle(widgetText(texts_.end));
    context_.chat.over();
}

void ExchangeWindow::closeProgram() {
    close();
}

void ExchangeWindow::showMessage(const std::string& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, widgetText(texts_.application),
                                widgetText(text), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("message"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ExchangeWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closed_) {
        return;
    }
    closed_ = true;
    // A connection still being made would otherwise complete after the window has gone.
    if (sender_->client().Active()) {
        sender_->client().Disconnect();
    }
    if (receiver_->server().Active()) {
        receiver_->server().Disconnect();
    }
    settingsFile().writeText(kSection, "Dir", storedFolder(browser_->folder(), context_.codePage));
    context_.chat.over();
}

QString ExchangeWindow::widgetText(std::string_view ansi) const {
    return QString::fromStdString(context_.codePage.toUtf8(ansi));
}

common::ProfileFile ExchangeWindow::settingsFile() const {
    return common::ProfileFile(context_.programFolder + "Interf.ini");
}

} // namespace couriel
