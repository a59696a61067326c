#include "natterby/mainwindow/textformat.h"
#include "natterby/options/colourvalue.h"
#include "tests/fakes/qtapplication.h"

#include <gtest/gtest.h>

using namespace natterby::mainwindow;

TEST(TextFormat, ColoursAreBlueGreenRedOrTheDesktopsOwn) {
    fakes::qtApplication();
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Text, QColor(4, 5, 6));
    palette.setColor(QPalette::Highlight, QColor(7, 8, 9));
    using natterby::settings::toQColor;
    const auto system = [](std::uint32_t number) { return static_cast<std::int32_t>(number); };
    EXPECT_EQ(toQColor(0x000000FF, palette, QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x00FF8000, palette, QPalette::Text), QColor(0, 128, 255));
    EXPECT_EQ(toQColor(system(0x80000005u), palette, QPalette::Text), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(kWindowTextColour, palette, QPalette::Base), QColor(4, 5, 6));
    EXPECT_EQ(toQColor(system(0x8000000Du), palette, QPalette::Text), QColor(7, 8, 9));
    // A number Windows never gave a colour takes what the caller is painting.
    EXPECT_EQ(toQColor(system(0x800000FFu), palette, QPalette::Base), QColor(1, 2, 3));
}

TEST(TextFormat, StylesBecomeFontsWithSaneHeights) {
    fakes::qtApplication();
    const common::CodePage codePage("CP1251");
    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPointSize(10);
    natterby::settings::FontStyle style{"DejaVu Serif", 120, 0, true, true};

    QFont font = styleFont(style, base, codePage);
    EXPECT_EQ(font.family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 12.0); // tenths of a point
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());

    style.height = -11; // a character height in pixels, as Windows writes it
    EXPECT_EQ(styleFont(style, base, codePage).pixelSize(), 11);
    for (std::int32_t odd : {0, 3, 1000000, -1000000, std::numeric_limits<std::int32_t>::min()}) {
        style.height = odd;
        EXPECT_DOUBLE_EQ(styleFont(style, base, codePage).pointSizeF(), 10.0) << odd;
    }

    // The built-in style stands for the base font and reads back as it.
    const natterby::settings::FontStyle builtIn = fontStyle(base, codePage);
    const QFont again = styleFont(builtIn, base, codePage);
    EXPECT_EQ(again.family(), base.family());
    EXPECT_DOUBLE_EQ(again.pointSizeF(), base.pointSizeF());
    EXPECT_FALSE(again.bold());
    EXPECT_FALSE(again.italic());
    EXPECT_EQ(builtIn.colour, kWindowTextColour);
}
