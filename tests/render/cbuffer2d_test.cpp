#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>

namespace {

PixelSet LinePixels(CPoint2D p, CPoint2D q, int width = 16, int height = 16, bool wrap = false)
{
    CBuffer2D buffer(width, height, wrap);
    buffer.RenderLine(p, q, 0x102030);
    return Painted(buffer);
}

// The test picture's colour at (x, y): all pixels of 640 x 480 differ, and
// the three channels vary independently.
PixelType Expected(DWORD x, DWORD y)
{
    return static_cast<PixelType>(((x >> 8) | ((y >> 8) << 2) | 0x40) << 16 |
                                  ((y ^ (x >> 2)) & 0xFF) << 8 | ((x + 3 * y) & 0xFF));
}

// A 24-bit picture (blue, green, red bytes) with rows stored bottom line first.
void MakePicture(CImageRecord& image, DWORD width, DWORD height)
{
    ASSERT_NE(image.Create(width, height, 24, IMAGE_FORMAT_BMP), nullptr);
    for (DWORD y = 0; y < height; ++y) {
        BYTE* row = image.GetBits() + y * image.GetEffWidth();
        for (DWORD x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                row[3 * x + c] = static_cast<BYTE>(Expected(x, y) >> (8 * c));
            }
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

TEST(Buffer, StorageRunsFromTheTopLineDownAndSetPixelClipsOrWraps)
{
    CBuffer2D buffer(5, 3, false);
    EXPECT_EQ(buffer.Index(4, 2), 4);
    buffer.PutPixel(2, 0, 7);
    EXPECT_EQ(buffer.GetPixels()[12], 7);
    buffer.SetPixelAt(5, 9);
    buffer.SetPixelAt(15, 12);
    EXPECT_EQ(buffer.GetPixel(0, 1), 9);
    for (const auto& [col, row] : PixelSet{{-1, 0}, {5, 0}, {0, 3}, {INT_MIN, INT_MAX}}) {
        buffer.SetPixel(col, row, 1);
    }
    EXPECT_EQ(Painted(buffer), (PixelSet{{2, 0}, {0, 1}}));

    // Written column and row, stored column and row in a 7 x 5 buffer. A true
    // modulo: -23 = -4 * 7 + 5, 26 = 5 * 5 + 1, INT_MIN = -306783379 * 7 + 5,
    // INT_MAX = 429496729 * 5 + 2.
    const int cases[][4] = {
        {-1, 0, 6, 0}, {7, 5, 0, 0}, {-7, 0, 0, 0}, {-23, 26, 5, 1}, {INT_MIN, INT_MAX, 5, 2}};
    for (const auto& c : cases) {
        CBuffer2D wrap(7, 5, true);
        wrap.SetPixel(c[0], c[1], 4);
        EXPECT_EQ(Painted(wrap), (PixelSet{{c[2], c[3]}})) << c[0] << "," << c[1];
    }
}

TEST(Buffer, RenderLineDrawsBothWaysAlikeClippedOrWrapped)
{
    const struct
    {
        CPoint2D p;
        CPoint2D q;
        PixelSet pixels;
    } lines[] = {{{0, 0}, {3, 1}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
                 {{0, 0}, {2, 2}, {{0, 0}, {1, 1}, {2, 2}}},
                 {{0, 0}, {1, 3}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
                 {{0, 3}, {3, 2}, {{0, 3}, {1, 3}, {2, 2}, {3, 2}}},
                 {{5, 5}, {5, 5}, {{5, 5}}},
                 // End points are rounded to pixels (0, 0) and (3, 2) first.
                 {{0.4, 0.4}, {2.5, 2.4}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}}};
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::Message() << line.p.Xd() << "," << line.p.Yd());
        EXPECT_EQ(LinePixels(line.p, line.q), line.pixels);
        EXPECT_EQ(LinePixels(line.q, line.p), line.pixels);
    }

    // Clipped or wrapped; -5.6 rounds to pixel -5.
    EXPECT_EQ(LinePixels(CPoint2D(-5.6, 2), CPoint2D(4, 2), 10, 10),
              (PixelSet{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}));
    EXPECT_EQ(LinePixels(CPoint2D(-5.6, 2), CPoint2D(4, 2), 10, 10, true).size(), 10U);
    EXPECT_EQ(LinePixels(CPoint2D(8, 8), CPoint2D(11, 11), 10, 10), (PixelSet{{8, 8}, {9, 9}}));
    EXPECT_EQ(LinePixels(CPoint2D(8, 8), CPoint2D(11, 11), 10, 10, true),
              (PixelSet{{8, 8}, {9, 9}, {0, 0}, {1, 1}}));
    EXPECT_TRUE(LinePixels(CPoint2D(-2e9, 5), CPoint2D(-2, 1e9), 10, 10).empty());

    // Random lines reaching out of a small clipping buffer set exactly the
    // pixels the same lines set in that window of a large buffer. The shift
    // is applied to the end points' pixels (-13 is pixel -12, 287 stays 287).
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-70, 110);
    const int offset = 300;
    for (int n = 0; n < 60; ++n) {
        const CPoint2D p(coordinate(random), coordinate(random));
        const CPoint2D q(coordinate(random), coordinate(random));
        CBuffer2D large(MAX_WIDTH, MAX_HEIGHT, false);
        large.RenderLine(CPoint2D(p.X() + offset, p.Y() + offset),
                         CPoint2D(q.X() + offset, q.Y() + offset), 1);
        PixelSet window;
        for (const auto& [col, row] : Painted(large)) {
            if (col >= offset && col < offset + 40 && row >= offset && row < offset + 30) {
                window.insert({col - offset, row - offset});
            }
        }
        ASSERT_EQ(LinePixels(p, q, 40, 30), window)
            << p.X() << "," << p.Y() << " - " << q.X() << "," << q.Y();
    }

    // End points two thousand million pixels away: the exact line crosses
    // column 0 at y = 12.5 (a tie, which stays at 12) and lies just above
    // 12.5 at columns 1..9. The same with the axes swapped.
    PixelSet crossing{{0, 12}};
    for (int col = 1; col < 10; ++col) {
        crossing.insert({col, 13});
    }
    EXPECT_EQ(LinePixels(CPoint2D(-2000000000.6, 5), CPoint2D(2e9, 20), 10, 20), crossing);
    EXPECT_EQ(LinePixels(CPoint2D(5, -2000000000.6), CPoint2D(20, 2e9), 20, 3),
              (PixelSet{{12, 0}, {13, 1}, {13, 2}}));
}

TEST(Buffer, CopiesPicturesKeepingOrientationClippingOrWrapping)
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
    // Picture pixel (0, 0) is the first of the last storage line.
    EXPECT_EQ(buffer.GetPixels()[479 * 640], Expected(0, 0));

