#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

namespace natterby::mainwindow {

// Hands the window's hotkeys on from a line edit that would otherwise keep them for its own
// editing (Ctrl+A selects all, Ctrl+BackSpace deletes a word), so that they work the same
// wherever in the window the focus is. Installed as an event filter on the line edit.
class WindowHotkeys : public QObject {
public:
    WindowHotkeys(QList<QKeySequence> keys, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QKeySequence> keys_;
};

} // namespace natterby::mainwindow
