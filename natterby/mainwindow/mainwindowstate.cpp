// Showing, hiding into the tray, snapping to the screen's edges, and the close steps.
#include "natterby/mainwindow/edgesnap.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/mainwindow/tray.h"
#include "natterby/settings/settingswriters.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>

namespace natterby::mainwindow {

namespace {

constexpr int kTrayTipLength = 40;

} // namespace

void MainWindow::hideToTray(bool updateTip) {
    if (!tray_->available()) {
        showMinimized();
        return;
    }
    hide();
    if (updateTip) {
        tray_->setToolTip(caption_.left(kTrayTipLength));
    }
}

void MainWindow::trayClicked() {
    if (isVisible() && !isMinimized()) {
        hideToTray(false);
        // A click on the icon, either way, means the user has seen what it was flashing for.
        chat().endAttention();
        return;
    }
    chat().restore();
}

void MainWindow::noteVisibility() {
    const bool shown = isVisible() && !isMinimized();
    if (!session_.started() || shown == shown_) {
        return;
    }
    shown_ = shown;
    chat().windowShown(shown);
}

void MainWindow::snapToWorkArea() {
    if (windowState() != Qt::WindowNoState || !isVisible() || screen() == nullptr) {
        return;
    }
    const QRect frame = frameGeometry();
    const QPoint snapped = snapToEdges(frame, screen()->availableGeometry());
    if (snapped != frame.topLeft()) {
        move(snapped);
    }
}

void MainWindow::rememberNormalBounds() {
    if (windowState() == Qt::WindowNoState && isVisible()) {
        normalBounds_ = QRect(pos(), size());
    }
}

void MainWindow::closeProgram() {
    if (closing_) {
        return;
    }
    closing_ = true;
    session_.close();
    settings::saveOnExit(
        {{normalBounds_.x(), normalBounds_.y(), normalBounds_.width(), normalBounds_.height()},
         isMaximized(),
         seams_.settings.position.privateWindow,
         chat().identity().status},
        seams_.settingsFile);
    QApplication::quit();
}

// --- window events

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The close box only hides the window; the program goes on in the tray.
    event->ignore();
    hideToTray(true);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    if (isMinimized() && tray_->available()) {
        // Hidden once the window system has finished minimising, so that restoring finds a
        // window in its normal state.
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowState(windowState() & ~Qt::WindowMinimized);
                hideToTray(true);
            },
            Qt::QueuedConnection);
    }
    noteVisibility();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    rememberNormalBounds();
    // The window system moves the window while the user drags it; it snaps once the moves stop.
    if (isVisible() && windowState() == Qt::WindowNoState) {
        snapTimer_.start();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    rememberNormalBounds();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    noteVisibility();
    scrollCurrentView();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    noteVisibility();
}

} // namespace natterby::mainwindow