    CImageRecord small;
    MakePicture(small, 8, 6);
    // Past the right edge: picture columns 0..4 stay, 5..7 are gone.
    CBuffer2D clipping(20, 10, false);
    clipping.CopyImage(CPoint2D(15.4, 1.6), small);
    EXPECT_EQ(Painted(clipping).size(), 5U * 6U);
    EXPECT_EQ(clipping.GetPixel(15, 2), Expected(0, 0));
    EXPECT_EQ(clipping.GetPixel(19, 7), Expected(4, 5));
    clipping.Clear(NO_COLOUR);
    clipping.CopyImage(CPoint2D(-1e6, 3), small);
    clipping.CopyImage(CPoint2D(3, 1e6), small);
    EXPECT_TRUE(Painted(clipping).empty());

    // (-25, 17) is pixel (-24, 17), i.e. column 16 and row 7: the picture
    // wraps over both edges.
    CBuffer2D wrap(20, 10, true);
    wrap.CopyImage(CPoint2D(-25, 17), small);
    EXPECT_EQ(Painted(wrap).size(), 48U);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(wrap.GetPixel((16 + x) % 20, (7 + y) % 10), Expected(x, y));
        }
    }

    // A palette picture is copied through its colours.
    CImageRecord palette;
    ASSERT_NE(palette.Create(3, 2, 8, IMAGE_FORMAT_BMP), nullptr);
    ASSERT_NE(palette.GetPalette(), nullptr);
    palette.GetPalette()[2] = RGBQUAD{0xAA, 0xBB, 0xCC, 0};
    palette.GetBits()[palette.GetEffWidth() + 2] = 2; // (2, 1)
    CBuffer2D fromPalette(3, 2, false);
    fromPalette.CopyImage(ORIGIN, palette);
    EXPECT_EQ(fromPalette.GetPixel(0, 0), 0);
    EXPECT_EQ(fromPalette.GetPixel(2, 1), 0xCCBBAA);
}

TEST(Buffer, AssignmentCopiesSizeFlagAndPixels)
{
    CBuffer2D source(7, 3, true);
    source.RenderLine(CPoint2D(0, 0), CPoint2D(6, 2), 0x00AA00);
    CBuffer2D target(10, 5, false);
    target = source;
    ExpectSameBuffers(target, source);
    ExpectSameBuffers(CBuffer2D(source), source);

    // Equal pixel count (24 each): the storage is kept.
    CBuffer2D tall(4, 6, true);
    tall.Clear(0x445566);
    tall.SetPixel(3, 5, 1);
    CBuffer2D wide(6, 4, false);
    const PixelType* storage = wide.GetPixels();
    wide = tall;
    EXPECT_EQ(wide.GetPixels(), storage);
    ExpectSameBuffers(wide, tall);

    CBuffer2D& alias = wide;
    wide = alias;
    EXPECT_EQ(wide.GetPixels(), storage);
    ExpectSameBuffers(wide, tall);
}

TEST(BufferDeathTest, SizeIndexAndImagePreconditions)
{
    const char* const widthDeath =
        "Assertion failed: 0 < width && width <= MAX_WIDTH, file render/cbuffer2d.cpp, line [0-9]+";
    EXPECT_DEATH(CBuffer2D(1025, 10, false), widthDeath);
    EXPECT_DEATH(CBuffer2D(0, 10, false), widthDeath);
    EXPECT_DEATH(CBuffer2D(10, 0, true), "Assertion failed: 0 < height && height <= MAX_HEIGHT, "
                                         "file render/cbuffer2d.cpp, line [0-9]+");
    CImageRecord empty;
    EXPECT_DEATH(CBuffer2D(empty, false),
                 "Assertion failed: image\\.IsValid\\(\\), file render/cbuffer2d.cpp, line [0-9]+");
    CImageRecord wide;
    ASSERT_NE(wide.Create(1025, 2, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_DEATH(CBuffer2D(wide, false), widthDeath);

    CBuffer2D buffer(4, 3, true);
    EXPECT_DEATH(buffer.PutPixel(0, 3, 0),
                 "Assertion failed: 0<=col && col<Width\\(\\) && 0<=row && "
                 "row<Height\\(\\), file render/cbuffer2d.cpp, line [0-9]+");
}
