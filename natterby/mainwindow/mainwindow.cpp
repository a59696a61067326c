#include "natterby/mainwindow/mainwindow.h"

#include "natterby/mainwindow/chatline.h"
#include "natterby/mainwindow/chatviewwidget.h"
#include "natterby/mainwindow/macromenu.h"
#include "natterby/mainwindow/nicklist.h"
#include "natterby/mainwindow/tray.h"
#include "natterby/mainwindow/windowhotkeys.h"
#include "natterby/options/optionsdialog.h"
#include "natterby/windows/informationwindow.h"
#include "natterby/windows/privatemessagewindow.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace natterby::mainwindow {

namespace {

// The window as built; the settings file's position replaces it.
constexpr QRect kStartBounds{195, 115, 678, 435};
constexpr int kRightPanelWidth = 133;
constexpr int kSplitterWidth = 3;
// A view holding more than this is emptied, so that it never grows without bound.
constexpr int kMaxViewLength = 50000;
constexpr int kChannelImage = 4;
constexpr int kNewsImage = 5;
constexpr int kSnapDelayMilliseconds = 150;

} // namespace

MainWindow::MainWindow(MainWindowSeams seams)
    : seams_(std::move(seams)), session_(*this, *this, seams_), menus_(seams_.codePage, this) {
    setWindowIcon(images_.programIcon());
    buildToolBar();
    buildPanels();
    tray_ = new Tray(images_.programIcon(), menus_.tray, this);
    connectMenus();
    showCaptions();
    move(kStartBounds.topLeft());
    resize(kStartBounds.size());
    normalBounds_ = kStartBounds;

    // Tab 0 and its view exist from the start, so that the load has a font to take as the
    // styles' built-in one.
    tabAdded(std::string(protocol::kMainChannel));

    snapTimer_.setSingleShot(true);
    snapTimer_.setInterval(kSnapDelayMilliseconds);
    connect(&snapTimer_, &QTimer::timeout, this, &MainWindow::snapToWorkArea);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    const auto button = [&](int image, QMenu* menu, const QString& name) {
        auto* tool = new QToolButton(bar);
        tool->setIcon(images_.image(image));
        tool->setObjectName(name);
        tool->setAutoRaise(true);
        if (menu != nullptr) {
            tool->setMenu(menu);
            tool->setPopupMode(QToolButton::InstantPopup);
        }
        bar->addWidget(tool);
        return tool;
    };
    int tip = 0;
    const auto tipped = [&](QToolButton* tool) {
        tooltipButtons_[static_cast<std::size_t>(tip++)] = tool;
        return tool;
    };

    statusButton_ = button(0, menus_.status, QStringLiteral("status"));
    bar->addSeparator();
    connect(tipped(button(6, nullptr, QStringLiteral("copyAll"))), &QToolButton::clicked, this,
            [this] { currentView()->copyAll(); });
    copySelectionButton_ = tipped(button(7, nullptr, QStringLiteral("copySelection")));
    connect(copySelectionButton_, &QToolButton::clicked, this, [this] {
        currentView()->copySelection();
        currentView()->clearSelection();
    });
    connect(tipped(button(8, nullptr, QStringLiteral("paste"))), &QToolButton::clicked, this,
            &MainWindow::pasteLines);
    bar->addSeparator();
    tipped(button(5, menus_.channels, QStringLiteral("channels")));
    bar->addSeparator();
    connect(tipped(button(9, nullptr, QStringLiteral("archive"))), &QToolButton::clicked, this,
            &MainWindow::openArchive);
    bar->addSeparator();
    tipped(button(10, menus_.macros, QStringLiteral("macros")));
    bar->addSeparator();
    tipped(button(11, menus_.view, QStringLiteral("view")));
    bar->addSeparator();
    connect(tipped(button(12, nullptr, QStringLiteral("help"))), &QToolButton::clicked, this,
            &MainWindow::help);
    bar->addSeparator();
    connect(tipped(button(13, nullptr, QStringLiteral("exit"))), &QToolButton::clicked, this,
            &MainWindow::closeProgram);
}

