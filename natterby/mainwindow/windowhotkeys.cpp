#include "natterby/mainwindow/windowhotkeys.h"

#include <QKeyEvent>

namespace natterby::mainwindow {

WindowHotkeys::WindowHotkeys(QList<QKeySequence> keys, QObject* parent)
    : QObject(parent), keys_(std::move(keys)) {}

bool WindowHotkeys::eventFilter(QObject* watched, QEvent* event) {
    // A line edit claims its editing keys before any shortcut sees them; left unclaimed, the
    // key goes to the window's shortcut instead.
    if (event->type() == QEvent::ShortcutOverride &&
        keys_.contains(QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()))) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace natterby::mainwindow
