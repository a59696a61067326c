#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <functional>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif

namespace fakes {

// A program that links Qt Widgets needs the widget application (tests run with
// QT_QPA_PLATFORM=offscreen); sockets and timers need only the core one.
#ifdef QT_WIDGETS_LIB
using TestApplication = QApplication;
#else
using TestApplication = QCoreApplication;
#endif

// The one application object a test program needs, made on first use and kept to the end of
// the process; a program that made its own keeps that one.
inline TestApplication& qtApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "natterby-test";
        static char* argv[] = {name, nullptr};
        new TestApplication(argc, argv);
    }
    return *static_cast<TestApplication*>(QCoreApplication::instance());
}

// Runs the calling thread's event loop until the condition holds or the limit has passed, and
// gives the condition's last value.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    qtApplication();
    const QDeadlineTimer deadline(limit);
    // Wakes the loop now and then, so that the deadline is seen when nothing arrives.
    QTimer tick;
    tick.start(20);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

// Runs the deletions that closing widgets left for the event loop.
inline void deletePendingWidgets() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace fakes
