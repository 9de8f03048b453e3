// The screen on SDL's dummy video driver.

#include "geometry/cpoint2d.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "render/framewindow_detail.h"

#include "support/pixels.h"
#include <SDL.h>

#include <gtest/gtest.h>

#include <string>

namespace {

PixelType Colour(int x, int y, int seed)
{
    return ((x * 7 + seed) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y + seed) & 0xFF);
}

// A 24-bit picture whose pixel (x, y), y from the bottom, is Colour(x, y, seed).
void MakePicture(CImageRecord& image, int width, int height, int seed)
{
    ASSERT_NE(image.Create(width, height, 24, IMAGE_FORMAT_BMP), nullptr);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 3 * width; ++x) { // blue, green, red
            image.GetBits()[y * image.GetEffWidth() + x] =
                static_cast<BYTE>(Colour(x / 3, y, seed) >> (8 * (x % 3)));
        }
    }
}

bool HoldsPicture(const CBuffer2D& buffer, int seed)
{
    int wrong = 0;
    for (int i = 0; i < buffer.Width() * buffer.Height(); ++i) {
        const int x = i % buffer.Width(), y = i / buffer.Width();
        wrong += buffer.GetPixel(x, y) != Colour(x, y, seed) ? 1 : 0;
    }
    return wrong == 0;
}

} // namespace

TEST(Screen, DefaultIsBlackThenRebuiltScreensDrawPointBlocksByTheirWrapAround)
{
    {
        CScreen screen;
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 256256);
        EXPECT_TRUE(PixelsNot(screen, 0).empty());
        EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Default");
        screen.Refresh();
    }
    EXPECT_FALSE(CScreen::IsOpen());
    EXPECT_EQ(FrameWindowSdlWindow(), nullptr);
    {
        CScreen clipping("Clipping", 16, 12, NO_COLOUR, false);
        EXPECT_EQ(CountPixels(clipping, NO_COLOUR), 16 * 12);
        clipping.DrawShape(ORIGIN, 0x00FF0000);
        EXPECT_EQ(Painted(clipping), (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    }
    CScreen wrapping("Wrapping", 16, 12, 0, true);
    wrapping.DrawShape(ORIGIN, 0x0000FF00);
    EXPECT_EQ(
        PixelsNot(wrapping, 0),
        (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {15, 0}, {15, 1}, {0, 11}, {1, 11}, {15, 11}}));
}

TEST(Screen, PictureScreenHoldsItAndBackgroundsShowOnlyWhenDrawnWithTheirWrapAround)
{
    CImageRecord picture, field;
    MakePicture(picture, 640, 480, 1);
    MakePicture(field, 640, 480, 2);
    {
        CScreen screen("Quorvadellix", picture, true);
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 640480);
        EXPECT_TRUE(HoldsPicture(screen, 1));
        EXPECT_FALSE(screen.IsWrapAround()); // the picture's flag, not the screen's default
        const PixelType* storage = screen.GetPixels();
        screen.SetBackground(field);
        EXPECT_TRUE(HoldsPicture(screen, 1));
        screen.DrawBackground();
        EXPECT_TRUE(HoldsPicture(screen, 2));
        EXPECT_EQ(screen.GetPixels(), storage); // the window keeps this pointer
        screen.Refresh();
    }
    CScreen wrapping("Wrapping", 640, 480, 0, true); // built without a background
    wrapping.SetBackground(field);
    wrapping.DrawBackground();
    EXPECT_TRUE(HoldsPicture(wrapping, 2));
    EXPECT_TRUE(wrapping.IsWrapAround()); // the background took the screen's flag
}

TEST(ScreenDeathTest, BrokenPreconditionsStopWithTheirConditions)
{
    const std::string where = ", file render/cscreen\\.cpp, line ";
    const std::string colour =
        "Assertion failed: colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= MAXCOLOUR\\)";
    for (const PixelType ok : {NO_COLOUR, 0, 0x00FFFFFF}) {
        CScreen screen("Colour", 8, 8, ok, false);
    }
    EXPECT_DEATH(CScreen("Too red", 8, 8, 0x1000000, false), colour + where);
    EXPECT_DEATH(CScreen("Negative", 8, 8, -2, false), colour + where);
    EXPECT_DEATH(CScreen first; CScreen second, "Assertion failed: !m_isOpen" + where);
    EXPECT_DEATH(CScreen("No background", 8, 8, 0, false).DrawBackground(),
                 "Assertion failed: HasBackground\\(\\)" + where);
    CImageRecord wide, empty;
    MakePicture(wide, 9, 8, 0);
    EXPECT_DEATH(CScreen("Wrong size", 8, 8, 0, false).SetBackground(wide),
                 "Assertion failed: IsOpen\\(\\) && image\\.IsValid\\(\\) && "
                 "image\\.GetWidth\\(\\)==Width\\(\\) && image\\.GetHeight\\(\\)==Height\\(\\)" +
                     where);
    EXPECT_DEATH(CScreen("Empty", empty, false), "Assertion failed: bgImg\\.IsValid\\(\\)" + where);
}
