#pragma once

#include "common/ansi.h"
#include "natterby/settings/settings.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QTextCharFormat>
#include <cstdint>

namespace natterby::mainwindow {

// The settings file's way of naming the window text colour, the built-in colour of every style.
inline constexpr std::int32_t kWindowTextColour = static_cast<std::int32_t>(0x80000008u);

// A text style of the settings file as a font. A height is in tenths of a point, as the options
// dialog stores it; a negative one, as files from Windows hold it, is a character height in
// pixels. A height that no screen could show leaves the base font's.
QFont styleFont(const settings::FontStyle& style, const QFont& base,
                const common::CodePage& codePage);
QTextCharFormat styleFormat(const settings::FontStyle& style, const QFont& base,
                            const QPalette& palette, const common::CodePage& codePage);

// The style that stands for a font as shown (the built-in value of every text style).
settings::FontStyle fontStyle(const QFont& font, const common::CodePage& codePage);

} // namespace natterby::mainwindow
