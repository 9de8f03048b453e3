#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

namespace {

PixelSet LinePixels(CPoint2D p, CPoint2D q, int width = 16, int height = 16, bool wrap = false)
{
    CBuffer2D buffer(width, height, wrap);
    buffer.RenderLine(p, q, 0x102030);
    return Painted(buffer);
}

// Test picture colour: all 640 x 480 pixels differ, channels vary independently.
PixelType Expected(DWORD x, DWORD y)
{
    return static_cast<PixelType>(((x >> 8) | ((y >> 8) << 2) | 0x40) << 16 |
                                  ((y ^ (x >> 2)) & 0xFF) << 8 | ((x + 3 * y) & 0xFF));
}

// A 24-bit picture (blue, green, red bytes) with rows stored bottom line first.
void MakePicture(CImageRecord& image, DWORD width, DWORD height)
{
    ASSERT_NE(image.Create(width, height, 24, IMAGE_FORMAT_BMP), nullptr);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            for (DWORD c = 0; c < 3; ++c)
                image.GetBits()[y * image.GetEffWidth() + 3 * x + c] =
                    static_cast<BYTE>(Expected(x, y) >> (8 * c));
}

} // namespace

TEST(Buffer, SetPixelClipsOrWraps)
{
    CBuffer2D buffer(5, 3, false);
    for (const auto& [col, row] : PixelSet{{2, 0}, {-1, 0}, {5, 0}, {0, 3}, {INT_MIN, INT_MAX}})
        buffer.SetPixel(col, row, 1);
    EXPECT_EQ(Painted(buffer), (PixelSet{{2, 0}}));
    // Written and stored column and row in a 7 x 5 buffer, a true modulo (-23 = -4 * 7 + 5).
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
        CPoint2D p, q;
        PixelSet pixels;
        int width = 16, height = 16;
        bool wrap = false, oneWay = false;
    } lines[] = {
        {{0, 0}, {3, 1}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {{0, 0}, {2, 2}, {{0, 0}, {1, 1}, {2, 2}}},
        {{0, 0}, {1, 3}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
        {{0, 3}, {3, 2}, {{0, 3}, {1, 3}, {2, 2}, {3, 2}}},
        {{5, 5}, {5, 5}, {{5, 5}}},
        {{0.4, 0.4}, {2.5, 2.4}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}}, // ends (0, 0), (3, 2)
        {{-5.6, 2}, {4, 2}, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}, 10, 10}, // from pixel -5
        {{8, 8}, {11, 11}, {{8, 8}, {9, 9}}, 10, 10},
        {{8, 8}, {11, 11}, {{8, 8}, {9, 9}, {0, 0}, {1, 1}}, 10, 10, true},
        {{-2e9, 5}, {-2, 1e9}, {}, 10, 10},
        // Ends 2e9 pixels away: column 0 meets y = 12.5 (a tie, kept at 12), 1..3 lie above it.
        {{-2000000000.6, 5}, {2e9, 20}, {{0, 12}, {1, 13}, {2, 13}, {3, 13}}, 4, 20, false, true},
        {{5, -2000000000.6}, {20, 2e9}, {{12, 0}, {13, 1}, {13, 2}}, 20, 3, false, true}};
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::Message() << line.p.Xd() << "," << line.p.Yd());
        EXPECT_EQ(LinePixels(line.p, line.q, line.width, line.height, line.wrap), line.pixels);
        if (!line.oneWay) {
            EXPECT_EQ(LinePixels(line.q, line.p, line.width, line.height, line.wrap), line.pixels);
        }
    }
    EXPECT_EQ(LinePixels(CPoint2D(-5.6, 2), CPoint2D(4, 2), 10, 10, true).size(), 10U);
    // Random lines clipped to 40 x 30 match the same lines in a large buffer (-13 is pixel -12).
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-70, 110);
    for (int n = 0; n < 20; ++n) {
        const CPoint2D p(coordinate(random), coordinate(random));
        const CPoint2D q(coordinate(random), coordinate(random));
        CBuffer2D large(MAX_WIDTH, MAX_HEIGHT, false);
        large.RenderLine(CPoint2D(p.X() + 300, p.Y() + 300), CPoint2D(q.X() + 300, q.Y() + 300), 1);
        PixelSet window;
        for (const auto& [col, row] : Painted(large))
            if (col >= 300 && col < 340 && row >= 300 && row < 330)
                window.insert({col - 300, row - 300});
        ASSERT_EQ(LinePixels(p, q, 40, 30), window) << p.Xd() << "," << p.Yd() << " " << q.Xd();
    }
}