void MainWindow::buildPanels() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setHandleWidth(kSplitterWidth);
    splitter_->setChildrenCollapsible(false);

    auto* main = new QWidget(splitter_);
    auto* mainLayout = new QVBoxLayout(main);
    mainLayout->setContentsMargins(2, 2, 0, 2);
    mainLayout->setSpacing(3);
    tabs_ = new QTabWidget(main);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setIconSize(QSize(16, 16));
    tabs_->setUsesScrollButtons(true);
    mainLayout->addWidget(tabs_, 1);
    chatLine_ = new ChatLine(main);
    chatLine_->setObjectName(QStringLiteral("chatLine"));
    chatLine_->setMinimumHeight(24);
    mainLayout->addWidget(chatLine_);

    auto* right = new QWidget(splitter_);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 2, 2, 2);
    rightLayout->setSpacing(3);
    nickPanel_ = new QWidget(right);
    auto* nickLayout = new QVBoxLayout(nickPanel_);
    nickLayout->setContentsMargins(0, 0, 0, 0);
    nickLayout->setSpacing(1);
    nickLabel_ = new QLabel(nickPanel_);
    nickBox_ = new QComboBox(nickPanel_);
    nickBox_->setObjectName(QStringLiteral("nickBox"));
    nickBox_->setEditable(true);
    nickBox_->setInsertPolicy(QComboBox::NoInsert);
    nickLabel_->setBuddy(nickBox_);
    nickLayout->addWidget(nickLabel_);
    nickLayout->addWidget(nickBox_);
    rightLayout->addWidget(nickPanel_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    refresh_ = new QPushButton(right);
    refresh_->setObjectName(QStringLiteral("refresh"));
    members_ = new QToolButton(right);
    members_->setObjectName(QStringLiteral("members"));
    members_->setIcon(images_.image(15));
    members_->setFixedWidth(25);
    buttons->addWidget(refresh_, 1);
    buttons->addWidget(members_);
    rightLayout->addLayout(buttons);

    nickList_ =
        new NickList([this](char status, int state) { return images_.nickRow(status, state); },
                     [this](const std::string& nick) { return shown(nick); }, right);
    nickList_->setObjectName(QStringLiteral("nickList"));
    rightLayout->addWidget(nickList_, 1);

    splitter_->addWidget(main);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes(
        {kStartBounds.width() - kRightPanelWidth - kSplitterWidth, kRightPanelWidth});
    setCentralWidget(splitter_);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (!followingCore_ && tab >= 0) {
            userChangedTab(tab);
        }
    });
    connect(chatLine_, &ChatLine::enterPressed, this, &MainWindow::enterLine);
    connect(chatLine_, &ChatLine::escapePressed, this, &MainWindow::escapeLine);
    connect(chatLine_, &ChatLine::upPressed, this,
            [this] { chatLine_->showText(shown(chat().historyUp())); });
    connect(chatLine_, &ChatLine::downPressed, this,
            [this] { chatLine_->showText(shown(chat().historyDown())); });
    connect(chatLine_, &ChatLine::touched, this, [this] { currentView()->clearSelection(); });
    nickBox_->lineEdit()->installEventFilter(this);
    connect(nickBox_->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { chat().renameFromNickBox(ansi(nickBox_->currentText())); });
    connect(refresh_, &QPushButton::clicked, this, [this] {
        chat().refresh();
        chatLine_->setFocus();
    });
    connect(members_, &QToolButton::clicked, this, [this] {
        chat().requestChannelMembers();
        chatLine_->setFocus();
    });
    connect(nickList_, &NickList::nickClicked, this, &MainWindow::openMessageTo);
    connect(nickList_, &NickList::typed, chatLine_, &ChatLine::appendTyped);
    connect(nickList_, &NickList::touched, this, [this] { currentView()->clearSelection(); });
    connect(nickList_, &QWidget::customContextMenuRequested, this, &MainWindow::showNickMenu);
}

