#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <set>
#include <utility>

namespace {

PixelSet LinePixels(CPoint2D p, CPoint2D q, int width = 16, int height = 16, bool wrap = false)
{
    CBuffer2D buffer(width, height, wrap);
    buffer.RenderLine(p, q, 0x102030);
    return Painted(buffer);
}

// The test picture's colour bytes at (x, y): every pixel different in a
// 640 x 480 picture, and all three channels varying.
BYTE Blue(DWORD x, DWORD y)
{
    return static_cast<BYTE>(x + 3 * y);
}
BYTE Green(DWORD x, DWORD y)
{
    return static_cast<BYTE>(y ^ (x >> 2));
}
BYTE Red(DWORD x, DWORD y)
{
    return static_cast<BYTE>((x >> 8) | ((y >> 8) << 2) | 0x40);
}
PixelType Expected(DWORD x, DWORD y)
{
    return (Red(x, y) << 16) | (Green(x, y) << 8) | Blue(x, y);
}

// A 24-bit picture with rows written bottom line first.
void MakePicture(CImageRecord& image, DWORD width, DWORD height)
{
    ASSERT_NE(image.Create(width, height, 24, IMAGE_FORMAT_BMP), nullptr);
    for (DWORD y = 0; y < height; ++y) {
        BYTE* row = image.GetBits() + y * image.GetEffWidth();
        for (DWORD x = 0; x < width; ++x) {
            row[3 * x] = Blue(x, y);
            row[3 * x + 1] = Green(x, y);
            row[3 * x + 2] = Red(x, y);
        }
    }
}

void ExpectSameBuffers(const CBuffer2D& a, const CBuffer2D& b)
{
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.IsWrapAround(), b.IsWrapAround());
    EXPECT_EQ(std::memcmp(a.GetPixels(), b.GetPixels(), sizeof(PixelType) * a.Size()), 0);
}

} // namespace

TEST(Buffer, FreshBuffersHoldNoColour)
{
    const CBuffer2D standard;
    EXPECT_EQ(standard.Width(), 256);
    EXPECT_EQ(standard.Height(), 256);
    EXPECT_FALSE(standard.IsWrapAround());
    EXPECT_TRUE(Painted(standard).empty());
    const CBuffer2D largest(MAX_WIDTH, MAX_HEIGHT, true);
    EXPECT_EQ(largest.Size(), 1024 * 768);
    EXPECT_TRUE(largest.IsWrapAround());
    EXPECT_TRUE(Painted(largest).empty());
}

TEST(Buffer, StorageRunsFromTheTopLineDown)
{
    CBuffer2D buffer(5, 3, false);
    EXPECT_EQ(buffer.Index(0, 0), 10);
    EXPECT_EQ(buffer.Index(4, 2), 4);
    EXPECT_EQ(buffer.Index(1, 1), 6);
    buffer.PutPixel(2, 0, 7);
    buffer.SetPixel(3, 2, 8);
    buffer.SetPixelAt(5, 9);
    buffer.SetPixelAt(-1, 12);
    buffer.SetPixelAt(15, 12);
    const PixelType expected[15] = {-1, -1, -1, 8, -1, 9, -1, -1, -1, -1, -1, -1, 7, -1, -1};
    EXPECT_EQ(std::memcmp(buffer.GetPixels(), expected, sizeof(expected)), 0);
    EXPECT_EQ(buffer.GetPixel(0, 1), 9);

    buffer.Clear(MAXCOLOUR);
    EXPECT_EQ(std::count(buffer.GetPixels(), buffer.GetPixels() + 15, MAXCOLOUR), 15);
}

TEST(Buffer, SetPixelClipsOrWrapsWithATrueModulo)
{
    CBuffer2D clipping(7, 5, false);
    for (const auto& [col, row] : PixelSet{{-1, 0}, {7, 0}, {0, 5}, {INT_MIN, INT_MAX}}) {
        clipping.SetPixel(col, row, 1);
    }
    EXPECT_TRUE(Painted(clipping).empty());

    // -23 = -4 * 7 + 5 and 26 = 5 * 5 + 1;
    // -2147483648 = -306783379 * 7 + 5 and 2147483647 = 429496729 * 5 + 2.
    const std::pair<int, int> cases[][2] = {{{-1, 0}, {6, 0}},
                                            {{7, 5}, {0, 0}},
                                            {{-7, 0}, {0, 0}},
                                            {{-23, 26}, {5, 1}},
                                            {{INT_MIN, INT_MAX}, {5, 2}}};
    for (const auto& [written, stored] : cases) {
        CBuffer2D wrap(7, 5, true);
        wrap.SetPixel(written.first, written.second, 4);
        EXPECT_EQ(Painted(wrap), PixelSet{stored}) << written.first << "," << written.second;
    }
}

