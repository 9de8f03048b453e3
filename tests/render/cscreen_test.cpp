// The screen on SDL's dummy video driver: its three ways of being built,
// the background, the drawing helpers and the one-screen rule.

#include "geometry/cpoint2d.h"
#include "geometry/geometry2d.h"
#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "render/framewindow_detail.h"

#include "support/pixels.h"
#include <SDL.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>

namespace {

bool AllPixels(const CBuffer2D& buffer, PixelType colour)
{
    return PixelsNot(buffer, colour).empty();
}

// A 24-bit picture whose pixel (x, y), y from the bottom line, has the colour
// PictureColour(x, y, seed).
PixelType PictureColour(int x, int y, int seed)
{
    return ((x * 7 + seed) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y + seed) & 0xFF);
}

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

class Screen : public testing::Test
{
protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
};

using ScreenDeathTest = Screen;

} // namespace

TEST_F(Screen, DefaultScreenIs256By256TitledDefaultAndClearedToBlack)
{
    EXPECT_FALSE(CScreen::IsOpen());
    {
        CScreen screen;
        EXPECT_TRUE(CScreen::IsOpen());
        EXPECT_EQ(screen.Width(), 256);
        EXPECT_EQ(screen.Height(), 256);
        EXPECT_FALSE(screen.IsWrapAround());
        EXPECT_FALSE(screen.HasBackground());
        EXPECT_TRUE(AllPixels(screen, 0));
        ASSERT_NE(FrameWindowSdlWindow(), nullptr);
        EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Default");
        screen.Refresh();
    }
    // Destroying the screen closes the window; a new one can be built.
    EXPECT_FALSE(CScreen::IsOpen());
    EXPECT_EQ(FrameWindowSdlWindow(), nullptr);
    CScreen again("Again", 40, 30, NO_COLOUR, true);
    EXPECT_TRUE(CScreen::IsOpen());
    EXPECT_EQ(again.Width(), 40);
    EXPECT_EQ(again.Height(), 30);
    EXPECT_TRUE(again.IsWrapAround());
    EXPECT_TRUE(AllPixels(again, NO_COLOUR));
    EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Again");
}

TEST_F(Screen, ScreenFromAPictureHoldsItBeforeTheFirstRefreshAndDrawsWithoutWrapAround)
{
    CImageRecord picture;
    MakePicture(picture, 640, 480, 1);
    CScreen screen("Quorvadellix", picture, true);
    EXPECT_EQ(screen.Width(), 640);
    EXPECT_EQ(screen.Height(), 480);
    EXPECT_TRUE(screen.HasBackground());
    EXPECT_TRUE(HoldsPicture(screen, 1));
    // The background buffer is built without wrap-around, and drawing it
    // gives the screen its flag.
    EXPECT_FALSE(screen.IsWrapAround());

    // A new background changes nothing until it is drawn.
    CImageRecord field;
    MakePicture(field, 640, 480, 2);
    const PixelType* storage = screen.GetPixels();
    screen.SetBackground(field);
    EXPECT_TRUE(HoldsPicture(screen, 1));
    screen.Clear(0x00ABCDEF);
    screen.DrawBackground();
    EXPECT_TRUE(HoldsPicture(screen, 2));
    // The window keeps pointing at the same storage.
    EXPECT_EQ(screen.GetPixels(), storage);
    screen.Refresh();
}

TEST_F(Screen, BackgroundOnACustomScreenTakesItsSizeAndWrapAround)
{
    CScreen screen("Custom", 32, 24, 0x00123456, true);
    EXPECT_FALSE(screen.HasBackground());
    EXPECT_TRUE(AllPixels(screen, 0x00123456));
    CImageRecord picture;
    MakePicture(picture, 32, 24, 3);
    screen.SetBackground(picture);
    EXPECT_TRUE(screen.HasBackground());
    EXPECT_TRUE(AllPixels(screen, 0x00123456));
    screen.DrawBackground();
    EXPECT_TRUE(HoldsPicture(screen, 3));
    EXPECT_TRUE(screen.IsWrapAround());

    // A picture drawn at a point lands with its bottom-left pixel there.
    CImageRecord small;
    MakePicture(small, 4, 3, 9);
    screen.DrawImage(CPoint2D(5, 6), small);
    EXPECT_EQ(screen.GetPixel(5, 6), PictureColour(0, 0, 9));
    EXPECT_EQ(screen.GetPixel(8, 8), PictureColour(3, 2, 9));
    EXPECT_EQ(screen.GetPixel(9, 8), PictureColour(9, 8, 3));
}