void MainWindow::connectMenus() {
    for (int status = 0; status < MainMenus::kStatusCount; ++status) {
        connect(menus_.statusEntries[static_cast<std::size_t>(status)], &QAction::triggered, this,
                [this, status] { chooseStatus(status); });
    }
    connect(menus_.channels, &QMenu::triggered, this, [this](QAction* entry) {
        const auto index = static_cast<std::size_t>(entry->data().toInt());
        if (index < channelMenu_.size()) {
            chat().joinChannel(channelMenu_[index]);
        }
    });
    addToChannelMenu(std::string(protocol::kMainChannel));
    connect(menus_.macros, &MacroMenu::insertRequested, this, &MainWindow::insertMacro);
    connect(menus_.macros, &MacroMenu::recordRequested, this, &MainWindow::recordMacro);

    connect(menus_.copy, &QAction::triggered, this, [this] { currentView()->copySelection(); });
    connect(menus_.saveAs, &QAction::triggered, this, &MainWindow::saveCurrentView);
    connect(menus_.changeTopic, &QAction::triggered, this, &MainWindow::changeTopic);
    connect(menus_.clearChat, &QAction::triggered, this, &MainWindow::clearChat);
    connect(menus_.leave, &QAction::triggered, this, [this] { chat().leaveCurrentTab(); });

    const auto withNick = [this](auto action) {
        return [this, action] {
            if (const auto nick = selectedNick()) {
                action(*nick);
            }
        };
    };
    auto& nick = menus_.nickEntries;
    connect(nick[MainMenus::Message], &QAction::triggered, this,
            withNick([this](const std::string& who) { openMessageTo(who); }));
    connect(nick[MainMenus::Information], &QAction::triggered, this,
            withNick([this](const std::string& who) { chat().requestInformation(who); }));
    connect(nick[MainMenus::Execute], &QAction::triggered, this, &MainWindow::remoteExecute);
    connect(nick[MainMenus::SendFile], &QAction::triggered, this,
            withNick([this](const std::string& who) { chat().offerFiles(who); }));
    connect(nick[MainMenus::Beep], &QAction::triggered, this,
            [this] { chat().soundCall(selectedNick()); });
    connect(nick[MainMenus::Talk], &QAction::triggered, this,
            withNick([this](const std::string& who) {
                chat().talk(who);
                updateTopicEnabled();
            }));
    connect(nick[MainMenus::Ignore], &QAction::triggered, this,
            withNick([this](const std::string& who) {
                openOptions(settings::OptionsPage::Ignore, who);
            }));
    connect(nick[MainMenus::MassMessage], &QAction::triggered, this, &MainWindow::openMassMessage);

    for (int entry = 0; entry < MainMenus::kViewToggleCount; ++entry) {
        connect(menus_.viewToggles[static_cast<std::size_t>(entry)], &QAction::triggered, this,
                [this, entry] { toggleView(entry); });
    }
    connect(menus_.options, &QAction::triggered, this,
            [this] { openOptions(settings::OptionsPage::View, std::nullopt); });

    connect(menus_.restore, &QAction::triggered, this, [this] { chat().restore(); });
    connect(menus_.close, &QAction::triggered, this, &MainWindow::closeProgram);
    connect(tray_, &Tray::clicked, this, &MainWindow::trayClicked);

    // The hotkeys work with every menu shut, and beat the editing keys of the chat line and
    // the nick box.
    const QList<QAction*> hotkeys = menus_.hotkeyActions();
    addActions(hotkeys);
    QList<QKeySequence> keys;
    for (const QAction* action : hotkeys) {
        keys.append(action->shortcut());
    }
    chatLine_->installEventFilter(new WindowHotkeys(keys, chatLine_));
    // The layout swap is the chat line's own key there, and the window's everywhere else.
    auto* swap = new QAction(this);
    swap->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Backspace));
    connect(swap, &QAction::triggered, this, &MainWindow::swapLayout);
    addAction(swap);
    connect(chatLine_, &ChatLine::swapPressed, this, &MainWindow::swapLayout);
    keys.append(swap->shortcut());
    // The nick box hands the key to its line edit from its own event as well.
    auto* nickBoxKeys = new WindowHotkeys(keys, nickBox_);
    nickBox_->installEventFilter(nickBoxKeys);
    nickBox_->lineEdit()->installEventFilter(nickBoxKeys);
}

