// Where the comparison window goes beside the main window: beside it where the screen has room,
// otherwise against the screen's edge where it hides the least of the main window, and never
// outside the screen's available area.
#include "WindowPlacement.h"

#include <gtest/gtest.h>

namespace vornak {
namespace {

struct PlacementCase {
    const char* name;
    QRect available;
    QRect main;
    QSize size;
    QRect expected;
};

const PlacementCase placementCases[] = {
    {"right of the main window", {0, 0, 1920, 1080}, {100, 100, 800, 600}, {560, 320}, {900, 100, 560, 320}},
    {"right, raised to stay on the screen",
     {0, 0, 1920, 1080},
     {100, 900, 800, 150},
     {560, 320},
     {900, 760, 560, 320}},
    {"below when the right has no room",
     {0, 0, 1280, 1024},
     {400, 50, 800, 600},
     {560, 320},
     {400, 650, 560, 320}},
    {"below, moved left to stay on the screen",
     {0, 0, 1280, 1024},
     {900, 50, 380, 600},
     {560, 320},
     {720, 650, 560, 320}},
    {"left of a main window on the right",
     {0, 0, 1920, 1080},
     {1300, 0, 620, 1080},
     {560, 320},
     {740, 0, 560, 320}},
    {"above a main window at the bottom",
     {0, 0, 1920, 1080},
     {0, 500, 1920, 580},
     {560, 320},
     {0, 180, 560, 320}},
    {"over a maximised main window, at the right edge",
     {0, 0, 1024, 768},
     {0, 0, 1024, 768},
     {560, 320},
     {464, 0, 560, 320}},
    {"the corner that hides the least",
     {0, 0, 1024, 768},
     {0, 0, 800, 700},
     {560, 320},
     {464, 448, 560, 320}},
    {"a second screen under a panel",
     {1920, 30, 1280, 994},
     {2000, 100, 1000, 700},
     {560, 320},
     {2640, 704, 560, 320}},
    {"larger than the screen: shrunk to it",
     {0, 0, 800, 600},
     {0, 0, 800, 600},
     {1000, 700},
     {0, 0, 800, 600}},
    {"a main window partly off the screen",
     {0, 0, 1024, 768},
     {-300, -50, 1000, 700},
     {560, 320},
     {464, 448, 560, 320}},
};

TEST(WindowPlacementTest, PlacesBesideOrWhereItHidesTheLeast) {
    for (const PlacementCase& c : placementCases) {
        EXPECT_EQ(companionWindowPlace(c.available, c.main, c.size), c.expected) << c.name;
    }
}

// Whatever the main window's place and the window's size, the window stays on the screen, and it
// covers none of the main window when the screen has room for that beside it.
TEST(WindowPlacementTest, NeverLeavesTheScreen) {
    const QRect screen(0, 0, 1366, 768);
    for (int x = -400; x <= 1400; x += 90) {
        for (int y = -200; y <= 800; y += 70) {
            for (const QSize size : {QSize(560, 320), QSize(300, 700), QSize(1500, 900)}) {
                const QRect main(x, y, 700, 500);
                const QRect place = companionWindowPlace(screen, main, size);
                ASSERT_TRUE(screen.contains(place)) << x << "," << y << " " << size.width();
                const bool roomRight = main.right() + size.width() < screen.right() && main.top() >= 0 &&
                                       size.height() <= screen.height();
                if (roomRight) {
                    EXPECT_FALSE(place.intersects(main)) << x << "," << y;
                }
            }
        }
    }
}

} // namespace
} // namespace vornak