TEST(Buffer, RenderLineDrawsTheSamePixelsInBothDirections)
{
    // Shallow, diagonal, steep, falling and vertical lines, each both ways.
    const struct
    {
        CPoint2D p;
        CPoint2D q;
        PixelSet pixels;
    } lines[] = {{{0, 0}, {3, 1}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
                 {{0, 0}, {2, 2}, {{0, 0}, {1, 1}, {2, 2}}},
                 {{0, 0}, {1, 3}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
                 {{0, 3}, {3, 2}, {{0, 3}, {1, 3}, {2, 2}, {3, 2}}},
                 {{6, 1}, {6, 3}, {{6, 1}, {6, 2}, {6, 3}}},
                 {{5, 5}, {5, 5}, {{5, 5}}}};
    for (const auto& line : lines) {
        EXPECT_EQ(LinePixels(line.p, line.q), line.pixels) << line.p.X() << "," << line.p.Y();
        EXPECT_EQ(LinePixels(line.q, line.p), line.pixels) << line.q.X() << "," << line.q.Y();
    }
    // End points are rounded to pixels first: (0.4, 0.4)-(2.5, 2.4) runs
    // from (0, 0) to (3, 2).
    EXPECT_EQ(LinePixels(CPoint2D(0.4, 0.4), CPoint2D(2.5, 2.4)),
              (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
    EXPECT_EQ(LinePixels(CPoint2D(4.6, 4.9), CPoint2D(5.4, 5.2)), (PixelSet{{5, 5}}));

    // A long line sets one pixel per column, both ends included.
    PixelSet longLine = LinePixels(CPoint2D(0, 0), CPoint2D(100, 37), 128, 64);
    EXPECT_EQ(longLine.size(), 101U);
    EXPECT_EQ(longLine.count({100, 37}), 1U);
    // Only where the exact line passes midway between two pixels (y = 18.5
    // at x = 50) does the direction matter: the walk steps only when the
    // error is strictly positive, so it stays on its own side of the tie.
    PixelSet reverse = LinePixels(CPoint2D(100, 37), CPoint2D(0, 0), 128, 64);
    EXPECT_EQ(longLine.erase({50, 18}), 1U);
    EXPECT_EQ(reverse.erase({50, 19}), 1U);
    EXPECT_EQ(longLine, reverse);
}

TEST(Buffer, RenderLineIsClippedOrWrapped)
{
    // -5.6 rounds to pixel -5 (add 0.5, truncate toward zero).
    EXPECT_EQ(LinePixels(CPoint2D(-5.6, 2), CPoint2D(4, 2), 10, 10),
              (PixelSet{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}));
    EXPECT_EQ(LinePixels(CPoint2D(-5.6, 2), CPoint2D(4, 2), 10, 10, true).size(), 10U);

    EXPECT_EQ(LinePixels(CPoint2D(8, 8), CPoint2D(11, 11), 10, 10), (PixelSet{{8, 8}, {9, 9}}));
    EXPECT_EQ(LinePixels(CPoint2D(8, 8), CPoint2D(11, 11), 10, 10, true),
              (PixelSet{{8, 8}, {9, 9}, {0, 0}, {1, 1}}));

    // Wholly outside a clipping buffer: nothing; in a wrapping one: a copy.
    // (-30, -30) rounds to pixel (-29, -29), which wraps to (1, 1).
    EXPECT_TRUE(LinePixels(CPoint2D(-30, -30), CPoint2D(-27, -29), 10, 10).empty());
    EXPECT_TRUE(LinePixels(CPoint2D(-2e9, 5), CPoint2D(-2, 1e9), 10, 10).empty());
    EXPECT_EQ(LinePixels(CPoint2D(-30, -30), CPoint2D(-27, -29), 10, 10, true),
              (PixelSet{{1, 1}, {2, 1}, {3, 2}, {4, 2}}));
}

TEST(Buffer, ClippedLinesKeepThePixelsOfTheFullWalk)
{
    // Lines reaching outside a small clipping buffer must set exactly the
    // pixels that the same lines, moved wholly inside a large buffer, set
    // in the corresponding window. The move is made on the end points'
    // pixels, since -13 is pixel -12 (add 0.5, truncate toward zero) but
    // 287 stays 287.
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-70, 110);
    const int offset = 300;
    for (int n = 0; n < 500; ++n) {
        const CPoint2D p(coordinate(random), coordinate(random));
        const CPoint2D q(coordinate(random), coordinate(random));
        CBuffer2D small(40, 30, false);
        small.RenderLine(p, q, 1);
        CBuffer2D large(MAX_WIDTH, MAX_HEIGHT, false);
        large.RenderLine(CPoint2D(p.X() + offset, p.Y() + offset),
                         CPoint2D(q.X() + offset, q.Y() + offset), 1);
        PixelSet window;
        for (const auto& [col, row] : Painted(large)) {
            if (col >= offset && col < offset + 40 && row >= offset && row < offset + 30) {
                window.insert({col - offset, row - offset});
            }
        }
        ASSERT_EQ(Painted(small), window)
            << p.X() << "," << p.Y() << " - " << q.X() << "," << q.Y();
    }

    // End points two thousand million pixels away: the exact line crosses
    // column 0 at y = 12.5 (a tie, which stays at 12) and lies just above
    // 12.5 at columns 1..9. The same with the axes swapped.
    EXPECT_EQ(LinePixels(CPoint2D(-2000000000.6, 5), CPoint2D(2e9, 20), 10, 20),
              (PixelSet{{0, 12},
                        {1, 13},
                        {2, 13},
                        {3, 13},
                        {4, 13},
                        {5, 13},
                        {6, 13},
                        {7, 13},
                        {8, 13},
                        {9, 13}}));
    EXPECT_EQ(LinePixels(CPoint2D(5, -2000000000.6), CPoint2D(20, 2e9), 20, 3),
              (PixelSet{{12, 0}, {13, 1}, {13, 2}}));
}

TEST(Buffer, CopiesAPicturePixelForPixelKeepingItsOrientation)
{
    CImageRecord image;
    MakePicture(image, 640, 480);
    const CBuffer2D buffer(image, false);
    ASSERT_EQ(buffer.Width(), 640);
    ASSERT_EQ(buffer.Height(), 480);
    for (DWORD y = 0; y < 480; ++y) {
        for (DWORD x = 0; x < 640; ++x) {
            ASSERT_EQ(buffer.GetPixel(static_cast<int>(x), static_cast<int>(y)), Expected(x, y))
                << x << "," << y;
        }
    }
    // The picture's bottom-left pixel is the first of the last storage line,
    // its top-left pixel the very first one.
    EXPECT_EQ(buffer.GetPixels()[479 * 640], Expected(0, 0));
    EXPECT_EQ(buffer.GetPixels()[0], Expected(0, 479));

    // Inside a larger buffer at (10.4, 2.6), i.e. pixel (10, 3).
    CImageRecord small;
    MakePicture(small, 6, 4);
    CBuffer2D larger(20, 10, false);
    larger.CopyImage(CPoint2D(10.4, 2.6), small);
    EXPECT_EQ(Painted(larger).size(), 24U);
    EXPECT_EQ(larger.GetPixel(10, 3), Expected(0, 0));
    EXPECT_EQ(larger.GetPixel(15, 6), Expected(5, 3));
}

TEST(Buffer, PicturesStickingOutAreClippedOrWrapped)
{
    CImageRecord image;
    MakePicture(image, 8, 6);

    // Past the right edge: picture columns 0..4 stay, 5..7 are gone.
    CBuffer2D clipping(20, 10, false);
    clipping.CopyImage(CPoint2D(15, 2), image);
    EXPECT_EQ(Painted(clipping).size(), 5U * 6U);
    EXPECT_EQ(clipping.GetPixel(15, 2), Expected(0, 0));
    EXPECT_EQ(clipping.GetPixel(19, 7), Expected(4, 5));

    // Past the bottom-left corner: (-3.2, -2.1) rounds to (-2, -1), leaving
    // picture columns 2..7 and rows 1..5 inside.
    CBuffer2D corner(20, 10, false);
    corner.CopyImage(CPoint2D(-3.2, -2.1), image);
    EXPECT_EQ(Painted(corner).size(), 6U * 5U);
    EXPECT_EQ(corner.GetPixel(0, 0), Expected(2, 1));
    EXPECT_EQ(corner.GetPixel(5, 4), Expected(7, 5));

    CBuffer2D wrap(20, 10, true);
    wrap.CopyImage(CPoint2D(15, 7), image);
    EXPECT_EQ(Painted(wrap).size(), 48U);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(wrap.GetPixel((15 + x) % 20, (7 + y) % 10), Expected(x, y));
        }
    }

    CBuffer2D negative(20, 10, true);
    negative.CopyImage(CPoint2D(-43.6, -25.7), image);
    // Pixel (-43, -25) wraps to column 17 and row 5.
    EXPECT_EQ(negative.GetPixel(17, 5), Expected(0, 0));
    EXPECT_EQ(negative.GetPixel(4, 0), Expected(7, 5));
    EXPECT_EQ(Painted(negative).size(), 48U);

    // Far outside a clipping buffer nothing is drawn.
    CBuffer2D far(20, 10, false);
    far.CopyImage(CPoint2D(-1e6, 3), image);
    far.CopyImage(CPoint2D(3, 1e6), image);
    EXPECT_TRUE(Painted(far).empty());
}

TEST(Buffer, CopiesPalettePicturesThroughTheirColours)
{
    CImageRecord image;
    ASSERT_NE(image.Create(3, 2, 8, IMAGE_FORMAT_BMP), nullptr);
    RGBQUAD* palette = image.GetPalette();
    ASSERT_NE(palette, nullptr);
    palette[1] = RGBQUAD{0x11, 0x22, 0x33, 0};
    palette[2] = RGBQUAD{0xAA, 0xBB, 0xCC, 0};
    image.GetBits()[1] = 1;                       // (1, 0)
    image.GetBits()[image.GetEffWidth() + 2] = 2; // (2, 1)

    CBuffer2D inside(3, 2, false);
    inside.CopyImage(ORIGIN, image);
    EXPECT_EQ(inside.GetPixel(0, 0), 0);
    EXPECT_EQ(inside.GetPixel(1, 0), 0x332211);
    EXPECT_EQ(inside.GetPixel(2, 1), 0xCCBBAA);

    CBuffer2D wrapped(3, 2, true);
    wrapped.CopyImage(CPoint2D(1, 1), image);
    EXPECT_EQ(wrapped.GetPixel(2, 1), 0x332211);
    EXPECT_EQ(wrapped.GetPixel(0, 0), 0xCCBBAA);
}

TEST(Buffer, AssignmentCopiesSizeFlagAndPixels)
{
    CBuffer2D source(7, 3, true);
    source.RenderLine(CPoint2D(0, 0), CPoint2D(6, 2), 0x00AA00);
    source.SetPixel(6, 0, 0x0000BB);

    CBuffer2D target(10, 5, false);
    target = source;
    ExpectSameBuffers(target, source);
    EXPECT_NE(target.GetPixels(), source.GetPixels());

    // Equal pixel count (24 each): the storage is kept.
    CBuffer2D tall(4, 6, true);
    tall.Clear(0x445566);
    tall.SetPixel(3, 5, 1);
    CBuffer2D wide(6, 4, false);
    const PixelType* storage = wide.GetPixels();
    wide = tall;
    EXPECT_EQ(wide.GetPixels(), storage);
    ExpectSameBuffers(wide, tall);

    const CBuffer2D copy(source);
    ExpectSameBuffers(copy, source);

    // Self-assignment keeps everything.
    CBuffer2D& alias = wide;
    wide = alias;
    EXPECT_EQ(wide.GetPixels(), storage);
    ExpectSameBuffers(wide, tall);
}

TEST(BufferDeathTest, SizeIndexAndImagePreconditions)
{
    const char* const widthDeath =
        "Assertion failed: 0 < width && width <= MAX_WIDTH, file render/cbuffer2d.cpp, line [0-9]+";
    const char* const heightDeath = "Assertion failed: 0 < height && height <= MAX_HEIGHT, file "
                                    "render/cbuffer2d.cpp, line [0-9]+";
    EXPECT_DEATH(CBuffer2D(1025, 10, false), widthDeath);
    EXPECT_DEATH(CBuffer2D(0, 10, false), widthDeath);
    EXPECT_DEATH(CBuffer2D(10, 0, false), heightDeath);
    EXPECT_DEATH(CBuffer2D(10, 769, true), heightDeath);

    CImageRecord empty;
    EXPECT_DEATH(CBuffer2D(empty, false),
                 "Assertion failed: image\\.IsValid\\(\\), file render/cbuffer2d.cpp, line [0-9]+");
    CImageRecord wide;
    ASSERT_NE(wide.Create(1025, 2, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_DEATH(CBuffer2D(wide, false), widthDeath);

    const char* const indexDeath = "Assertion failed: 0<=col && col<Width\\(\\) && 0<=row && "
                                   "row<Height\\(\\), file render/cbuffer2d.cpp, line [0-9]+";
    CBuffer2D buffer(4, 3, true);
    EXPECT_DEATH(buffer.Index(4, 0), indexDeath);
    EXPECT_DEATH(buffer.GetPixel(0, -1), indexDeath);
    EXPECT_DEATH(buffer.PutPixel(-1, 0, 0), indexDeath);
    EXPECT_DEATH(buffer.PutPixel(0, 3, 0), indexDeath);
}
