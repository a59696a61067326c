#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <functional>

// Runs the calling thread's event loop until the condition holds or a generous time has passed,
// and gives the condition's last value.
inline bool waitUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(30000);
    // Wakes the loop now and then, so that the deadline is seen when nothing arrives.
    QTimer tick;
    tick.start(20);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}
