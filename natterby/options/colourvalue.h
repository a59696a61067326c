#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace natterby::settings {

// The colours of the settings file as the widgets show them. A stored colour is 0x00BBGGRR, or
// 0x80000000 + n for system colour n, which follows the desktop's palette.

// System colours take their current value from the palette (5, the window background, is its
// base colour; 8, the window text, its text colour).
// A system colour number the desktop has no colour for takes the role given.
QColor toQColor(std::int32_t value, const QPalette& palette,
                QPalette::ColorRole unknown = QPalette::Window);
// Always a plain colour.
std::int32_t toColourValue(const QColor& colour);

} // namespace natterby::settings
