#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace couriel_test {

// Sockets and timers need the application object; the test program makes it once.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "couriel_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// Runs the event loop until done() holds, for at most the limit; whether done() held.
inline bool runUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    ensureApplication();
    QElapsedTimer elapsed;
    elapsed.start();
    // Wakes the loop now and then, so that the limit is looked at while nothing happens.
    QTimer wake;
    wake.start(5);
    while (!done()) {
        if (elapsed.elapsed() > limit.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// For things that must not happen: gives them the time to happen.
inline void runFor(std::chrono::milliseconds span) {
    runUntil([] { return false; }, span);
}

} // namespace couriel_test
