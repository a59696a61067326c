// The start-up: the session's, with the window giving its defaults, and the loaded settings put
// into the widgets; also the view menu's toggles, which change settings while the program runs.
#include "natterby/mainwindow/chatline.h"
#include "natterby/mainwindow/chatviewwidget.h"
#include "natterby/mainwindow/macromenu.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/mainwindow/nicklist.h"
#include "natterby/mainwindow/textformat.h"
#include "natterby/mainwindow/tray.h"
#include "natterby/options/colourvalue.h"
#include "natterby/protocol/macros.h"
#include "natterby/settings/settingswriters.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

namespace natterby::mainwindow {

namespace {

constexpr int kMinWidth = 300;
constexpr int kMinHeight = 200;
constexpr int kMaxSide = 16384;

constexpr std::array kToggles = {
    settings::ViewToggle::Scrolling,     settings::ViewToggle::ShowTooltip,
    settings::ViewToggle::ShowBalloon,   settings::ViewToggle::ShowNick,
    settings::ViewToggle::ShowComputers, settings::ViewToggle::ViewSeconds,
    settings::ViewToggle::AccessExecute};

// The tab styles of [View] Tab: 2 buttons, 3 flat buttons; anything else plain tabs.
constexpr const char* kButtonTabs =
    "QTabBar::tab { border: 1px solid palette(mid); border-radius: 3px; padding: 3px 10px; "
    "margin: 2px 2px 2px 0; background: palette(button); }"
    "QTabBar::tab:selected { background: palette(midlight); border-color: palette(dark); }";
constexpr const char* kFlatTabs =
    "QTabBar::tab { border: 1px solid transparent; border-radius: 3px; padding: 3px 10px; "
    "margin: 2px 2px 2px 0; }"
    "QTabBar::tab:hover { border-color: palette(mid); }"
    "QTabBar::tab:selected { border-color: palette(dark); background: palette(midlight); }";

} // namespace

void MainWindow::start() {
    chatLine_->setFocus();
    session_.start();
    updateTopicEnabled();
    updateCopyEnabled();

    // Without a tray a hidden window could never be brought back.
    const settings::Settings& settings = seams_.settings;
    if (settings.position.show || !tray_->available()) {
        if (settings.position.max == 1) {
            showMaximized();
        } else {
            show();
        }
    }
    noteVisibility();
}

// --- session::StartupView

settings::Bounds MainWindow::windowBounds() {
    return {normalBounds_.x(), normalBounds_.y(), normalBounds_.width(), normalBounds_.height()};
}

settings::FontStyle MainWindow::mainFont() {
    return fontStyle(views_.front()->font(), seams_.codePage);
}

void MainWindow::languageChanged() {
    showCaptions();
    menus_.macros->setCaptions(protocol::macroCaptions(session_.language()),
                               seams_.texts.get("Macros", "Rec"));
}

void MainWindow::showCaptions() {
    menus_.setCaptions(seams_.texts);
    nickLabel_->setText(shown(seams_.texts.get("Interface", "Nickname")));
    refresh_->setText(shown(seams_.texts.get("Interface", "Refresh") + ":"));
}

void MainWindow::addToChannelMenu(const std::string& channel) {
    QString caption = shown(channel);
    QAction* entry =
        menus_.channels->addAction(images_.image(4), caption.replace('&', QStringLiteral("&&")));
    // The entry keeps the name's bytes, which a trip through Unicode might not give back.
    entry->setData(static_cast<int>(channelMenu_.size()));
    channelMenu_.push_back(channel);
}

void MainWindow::settingsLoaded() {
    applySettings();
    // The taskbar names the program; window titles already end in the same words.
    QGuiApplication::setApplicationDisplayName(shown(seams_.texts.programTitle()));
}

// --- settings::OptionsHost

QIcon MainWindow::trayImage(int index) const {
    return images_.image(index);
}

void MainWindow::appearanceChanged() {
    applyFonts();
    applyColours();
}

void MainWindow::trayIconChanged() {
    // A flashing icon takes the new picture at its next step.
    if (!chat().attention().flashing) {
        tray_->setIcon(images_.image(seams_.settings.icon.normal));
    }
}

void MainWindow::genderChanged() {
    chat().setGender(seams_.settings.nicks.gender);
}

// --- settings into widgets

void MainWindow::applySettings() {
    const settings::Settings& settings = seams_.settings;
    applyFonts();
    applyColours();
    applyTabStyle();
    applyPosition();
    nickPanel_->setVisible(settings.view.nickVis);
    showNicks();
    nickBox_->setEditText(shown(settings.nicks.current));
    showStatus(settings.nicks.status);
    const std::array<bool, MainMenus::kViewToggleCount> checks = {
        settings.view.scrolling, settings.view.toolTips, settings.view.balloonShow,
        settings.view.nickVis,   settings.view.compVis,  settings.view.seconds,
        settings.execute.razresh};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        menus_.viewToggles[i]->setChecked(checks[i]);
    }
    updateTooltips();
}

