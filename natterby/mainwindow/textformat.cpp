#include "natterby/mainwindow/textformat.h"

#include "natterby/options/colourvalue.h"

#include <cmath>

namespace natterby::mainwindow {

namespace {

constexpr int kMinPixels = 4;
constexpr int kMaxPixels = 200;
constexpr int kMinTenths = 10;
constexpr int kMaxTenths = 1440;

} // namespace

QFont styleFont(const settings::FontStyle& style, const QFont& base,
                const common::CodePage& codePage) {
    QFont font = base;
    if (!style.name.empty()) {
        font.setFamilies({QString::fromStdString(codePage.toUtf8(style.name))});
    }
    const std::int32_t height = style.height;
    if (height >= kMinTenths && height <= kMaxTenths) {
        font.setPointSizeF(height / 10.0);
    } else if (height <= -kMinPixels && height >= -kMaxPixels) {
        font.setPixelSize(-height);
    }
    font.setBold(style.bold);
    font.setItalic(style.italic);
    return font;
}

QTextCharFormat styleFormat(const settings::FontStyle& style, const QFont& base,
                            const QPalette& palette, const common::CodePage& codePage) {
    QTextCharFormat format;
    format.setFont(styleFont(style, base, codePage));
    format.setForeground(settings::toQColor(style.colour, palette, QPalette::Text));
    return format;
}

settings::FontStyle fontStyle(const QFont& font, const common::CodePage& codePage) {
    settings::FontStyle style;
    style.name = codePage.fromUtf8(font.family().toStdString());
    // A font asked for in pixels stays in pixels, as the negative height says.
    style.height = font.pointSizeF() > 0
                       ? static_cast<std::int32_t>(std::lround(font.pointSizeF() * 10))
                       : -font.pixelSize();
    style.colour = kWindowTextColour;
    style.bold = font.bold();
    style.italic = font.italic();
    return style;
}

} // namespace natterby::mainwindow
