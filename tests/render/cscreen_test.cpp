// The screen on SDL's dummy video driver: building, background, point blocks
// and the one-screen rule.

#include "geometry/cpoint2d.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "render/framewindow_detail.h"

#include "support/pixels.h"
#include <SDL.h>

#include <gtest/gtest.h>

#include <string>

namespace {

PixelType PictureColour(int x, int y, int seed)
{
    return ((x * 7 + seed) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y + seed) & 0xFF);
}

// A 24-bit picture whose pixel (x, y), y from the bottom, is PictureColour.
void MakePicture(CImageRecord& image, int width, int height, int seed)
{
    ASSERT_NE(image.Create(width, height, 24, IMAGE_FORMAT_BMP), nullptr);
    for (int y = 0; y < height; ++y) {
        BYTE* line = image.GetBits() + static_cast<size_t>(y) * image.GetEffWidth();
        for (int x = 0; x < width; ++x) {
            const PixelType colour = PictureColour(x, y, seed);
            line[3 * x] = static_cast<BYTE>(colour);
            line[3 * x + 1] = static_cast<BYTE>(colour >> 8);
            line[3 * x + 2] = static_cast<BYTE>(colour >> 16);
        }
    }
}

bool HoldsPicture(const CBuffer2D& buffer, int seed)
{
    for (int row = 0; row < buffer.Height(); ++row) {
        for (int col = 0; col < buffer.Width(); ++col) {
            if (buffer.GetPixel(col, row) != PictureColour(col, row, seed)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST(Screen, DefaultScreenIsBlackAndCanBeRebuiltAfterDestruction)
{
    {
        CScreen screen;
        EXPECT_TRUE(CScreen::IsOpen());
        EXPECT_EQ(screen.Width(), 256);
        EXPECT_EQ(screen.Height(), 256);
        EXPECT_TRUE(PixelsNot(screen, 0).empty());
        EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Default");
        EXPECT_FALSE(SDL_IsScreenSaverEnabled());
        screen.Refresh();
    }
    EXPECT_FALSE(CScreen::IsOpen());
    EXPECT_EQ(FrameWindowSdlWindow(), nullptr);
    CScreen again("Again", 40, 30, NO_COLOUR, true);
    EXPECT_TRUE(CScreen::IsOpen());
    EXPECT_EQ(CountPixels(again, NO_COLOUR), 40 * 30);
}

TEST(Screen, PictureScreenHoldsItAndBackgroundsShowOnlyWhenDrawn)
{
    CImageRecord picture;
    MakePicture(picture, 640, 480, 1);
    CScreen screen("Quorvadellix", picture, true);
    EXPECT_EQ(screen.Width(), 640);
    EXPECT_EQ(screen.Height(), 480);
    EXPECT_TRUE(HoldsPicture(screen, 1));
    // Drawing the background (built without wrap-around) gave its flag.
    EXPECT_FALSE(screen.IsWrapAround());

    CImageRecord field;
    MakePicture(field, 640, 480, 2);
    const PixelType* storage = screen.GetPixels();
    screen.SetBackground(field);
    EXPECT_TRUE(HoldsPicture(screen, 1));
    screen.DrawBackground();
    EXPECT_TRUE(HoldsPicture(screen, 2));
    EXPECT_EQ(screen.GetPixels(), storage); // the window keeps this pointer
    screen.Refresh();
}

TEST(Screen, PointBlocksAndBackgroundsKeepTheScreensWrapAround)
{
    {
        CScreen clipping("Clipping", 16, 12, 0, false);
        clipping.DrawShape(ORIGIN, 0x00FF0000);
        EXPECT_EQ(PixelsNot(clipping, 0), (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    }
    CScreen wrapping("Wrapping", 16, 12, 0, true);
    wrapping.DrawShape(ORIGIN, 0x0000FF00);
    EXPECT_EQ(
        PixelsNot(wrapping, 0),
        (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {15, 0}, {15, 1}, {0, 11}, {1, 11}, {15, 11}}));
    // A background set on a screen built without one takes its flag.
    CImageRecord picture;
    MakePicture(picture, 16, 12, 3);
    wrapping.SetBackground(picture);
    EXPECT_EQ(CountPixels(wrapping, 0), 16 * 12 - 9);
    wrapping.DrawBackground();
    EXPECT_TRUE(HoldsPicture(wrapping, 3));
    EXPECT_TRUE(wrapping.IsWrapAround());
}

TEST(ScreenDeathTest, BrokenPreconditionsStopWithTheirConditions)
{
    const std::string where = ", file render/cscreen\\.cpp, line [0-9]+";
    const std::string colour =
        "Assertion failed: colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= MAXCOLOUR\\)";
    for (const PixelType ok : {NO_COLOUR, 0, 0x00FFFFFF}) {
        CScreen screen("Colour", 8, 8, ok, false);
    }
    EXPECT_DEATH(CScreen("Too red", 8, 8, 0x1000000, false), colour + where);
    EXPECT_DEATH(CScreen("Negative", 8, 8, -2, false), colour + where);
    EXPECT_DEATH(
        {
            CScreen first;
            CScreen second("Second", 8, 8, 0, false);
        },
        "Assertion failed: !m_isOpen" + where);
    EXPECT_DEATH(
        {
            CScreen screen("No background", 8, 8, 0, false);
            screen.DrawBackground();
        },
        "Assertion failed: HasBackground\\(\\)" + where);
    CImageRecord wide;
    MakePicture(wide, 9, 8, 0);
    EXPECT_DEATH(
        {
            CScreen screen("Wrong size", 8, 8, 0, false);
            screen.SetBackground(wide);
        },
        "Assertion failed: IsOpen\\(\\) && image\\.IsValid\\(\\) && "
        "image\\.GetWidth\\(\\)==Width\\(\\) && image\\.GetHeight\\(\\)==Height\\(\\)" +
            where);
    CImageRecord empty;
    EXPECT_DEATH(CScreen("Empty", empty, false), "Assertion failed: bgImg\\.IsValid\\(\\)" + where);
}
