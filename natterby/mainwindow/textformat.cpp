#include "natterby/mainwindow/textformat.h"

#include <cmath>

namespace natterby::mainwindow {

namespace {

constexpr std::uint32_t kSystemColourBit = 0x80000000u;
constexpr int kMinPixels = 4;
constexpr int kMaxPixels = 200;
constexpr int kMinTenths = 10;
constexpr int kMaxTenths = 1440;

// The Windows system colour numbers the settings file may hold, as palette roles.
bool systemRole(std::uint32_t index, QPalette::ColorRole& role) {
    switch (index) {
    case 1:  // desktop
    case 4:  // menu
    case 15: // button face
    case 25: // gradient caption
        role = QPalette::Button;
        return true;
    case 5: // window
        role = QPalette::Base;
        return true;
    case 6:  // window frame
    case 16: // button shadow
        role = QPalette::Dark;
        return true;
    case 7:  // menu text
    case 18: // button text
        role = QPalette::ButtonText;
        return true;
    case 8: // window text
        role = QPalette::Text;
        return true;
    case 13: // highlight
        role = QPalette::Highlight;
        return true;
    case 14: // highlighted text
        role = QPalette::HighlightedText;
        return true;
    case 17: // grey text
        role = QPalette::PlaceholderText;
        return true;
    case 20: // button highlight
    case 22: // light 3D
        role = QPalette::Light;
        return true;
    case 21: // dark 3D
        role = QPalette::Shadow;
        return true;
    case 23: // tooltip text
        role = QPalette::ToolTipText;
        return true;
    case 24: // tooltip background
        role = QPalette::ToolTipBase;
        return true;
    case 26: // hot-tracked item
        role = QPalette::Link;
        return true;
    default:
        return false;
    }
}

} // namespace

QColor settingColour(std::int32_t value, const QPalette& palette, QPalette::ColorRole otherwise) {
    const auto bits = static_cast<std::uint32_t>(value);
    if ((bits & kSystemColourBit) != 0) {
        QPalette::ColorRole role = otherwise;
        systemRole(bits & ~kSystemColourBit, role);
        return palette.color(QPalette::Active, role);
    }
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

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
    format.setForeground(settingColour(style.colour, palette, QPalette::Text));
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