ChatViewWidget* MainWindow::makeView() {
    auto* view = new ChatViewWidget(
        seams_.codePage,
        [this](const std::string& target) { seams_.launcher.openWithDefaultAction(target); },
        tabs_);
    view->setFrameShape(QFrame::NoFrame);
    connect(view, &ChatViewWidget::typed, chatLine_, &ChatLine::appendTyped);
    connect(view, &ChatViewWidget::clickedWithoutSelection, this, [this, view] {
        view->placeCaretAtEnd();
        chatLine_->setFocus();
    });
    connect(view, &QPlainTextEdit::copyAvailable, this, [this, view](bool) {
        if (view == currentView()) {
            updateCopyEnabled();
        }
    });
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        updateCopyEnabled();
        menus_.tab->exec(view->viewport()->mapToGlobal(at));
    });
    return view;
}

QString MainWindow::shown(std::string_view text) const {
    return QString::fromStdString(seams_.codePage.toUtf8(text));
}

std::string MainWindow::ansi(const QString& text) const {
    return seams_.codePage.fromUtf8(text.toStdString());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A click into the nick box, like one into the chat line or the nick list, ends reading.
    if (watched == nickBox_->lineEdit() && event->type() == QEvent::MouseButtonPress) {
        currentView()->clearSelection();
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- the views

ChatViewWidget* MainWindow::currentView() const {
    const int tab = std::max(tabs_->currentIndex(), 0);
    return views_[static_cast<std::size_t>(tab)];
}

void MainWindow::afterTextChange(int tab) {
    scrollCurrentView();
    // Every view is bounded, not only the one on show: a busy channel in a background tab would
    // otherwise grow for as long as the program runs.
    ChatViewWidget* view = views_[static_cast<std::size_t>(tab)];
    if (view->length() > kMaxViewLength) {
        view->clearText();
        view->appendText(formats_[protocol::kSystemFont - 1], chat().clearedLine());
    }
}

void MainWindow::scrollCurrentView() {
    if (!seams_.settings.view.scrolling || !isVisible()) {
        return;
    }
    currentView()->scrollToEnd();
    chatLine_->setFocus();
}

void MainWindow::clearChat() {
    ChatViewWidget* view = currentView();
    view->clearText();
    view->appendText(formats_[protocol::kSystemFont - 1], chat().clearedLine());
    chatLine_->setFocus();
}

void MainWindow::saveCurrentView() {
    const int tab = std::max(tabs_->currentIndex(), 0);
    QString proposed = shown(chat().tabs()[static_cast<std::size_t>(tab)].name);
    proposed.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString path =
        QFileDialog::getSaveFileName(this, menus_.saveAs->text().remove(QLatin1Char('&')), proposed,
                                     QStringLiteral("Text (*.txt)"));
    if (path.isEmpty()) {
        return;
    }
    std::ofstream file(path.toStdString(), std::ios::binary | std::ios::trunc);
    const std::string text = currentView()->ansiText();
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) {
        QMessageBox::warning(
            this, shown(seams_.texts.programTitle()),
            QStringLiteral("%1\n%2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
}

void MainWindow::updateCopyEnabled() {
    const bool selection = currentView()->hasSelection();
    copySelectionButton_->setEnabled(selection);
    menus_.copy->setEnabled(selection);
}

void MainWindow::userChangedTab(int tab) {
    if (seams_.settings.view.scrolling && isVisible()) {
        views_[static_cast<std::size_t>(tab)]->scrollToEnd();
    }
    chat().selectTab(tab);
    updateTopicEnabled();
    clearViewSelections();
    updateCopyEnabled();
    chatLine_->setFocus();
}

void MainWindow::updateTopicEnabled() {
    const int tab = std::max(tabs_->currentIndex(), 0);
    menus_.changeTopic->setEnabled(session_.started() &&
                                   chat().tabs()[static_cast<std::size_t>(tab)].isChannel());
}

void MainWindow::clearViewSelections() {
    for (ChatViewWidget* view : views_) {
        view->clearSelection();
    }
}

// --- protocol::ChatView

void MainWindow::appendText(int tab, protocol::Font font, std::string_view text) {
    if (tab < 0 || static_cast<std::size_t>(tab) >= views_.size() || font < 1 ||
        font > settings::kFontStyleCount) {
        return;
    }
    views_[static_cast<std::size_t>(tab)]->appendText(formats_[static_cast<std::size_t>(font - 1)],
                                                      text);
    afterTextChange(tab);
}

void MainWindow::tabAdded(const std::string& name) {
    ChatViewWidget* view = makeView();
    views_.push_back(view);
    const QSignalBlocker quiet(tabs_);
    tabs_->addTab(view, images_.image(kChannelImage), shown(name));
    applyColours();
}

void MainWindow::tabRemoved(int tab) {
    if (tab <= 0 || static_cast<std::size_t>(tab) >= views_.size()) {
        return;
    }
    followingCore_ = true;
    ChatViewWidget* view = views_[static_cast<std::size_t>(tab)];
    views_.erase(views_.begin() + tab);
    tabs_->removeTab(tab);
    view->deleteLater();
    followingCore_ = false;
    updateTopicEnabled();
}

void MainWindow::currentTabChanged(int tab) {
    followingCore_ = true;
    tabs_->setCurrentIndex(tab);
    followingCore_ = false;
    updateTopicEnabled();
    updateCopyEnabled();
}

void MainWindow::tabUnreadChanged(int tab, bool unread) {
    tabs_->setTabIcon(tab, images_.image(unread ? kNewsImage : kChannelImage));
}

void MainWindow::rosterChanged() {
    nickList_->showRows(chat().roster());
}

void MainWindow::refreshCaptionChanged(const std::string& caption) {
    refresh_->setText(shown(caption));
}

void MainWindow::ownNickChanged(const std::string& nick) {
    showNicks();
    nickBox_->setEditText(shown(nick));
    chatLine_->setFocus();
}

void MainWindow::captionChanged(const std::string& caption) {
    caption_ = shown(caption);
    setWindowTitle(caption_);
}

void MainWindow::trayTipChanged(const std::string& tip) {
    tray_->setToolTip(shown(tip));
}

void MainWindow::trayIconChanged(int index) {
    tray_->setIcon(images_.image(index));
}

void MainWindow::showBalloon(const std::string& title, const std::string& text) {
    tray_->showBalloon(shown(title), shown(text));
}

void MainWindow::hideBalloon() {
    // A desktop notification cannot be taken back once shown; the balloon that follows this
    // call replaces it.
}

void MainWindow::restoreWindow() {
    showNormal();
    raise();
    activateWindow();
    if (seams_.settings.view.scrolling) {
        currentView()->scrollToEnd();
    }
    chatLine_->setFocus();
}

void MainWindow::openReceivedMessage(std::string_view marker, const std::string& nick,
                                     const std::string& text, bool minimised) {
    if (peerWindows_ >= kMaxPeerWindows) {
        return;
    }
    auto* window = new windows::PrivateMessageWindow(windowContext());
    admitPeerWindow(window);
    window->showReceived(marker, nick, text, minimised);
}

void MainWindow::openInformation(const protocol::InformationAnswer& answer) {
    if (peerWindows_ >= kMaxPeerWindows) {
        return;
    }
    auto* window = new windows::InformationWindow(seams_.texts, seams_.codePage, answer);
    admitPeerWindow(window);
    window->setWindowIcon(images_.programIcon());
    window->show();
}

void MainWindow::admitPeerWindow(QWidget* window) {
    ++peerWindows_;
    connect(window, &QObject::destroyed, this, [this] { --peerWindows_; });
}

bool MainWindow::askYesNo(const std::string& text) {
    return QMessageBox::question(this, shown(seams_.texts.programTitle()), shown(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MainWindow::showMessage(const std::string& text) {
    QMessageBox::information(this, shown(seams_.texts.programTitle()), shown(text));
}

void MainWindow::otherChannelsAnswered(const std::vector<std::string>& names) {
    if (options_ != nullptr) {
        options_->addOtherChannels(names);
    }
}

} // namespace natterby::mainwindow
