// The screen on SDL's dummy video driver.

#include "image/cimagerecord.h"
#include "render/cscreen.h"
#include "render/framewindow_detail.h"

#include "support/pixels.h"
#include <SDL.h>

#include <gtest/gtest.h>

#include <cmath>
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
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x) // blue, green, red
            image.GetBits()[y * image.GetEffWidth() + x] =
                static_cast<BYTE>(Colour(x / 3, y, seed) >> (8 * (x % 3)));
}

// The buffer's pixels that differ from the picture of that seed.
PixelSet NotPicture(const CBuffer2D& buffer, int seed)
{
    PixelSet wrong;
    for (int y = 0; y < buffer.Height(); ++y)
        for (int x = 0; x < buffer.Width(); ++x)
            if (buffer.GetPixel(x, y) != Colour(x, y, seed))
                wrong.insert({x, y});
    return wrong;
}

} // namespace

TEST(Screen, DefaultCustomAndPictureScreensAndTheirDrawing)
{
    {
        CScreen screen;
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 256256);
        EXPECT_TRUE(PixelsNot(screen, 0).empty());
        EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Default");
        EXPECT_TRUE(CScreen::IsOpen() && !screen.HasBackground());
        // A vector: its line from the start, then a circle of radius 2 around the start.
        screen.DrawVector(CPoint2D(50, 60), CPoint2D(20, PI / 3), 0x123456);
        PixelSet expected;
        AddLine(expected, CPoint2D(50, 60), CPoint2D(60, 60 + 10 * std::sqrt(3.0)));
        AddCircle(expected, CPoint2D(50, 60), 2);
        EXPECT_EQ(PixelsNot(screen, 0), expected);
        EXPECT_EQ(CountPixels(screen, 0x123456), static_cast<int>(expected.size()));
        screen.Refresh();
    }
    EXPECT_FALSE(CScreen::IsOpen());
    EXPECT_EQ(FrameWindowSdlWindow(), nullptr);
    {
        CScreen clipping("Clipping", 16, 12, NO_COLOUR, false);
        EXPECT_EQ(CountPixels(clipping, NO_COLOUR), 16 * 12);
        clipping.DrawShape(ORIGIN, 0x00FF0000);
        clipping.DrawShape(CPoint2D(7.6, 5.4), 0x00FF0000);
        EXPECT_EQ(Painted(clipping),
                  Art({".......###", ".......###", ".......###", "", "", "##", "##"}));
    }
    CScreen wrapping("Wrapping", 16, 12, 0, true);
    wrapping.DrawShape(ORIGIN, 0x0000FF00);
    EXPECT_EQ(
        PixelsNot(wrapping, 0),
        (PixelSet{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {15, 0}, {15, 1}, {0, 11}, {1, 11}, {15, 11}}));
}

TEST(Screen, BackgroundsShowOnlyWhenDrawnWithTheirWrapAround)
{
    CImageRecord picture, field, small;
    MakePicture(picture, 640, 480, 1);
    MakePicture(field, 640, 480, 2);
    MakePicture(small, 3, 2, 3);
    {
        CScreen screen("Quorvadellix", picture, true);
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 640480);
        EXPECT_TRUE(NotPicture(screen, 1).empty() && screen.HasBackground());
        EXPECT_FALSE(screen.IsWrapAround()); // the picture's flag, not the screen's
        const PixelType* storage = screen.GetPixels();
        screen.SetBackground(field);
        EXPECT_TRUE(NotPicture(screen, 1).empty());
        screen.DrawImage(CPoint2D(638, 1), small); // clipped like a picture copy
        EXPECT_EQ(NotPicture(screen, 1), (PixelSet{{638, 1}, {639, 1}, {638, 2}, {639, 2}}));
        EXPECT_EQ(screen.GetPixel(639, 2), Colour(1, 1, 3));
        screen.DrawBackground();
        EXPECT_TRUE(NotPicture(screen, 2).empty());
        EXPECT_EQ(screen.GetPixels(), storage); // the window keeps this pointer
        screen.Refresh();
    }
    CScreen wrapping("Wrapping", 640, 480, 0, true); // built without a background
    wrapping.SetBackground(field);
    EXPECT_TRUE(PixelsNot(wrapping, 0).empty());
    wrapping.DrawBackground();
    EXPECT_TRUE(NotPicture(wrapping, 2).empty());
    EXPECT_TRUE(wrapping.IsWrapAround()); // the background took the screen's flag
}

TEST(ScreenDeathTest, BrokenPreconditionsStopWithTheirConditions)
{
    const std::string where = ", file render/cscreen\\.cpp, line [0-9]+";
    const std::string colour =
        "Assertion failed: colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= MAXCOLOUR\\)";
    for (const PixelType ok : {NO_COLOUR, 0, 0x00FFFFFF}) {
        CScreen screen("Colour", 8, 8, ok, false);
        EXPECT_EQ(CountPixels(screen, ok), 64);
    }
    EXPECT_DEATH(CScreen("Too red", 8, 8, 0x1000000, false), colour + where);
    EXPECT_DEATH(CScreen("Negative", 8, 8, -2, false), colour + where);
    EXPECT_DEATH(CScreen("No background", 8, 8, 0, false).DrawBackground(),
                 "Assertion failed: HasBackground\\(\\)" + where);
    CImageRecord wide, tall, empty;
    MakePicture(wide, 9, 8, 0);
    MakePicture(tall, 8, 9, 0);
    {
        const CScreen open("Open", 8, 8, 0, false);
        EXPECT_DEATH(CScreen(), "Assertion failed: !m_isOpen" + where);
        EXPECT_DEATH(CScreen("Second", 8, 8, 0, false), "Assertion failed: !m_isOpen" + where);
        EXPECT_DEATH(CScreen("Third", wide, false), "Assertion failed: !m_isOpen" + where);
    }
    for (const CImageRecord* image : {&wide, &tall, &empty})
        EXPECT_DEATH(CScreen("Wrong size", 8, 8, 0, false).SetBackground(*image),
                     "Assertion failed: IsOpen\\(\\) && image\\.IsValid\\(\\) && "
                     "image\\.GetWidth\\(\\)==Width\\(\\) && image\\.GetHeight\\(\\)==Height\\(\\)" +
                         where);
    EXPECT_DEATH(CScreen("Empty", empty, false), "Assertion failed: bgImg\\.IsValid\\(\\)" + where);
}