TEST(Buffer, CopiesPicturesKeepingOrientationClippingOrWrapping)
{
    CImageRecord image, small;
    MakePicture(image, 640, 480);
    const CBuffer2D buffer(image, false);
    ASSERT_TRUE(buffer.Width() == 640 && buffer.Height() == 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(buffer.GetPixel(x, y), Expected(x, y)) << x << "," << y;
    EXPECT_EQ(buffer.GetPixels()[479 * 640], Expected(0, 0)); // first of the last storage line
    // Past the right edge: picture columns 0..4 stay, 5..7 are gone.
    MakePicture(small, 8, 6);
    CBuffer2D clipping(20, 10, false);
    clipping.CopyImage(CPoint2D(15.4, 1.6), small);
    EXPECT_EQ(Painted(clipping).size(), 5U * 6U);
    EXPECT_EQ(clipping.GetPixel(15, 2), Expected(0, 0));
    EXPECT_EQ(clipping.GetPixel(19, 7), Expected(4, 5));
    clipping.Clear(NO_COLOUR);
    clipping.CopyImage(CPoint2D(-1e6, 3), small);
    clipping.CopyImage(CPoint2D(3, 1e6), small);
    EXPECT_TRUE(Painted(clipping).empty());
    // (-25, 17) is pixel (-24, 17), i.e. column 16, row 7: wraps over both edges.
    CBuffer2D wrap(20, 10, true);
    wrap.CopyImage(CPoint2D(-25, 17), small);
    EXPECT_EQ(Painted(wrap).size(), 48U);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(wrap.GetPixel((16 + x) % 20, (7 + y) % 10), Expected(x, y));
}

TEST(Buffer, AssignmentCopiesSizeFlagAndPixels)
{
    const auto same = [](const CBuffer2D& a, const CBuffer2D& b) {
        return a.Width() == b.Width() && a.Height() == b.Height() &&
               a.IsWrapAround() == b.IsWrapAround() &&
               std::memcmp(a.GetPixels(), b.GetPixels(), sizeof(PixelType) * a.Size()) == 0;
    };
    CBuffer2D source(7, 3, true);
    source.RenderLine(CPoint2D(0, 0), CPoint2D(6, 2), 0x00AA00);
    CBuffer2D target(10, 5, false);
    target = source;
    EXPECT_TRUE(same(target, source) && same(CBuffer2D(source), source));
    // Equal pixel count (24 each) keeps the storage, and so does self-assignment.
    CBuffer2D tall(4, 6, true);
    tall.Clear(0x445566);
    tall.SetPixel(3, 5, 1);
    CBuffer2D wide(6, 4, false);
    const PixelType* storage = wide.GetPixels();
    wide = tall;
    EXPECT_TRUE(wide.GetPixels() == storage && same(wide, tall));
    CBuffer2D& alias = wide;
    wide = alias;
    EXPECT_TRUE(wide.GetPixels() == storage && same(wide, tall));
}

TEST(BufferDeathTest, SizeIndexAndImagePreconditions)
{
    const auto death = [](const std::string& condition) {
        return "Assertion failed: " + condition + ", file render/cbuffer2d\\.cpp, line ";
    };
    EXPECT_DEATH(CBuffer2D(1025, 10, false), death("0 < width && width <= MAX_WIDTH"));
    EXPECT_DEATH(CBuffer2D(10, 0, true), death("0 < height && height <= MAX_HEIGHT"));
    CImageRecord empty, wide;
    EXPECT_DEATH(CBuffer2D(empty, false), death("image\\.IsValid\\(\\)"));
    ASSERT_NE(wide.Create(1025, 2, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_DEATH(CBuffer2D(wide, false), death("0 < width && width <= MAX_WIDTH"));
    EXPECT_DEATH(CBuffer2D(4, 3, true).PutPixel(0, 3, 0),
                 death("0<=col && col<Width\\(\\) && 0<=row && row<Height\\(\\)"));
}
