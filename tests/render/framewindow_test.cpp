// The graphics window's zoom menu: its entries and where a click chooses one.
#include "render/framewindow_menu.h"

#include <gtest/gtest.h>

TEST(ZoomMenu, EntriesAndHitTesting)
{
    const char* texts[] = {"Zoom 1 x 1", "Zoom 2 x 2", "Zoom 4 x 4"};
    for (int entry = 0; entry < 3; ++entry) {
        EXPECT_STREQ(CZoomMenu::EntryText(entry), texts[entry]);
        EXPECT_EQ(CZoomMenu::EntryFactor(entry), 1 << entry);
    }
    CZoomMenu menu;
    menu.Open(100, 50, 640, 480); // border 1 and padding 3 around entries of 24 lines
    const int cases[][3] = {{101, 53, -1}, {101, 54, 0},  {238, 77, 0},
                            {239, 77, -1}, {150, 125, 2}, {150, 126, -1}};
    for (const auto& [x, y, entry] : cases) {
        EXPECT_EQ(menu.EntryAt(x, y), entry) << x << ", " << y;
    }
}
