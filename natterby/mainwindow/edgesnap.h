#pragma once

#include <QPoint>
#include <QRect>

namespace natterby::mainwindow {

// Where a window moved to `frame` lands when an edge of it comes within 20 pixels of the same
// edge of the work area (the screen without its panels): on that edge. A window already
// beyond the left or top edge of the work area is left where the user put it.
QPoint snapToEdges(const QRect& frame, const QRect& workArea);

} // namespace natterby::mainwindow