TEST_F(Screen, ColoursAcceptedByOpen)
{
    for (const PixelType colour : {NO_COLOUR, 0, 0x00FFFFFF, 0x00808080}) {
        CScreen screen("Colour", 8, 8, colour, false);
        EXPECT_TRUE(AllPixels(screen, colour)) << colour;
    }
}

TEST_F(Screen, PointBlockIsClippedOrWrappedPixelByPixel)
{
    CScreen clipping("Clipping", 16, 12, 0, false);
    clipping.DrawShape(ORIGIN, 0x00FF0000);
    EXPECT_EQ(PixelsNot(clipping, 0), (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    // Centre on a pixel: X() and Y() round (3.4, 5.6) to (3, 6).
    clipping.Clear(0);
    clipping.DrawShape(CPoint2D(3.4, 5.6), 0x00FF0000);
    EXPECT_EQ(PixelsNot(clipping, 0),
              (PixelSet{{2, 5}, {2, 6}, {2, 7}, {3, 5}, {3, 6}, {3, 7}, {4, 5}, {4, 6}, {4, 7}}));
}

TEST_F(Screen, PointBlockWrapsToTheOppositeEdges)
{
    CScreen wrapping("Wrapping", 16, 12, 0, true);
    wrapping.DrawShape(ORIGIN, 0x0000FF00);
    EXPECT_EQ(
        PixelsNot(wrapping, 0),
        (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {15, 0}, {15, 1}, {0, 11}, {1, 11}, {15, 11}}));
}

TEST_F(Screen, VectorIsASegmentFromItsStartWithASmallCircleThere)
{
    CScreen screen("Vector", 32, 32, 0, false);
    // Length 5 to the right of (10, 10): the segment (10, 10) to (15, 10).
    screen.DrawVector(CPoint2D(10, 10), CPoint2D(5, 0), 0x000000FF);
    const PixelSet drawn = PixelsNot(screen, 0);
    for (int col = 10; col <= 15; ++col) {
        EXPECT_EQ(drawn.count({col, 10}), 1U) << col;
    }
    EXPECT_EQ(drawn.count({16, 10}), 0U);
    // The circle of radius 2 around the start: its top, left and bottom.
    EXPECT_EQ(drawn.count({10, 12}), 1U);
    EXPECT_EQ(drawn.count({8, 10}), 1U);
    EXPECT_EQ(drawn.count({10, 8}), 1U);
    EXPECT_EQ(drawn.count({10, 11}), 0U);
    for (const auto& pixel : drawn) {
        EXPECT_EQ(screen.GetPixel(pixel.first, pixel.second), 0x000000FF);
        EXPECT_TRUE(pixel.first >= 8 && pixel.first <= 15 && pixel.second >= 8 &&
                    pixel.second <= 12)
            << pixel.first << ", " << pixel.second;
    }

    // Straight up, HALF_PI: the end is (20, 15) after rounding.
    screen.Clear(0);
    screen.DrawVector(CPoint2D(20, 10), CPoint2D(5, HALF_PI), 0x000000FF);
    EXPECT_EQ(screen.GetPixel(20, 15), 0x000000FF);
    EXPECT_EQ(screen.GetPixel(20, 16), 0);
}

TEST_F(ScreenDeathTest, BrokenPreconditionsStopWithTheirConditions)
{
    const std::string where = ", file render/cscreen\\.cpp, line [0-9]+";
    EXPECT_DEATH(CScreen("Too red", 8, 8, 0x1000000, false),
                 "Assertion failed: colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= "
                 "MAXCOLOUR\\)" +
                     where);
    EXPECT_DEATH(CScreen("Negative", 8, 8, -2, false),
                 "Assertion failed: colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= "
                 "MAXCOLOUR\\)" +
                     where);
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

    const std::string setBackground =
        "Assertion failed: IsOpen\\(\\) && image\\.IsValid\\(\\) && "
        "image\\.GetWidth\\(\\)==Width\\(\\) && image\\.GetHeight\\(\\)==Height\\(\\)" +
        where;
    CImageRecord wide;
    MakePicture(wide, 9, 8, 0);
    CImageRecord tall;
    MakePicture(tall, 8, 9, 0);
    CImageRecord empty;
    for (const CImageRecord* picture : {&wide, &tall, &empty}) {
        EXPECT_DEATH(
            {
                CScreen screen("Wrong size", 8, 8, 0, false);
                screen.SetBackground(*picture);
            },
            setBackground);
    }
    EXPECT_DEATH(CScreen("Empty", empty, false), "Assertion failed: bgImg\\.IsValid\\(\\)" + where);
}
