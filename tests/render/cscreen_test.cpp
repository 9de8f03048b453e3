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
ColourAt Colour(int seed)
{
    return [seed](int x, int y) {
        return ((x * 7 + seed) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y + seed) & 0xFF);
    };
}
} // namespace
TEST(Screen, DefaultAndCustomScreensDrawPointsAndVectors)
{
    {
        CScreen screen;
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 256256);
        EXPECT_STREQ(SDL_GetWindowTitle(FrameWindowSdlWindow()), "Default");
        EXPECT_TRUE(CScreen::IsOpen() && !screen.HasBackground() && PixelsNot(screen, 0).empty());
        // A vector: its line from the start, then a circle of radius 2 around the start.
        screen.DrawVector(CPoint2D(50, 60), CPoint2D(20, PI / 3), 0x123456);
        PixelSet expected;
        AddLine(expected, CPoint2D(50, 60), CPoint2D(60, 60 + 10 * std::sqrt(3.0)));
        AddCircle(expected, CPoint2D(50, 60), 2);
        EXPECT_EQ(PixelsNot(screen, 0), expected);
        EXPECT_EQ(PixelsNot(screen, 0x123456).size(), 256U * 256U - expected.size());
        screen.Refresh();
    }
    EXPECT_FALSE(CScreen::IsOpen() || FrameWindowSdlWindow() != nullptr);
    for (const PixelType colour : {NO_COLOUR, 0, 0x00FFFFFF}) {
        CScreen clipping("Clipping", 16, 12, colour, false);
        EXPECT_TRUE(PixelsNot(clipping, colour).empty());
    }
    CScreen clipping("Clipping", 16, 12, NO_COLOUR, false);
    clipping.DrawShape(ORIGIN, 0x00FF0000);
    clipping.DrawShape(CPoint2D(7.6, 5.4), 0x00FF0000);
    EXPECT_EQ(Painted(clipping),
              Art({".......###", ".......###", ".......###", "", "", "##", "##"}));
}
TEST(Screen, WrapAroundPointsAndBackgroundsShownOnlyWhenDrawn)
{
    {
        CScreen wrapping("Wrapping", 16, 12, 0, true);
        wrapping.DrawShape(ORIGIN, 0x0000FF00);
        EXPECT_EQ(
            PixelsNot(wrapping, 0),
            (PixelSet{
                {0, 0}, {0, 1}, {1, 0}, {1, 1}, {15, 0}, {15, 1}, {0, 11}, {1, 11}, {15, 11}}));
    }
    CImageRecord picture, field, small;
    MakePicture(picture, 640, 480, Colour(1));
    MakePicture(field, 640, 480, Colour(2));
    MakePicture(small, 3, 2, Colour(3));
    {
        CScreen screen("Quorvadellix", picture, true);
        EXPECT_EQ(screen.Width() * 1000 + screen.Height(), 640480);
        EXPECT_TRUE(Unlike(screen, Colour(1)).empty() && screen.HasBackground());
        EXPECT_FALSE(screen.IsWrapAround()); // the picture's flag, not the screen's
        const PixelType* storage = screen.GetPixels();
        screen.SetBackground(field);
        screen.DrawImage(CPoint2D(638, 1), small); // clipped like a picture copy
        EXPECT_EQ(Unlike(screen, Colour(1)), (Picture{{{638, 1}, Colour(3)(0, 0)},
                                                      {{639, 1}, Colour(3)(1, 0)},
                                                      {{638, 2}, Colour(3)(0, 1)},
                                                      {{639, 2}, Colour(3)(1, 1)}}));
        screen.DrawBackground();
        EXPECT_TRUE(Unlike(screen, Colour(2)).empty());
        EXPECT_EQ(screen.GetPixels(), storage); // the window keeps this pointer
        screen.Refresh();
    }
    CScreen wrapping("Wrapping", 640, 480, 0, true); // built without a background
    wrapping.SetBackground(field);
    EXPECT_TRUE(PixelsNot(wrapping, 0).empty());
    wrapping.DrawBackground();
    EXPECT_TRUE(Unlike(wrapping, Colour(2)).empty() && wrapping.IsWrapAround());
}
TEST(ScreenDeathTest, BrokenPreconditionsStopWithTheirConditions)
{
    const auto death = [](const std::string& condition) {
        return "Assertion failed: " + condition + ", file render/cscreen\\.cpp, line ";
    };
    const std::string colour =
        death("colour == NO_COLOUR \\|\\| \\(0 <= colour && colour <= MAXCOLOUR\\)");
    EXPECT_DEATH(CScreen("Too red", 8, 8, 0x1000000, false), colour);
    EXPECT_DEATH(CScreen("Negative", 8, 8, -2, false), colour);
    EXPECT_DEATH(CScreen("No background", 8, 8, 0, false).DrawBackground(),
                 death("HasBackground\\(\\)"));
    CImageRecord wide, tall, empty;
    MakePicture(wide, 9, 8, Colour(0));
    MakePicture(tall, 8, 9, Colour(0));
    EXPECT_DEATH(CScreen("Empty", empty, false), death("bgImg\\.IsValid\\(\\)"));
    const CScreen open("Open", 8, 8, 0, false);
    EXPECT_DEATH(CScreen(), death("!m_isOpen"));
    EXPECT_DEATH(CScreen("Second", 8, 8, 0, false), death("!m_isOpen"));
    EXPECT_DEATH(CScreen("Third", wide, false), death("!m_isOpen"));
    for (const CImageRecord* image : {&wide, &tall, &empty})
        EXPECT_DEATH(
            const_cast<CScreen&>(open).SetBackground(*image),
            death("IsOpen\\(\\) && image\\.IsValid\\(\\) && image\\.GetWidth\\(\\)==Width\\(\\) "
                  "&& image\\.GetHeight\\(\\)==Height\\(\\)"));
}
