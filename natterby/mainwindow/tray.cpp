#include "natterby/mainwindow/tray.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

namespace natterby::mainwindow {

namespace {

constexpr int kBalloonMilliseconds = 10000;

} // namespace

Tray::Tray(const QIcon& startIcon, QMenu* menu, QObject* parent)
    : QObject(parent), icon_(new QSystemTrayIcon(startIcon, this)) {
    icon_->setContextMenu(menu);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger) {
                    emit clicked();
                }
            });
    icon_->show();
}

bool Tray::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Tray::setIcon(const QIcon& icon) {
    icon_->setIcon(icon);
}

void Tray::setToolTip(const QString& tip) {
    icon_->setToolTip(tip);
}

void Tray::showBalloon(const QString& title, const QString& text) {
    icon_->showMessage(title, text, QSystemTrayIcon::Information, kBalloonMilliseconds);
}

} // namespace natterby::mainwindow
