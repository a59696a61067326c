#pragma once

#include <QObject>
#include <QString>

class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace natterby::mainwindow {

// The chat's icon in the desktop's notification area, where the chat lives while its window is
// hidden. On a desktop without one nothing is shown, and the window never hides (the caller asks
// available()).
class Tray : public QObject {
    Q_OBJECT
public:
    Tray(const QIcon& startIcon, QMenu* menu, QObject* parent);

    bool available() const;
    void setIcon(const QIcon& icon);
    void setToolTip(const QString& tip);
    void showBalloon(const QString& title, const QString& text);

signals:
    // The left button: show or hide the window. The right button opens the menu by itself.
    void clicked();

private:
    QSystemTrayIcon* icon_;
};

} // namespace natterby::mainwindow
