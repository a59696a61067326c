#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

namespace fakes {

// The one QApplication a widget test needs, made on first use and kept to the end of the
// process (tests run with QT_QPA_PLATFORM=offscreen).
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "natterby-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// Runs the deletions that closing widgets left for the event loop.
inline void deletePendingWidgets() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace fakes
