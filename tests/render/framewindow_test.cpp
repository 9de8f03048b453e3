// The graphics window without any display, and its zoom menu. Real windows
// are tested in framewindow_x11_test.cpp.

#include "render/framewindow.h"
#include "render/framewindow_detail.h"
#include "render/framewindow_menu.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

TEST(FrameWindowHeadless, WithoutADisplayItWarnsOnceAndAcceptsEveryUpdate)
{
    const char* names[] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    char* saved[3] = {};
    for (int i = 0; i < 3; ++i) {
        const char* value = std::getenv(names[i]);
        saved[i] = value != nullptr ? strdup(value) : nullptr;
        unsetenv(names[i]);
    }
    const std::vector<PixelType> frame(64 * 48, 0);
    const std::string warning = "cannot open the graphics window";
    // No display at all, then a video driver that cannot start.
    for (const char* driver : {"", "no-such-driver"}) {
        SCOPED_TRACE(driver);
        if (*driver != '\0') {
            setenv("SDL_VIDEODRIVER", driver, 1);
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(FrameWindowOpen("Nowhere", 64, 48), 1);
        EXPECT_TRUE(FrameWindowIsHeadless());
        EXPECT_EQ(FrameWindowUpdate(frame.data()), 1);
        EXPECT_EQ(FrameWindowUpdate(frame.data()), 1);
        FrameWindowClose();
        EXPECT_FALSE(FrameWindowIsHeadless());
        const std::string error = testing::internal::GetCapturedStderr();
        EXPECT_NE(error.find(warning), std::string::npos) << error;
        EXPECT_EQ(error.find(warning), error.rfind(warning)) << error;
    }
    for (int i = 0; i < 3; ++i) {
        if (saved[i] != nullptr) {
            setenv(names[i], saved[i], 1);
        } else {
            unsetenv(names[i]);
        }
        std::free(saved[i]);
    }
}

TEST(ZoomMenu, EntriesHitTestingPlacementAndPicture)
{
    const char* texts[] = {"Zoom 1 x 1", "Zoom 2 x 2", "Zoom 4 x 4"};
    for (int entry = 0; entry < 3; ++entry) {
        EXPECT_STREQ(CZoomMenu::EntryText(entry), texts[entry]);
        EXPECT_EQ(CZoomMenu::EntryFactor(entry), 1 << entry);
    }
    CZoomMenu menu;
    EXPECT_EQ(menu.EntryAt(0, 0), -1);
    menu.Open(100, 50, 640, 480);
    // Border 1 and padding 3 around entries of 24 lines, 140 x 80 in all.
    const struct
    {
        int x, y, entry;
    } hits[] = {{100, 60, -1}, {101, 53, -1}, {101, 54, 0},  {238, 77, 0},
                {239, 77, -1}, {150, 78, 1},  {150, 125, 2}, {150, 126, -1}};
    for (const auto& hit : hits) {
        EXPECT_EQ(menu.EntryAt(hit.x, hit.y), hit.entry) << hit.x << ", " << hit.y;
    }
    EXPECT_TRUE(menu.Contains(150, 129));
    EXPECT_FALSE(menu.Contains(150, 130));
    EXPECT_TRUE(menu.Hover(150, 80));
    EXPECT_EQ(menu.Highlighted(), 1);
    // Kept inside the area, but never past its top-left corner.
    menu.Open(600, 450, 640, 480);
    EXPECT_EQ(menu.Left(), 500);
    EXPECT_EQ(menu.Top(), 400);
    menu.Open(30, 20, 100, 50);
    EXPECT_EQ(menu.Left(), 0);
    EXPECT_EQ(menu.Top(), 0);

    menu.Hover(50, 4 + 24 + 5);
    std::vector<std::uint32_t> pixels(ZOOM_MENU_WIDTH * ZOOM_MENU_HEIGHT, 0x12345678);
    menu.Paint(pixels.data());
    EXPECT_EQ(pixels[0], ZOOM_MENU_FRAME);
    EXPECT_EQ(pixels.back(), ZOOM_MENU_FRAME);
    EXPECT_EQ(pixels[ZOOM_MENU_WIDTH + 1], ZOOM_MENU_BACKGROUND);
    EXPECT_EQ(pixels[30 * ZOOM_MENU_WIDTH + 5], ZOOM_MENU_HIGHLIGHT);
}
