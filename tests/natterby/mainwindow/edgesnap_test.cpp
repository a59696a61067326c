#include "natterby/mainwindow/edgesnap.h"

#include <gtest/gtest.h>

using natterby::mainwindow::snapToEdges;

TEST(EdgeSnap, EdgesWithinTwentyPixelsOfTheWorkAreaSnapToIt) {
    const QRect second(1280, 0, 1920, 1080); // a screen right of the first
    struct Case {
        QPoint at;
        QPoint expected;
        QRect area = QRect(0, 0, 1280, 770); // a panel below
    };
    const Case cases[] = {
        {{10, 300}, {0, 300}},               // near the left edge
        {{20, 300}, {0, 300}},               // the threshold itself
        {{21, 300}, {21, 300}},              // beyond it
        {{-10, 300}, {-10, 300}},            // already past the edge: the user's choice
        {{500, 15}, {500, 0}},               // near the top
        {{1280 - 400 - 5, 300}, {880, 300}}, // right edge of a 400 wide window
        {{1280 - 400, 300}, {880, 300}},     // already on it
        {{1280 - 400 + 1, 300}, {881, 300}}, // past it
        {{500, 770 - 300 - 12}, {500, 470}}, // bottom edge of a 300 high window
        {{5, 5}, {0, 0}},                    // a corner snaps both ways
        {{1290, 400}, {1280, 400}, second},  // the second screen's own left edge
        {{1270, 400}, {1270, 400}, second},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(snapToEdges(QRect(c.at, QSize(400, 300)), c.area), c.expected)
            << c.at.x() << "," << c.at.y();
    }
}