void MainWindow::applyFonts() {
    const QFont base = views_.front()->font();
    for (std::size_t i = 0; i < formats_.size(); ++i) {
        formats_[i] =
            styleFormat(seams_.settings.fonts[i], base, views_.front()->palette(), seams_.codePage);
    }
}

void MainWindow::applyColours() {
    const auto paint = [](QWidget* widget, std::int32_t colour) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Base, settings::toQColor(colour, palette, QPalette::Base));
        widget->setPalette(palette);
    };
    for (ChatViewWidget* view : views_) {
        paint(view, seams_.settings.view.color11);
    }
    paint(nickList_, seams_.settings.view.color11);
    paint(chatLine_, seams_.settings.view.color12);
}

void MainWindow::applyTabStyle() {
    switch (seams_.settings.view.tab) {
    case 2:
        tabs_->tabBar()->setStyleSheet(QString::fromLatin1(kButtonTabs));
        break;
    case 3:
        tabs_->tabBar()->setStyleSheet(QString::fromLatin1(kFlatTabs));
        break;
    default:
        tabs_->tabBar()->setStyleSheet(QString());
        break;
    }
}

void MainWindow::applyPosition() {
    const settings::Bounds& saved = seams_.settings.position.window;
    QRect bounds(saved.left, saved.top, std::clamp(saved.width, kMinWidth, kMaxSide),
                 std::clamp(saved.height, kMinHeight, kMaxSide));
    // A position saved on a screen that is gone would leave the window where nobody sees it.
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool onScreen = std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->availableGeometry().intersects(bounds);
    });
    if (!onScreen) {
        bounds.moveTo(normalBounds_.topLeft());
    }
    move(bounds.topLeft());
    resize(bounds.size());
    normalBounds_ = bounds;
}

void MainWindow::updateTooltips() {
    const bool on = seams_.settings.view.toolTips;
    statusButton_->setToolTip(
        on ? shown(common::statusCaption(menus_.statusCaption(chat().identity().status - '0')))
           : QString());
    // The language file may leave a tooltip empty; the button then says what it does in English
    // rather than nothing.
    static constexpr const char* kEnglishTips[] = {"Copy all", "Copy selection", "Paste lines",
                                                   "Channels", "Archive",        "Macros",
                                                   "View",     "Help",           "Exit"};
    for (std::size_t i = 0; i < tooltipButtons_.size(); ++i) {
        std::string tip = seams_.texts.get("Tooltips", std::to_string(i + 2));
        if (tip.empty() && i < std::size(kEnglishTips)) {
            tip = kEnglishTips[i];
        }
        tooltipButtons_[i]->setToolTip(on ? shown(common::tooltipText(tip)) : QString());
    }
}

void MainWindow::showStatus(char status) {
    const int index = std::clamp(status - '0', 0, MainMenus::kStatusCount - 1);
    statusButton_->setIcon(images_.image(index));
    menus_.statusEntries[static_cast<std::size_t>(index)]->setChecked(true);
    if (seams_.settings.view.toolTips) {
        statusButton_->setToolTip(shown(common::statusCaption(menus_.statusCaption(index))));
    }
}

void MainWindow::showNicks() {
    const QSignalBlocker quiet(nickBox_);
    const QString text = nickBox_->currentText();
    nickBox_->clear();
    for (const std::string& nick : seams_.settings.nicks.remembered) {
        nickBox_->addItem(shown(nick));
    }
    nickBox_->setEditText(text);
}

void MainWindow::toggleView(int entry) {
    const auto item = kToggles[static_cast<std::size_t>(entry)];
    const bool on = settings::toggleView(seams_.settings, item, seams_.settingsFile);
    menus_.viewToggles[static_cast<std::size_t>(entry)]->setChecked(on);
    if (item == settings::ViewToggle::ShowTooltip) {
        updateTooltips();
    } else if (item == settings::ViewToggle::ShowNick) {
        nickPanel_->setVisible(on);
    }
}

} // namespace natterby::mainwindow
