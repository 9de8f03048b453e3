// The graphics window without any display, and its zoom menu.

#include "render/framewindow.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

TEST(FrameWindowHeadless, WithoutADisplayItWarnsOnceAndAcceptsEveryUpdate)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const std::vector<PixelType> frame(64 * 48, 0);
    const std::string warning = "cannot open the graphics window";
    for (const char* driver : {"", "no-such-driver"}) { // no display, then a driver that fails
        SCOPED_TRACE(driver);
        (void)(*driver != '\0' ? setenv("SDL_VIDEODRIVER", driver, 1)
                               : unsetenv("SDL_VIDEODRIVER"));
        testing::internal::CaptureStderr();
        EXPECT_EQ(FrameWindowOpen("Nowhere", 64, 48), 1);
        EXPECT_TRUE(FrameWindowIsHeadless());
        EXPECT_EQ(FrameWindowUpdate(frame.data()) + FrameWindowUpdate(frame.data()), 2);
        FrameWindowClose();
        EXPECT_FALSE(FrameWindowIsHeadless());
        const std::string error = testing::internal::GetCapturedStderr();
        EXPECT_NE(error.find(warning), std::string::npos) << error;
        EXPECT_EQ(error.find(warning), error.rfind(warning)) << error;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1); // what the other tests of this program run on
}

TEST(ZoomMenu, EntriesAndHitTesting)
{
    const char* texts[] = {"Zoom 1 x 1", "Zoom 2 x 2", "Zoom 4 x 4"};
    CZoomMenu menu;
    menu.Open(100, 50, 640, 480); // border 1 and padding 3 around entries of 24 lines
    for (int entry = 0; entry < 3; ++entry) {
        EXPECT_STREQ(CZoomMenu::EntryText(entry), texts[entry]);
        EXPECT_EQ(CZoomMenu::EntryFactor(entry), 1 << entry);
    }
    for (const auto& [x, y, entry] : std::vector<std::array<int, 3>>{{101, 53, -1},
                                                                     {101, 54, 0},
                                                                     {238, 77, 0},
                                                                     {239, 77, -1},
                                                                     {150, 125, 2},
                                                                     {150, 126, -1}}) {
        EXPECT_EQ(menu.EntryAt(x, y), entry) << x << ", " << y;
    }
}
