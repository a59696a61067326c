#include "natterby/mainwindow/edgesnap.h"

namespace natterby::mainwindow {

namespace {

constexpr int kThreshold = 20;

// One axis: start and length of the window, start and end (exclusive) of the work area.
int snapAxis(int start, int length, int workStart, int workEnd) {
    if (workStart < start && start <= workStart + kThreshold) {
        start = workStart;
    }
    const int end = start + length;
    if (workEnd - kThreshold <= end && end < workEnd) {
        start = workEnd - length;
    }
    return start;
}

} // namespace

QPoint snapToEdges(const QRect& frame, const QRect& workArea) {
    return {snapAxis(frame.x(), frame.width(), workArea.x(), workArea.x() + workArea.width()),
            snapAxis(frame.y(), frame.height(), workArea.y(), workArea.y() + workArea.height())};
}

} // namespace natterby::mainwindow
