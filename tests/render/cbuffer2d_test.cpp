#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include "support/pixels.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <new>
#include <random>
#include <string>

namespace {

bool g_failNothrowArrayNew = false;

PixelSet LinePixels(CPoint2D p, CPoint2D q, int width = 16, int height = 16, bool wrap = false)
{
    CBuffer2D buffer(width, height, wrap);
    buffer.RenderLine(p, q, 0x102030);
    return Painted(buffer);
}

// Picture colours whose channels all differ from pixel to pixel.
PixelType Expected(DWORD x, DWORD y)
{
    return static_cast<PixelType>(((x >> 8) | ((y >> 8) << 2) | 0x40) << 16 |
                                  ((y ^ (x >> 2)) & 0xFF) << 8 | ((x + 3 * y) & 0xFF));
}

// The colour of palette entry i of the 8-bit test pictures.
PixelType Entry(PixelType i)
{
    return (i ^ 0x5A) << 16 | (255 - i) << 8 | i;
}

// A 24-bit picture (blue, green, red bytes, bottom line first), or an 8-bit one whose
// indices are the blue bytes of the 24-bit one.
void MakePicture(CImageRecord& image, DWORD width, DWORD height, WORD bpp = 24)
{
    ASSERT_NE(image.Create(width, height, bpp, IMAGE_FORMAT_BMP), nullptr);
    for (int i = 0; bpp == 8 && i < 256; ++i)
        image.GetPalette()[i] = {static_cast<BYTE>(Entry(i)), static_cast<BYTE>(Entry(i) >> 8),
                                 static_cast<BYTE>(Entry(i) >> 16), 0};
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            for (DWORD c = 0; c < bpp / 8U; ++c)
                image.GetBits()[y * image.GetEffWidth() + bpp / 8U * x + c] =
                    static_cast<BYTE>(Expected(x, y) >> (8 * c));
}

template <typename Action> std::string FailureText(Action action)
{
    g_failNothrowArrayNew = true;
    std::string text = "no exception";
    try {
        action();
    } catch (const std::exception& error) {
        text = error.what();
    }
    g_failNothrowArrayNew = false;
    return text;
}

} // namespace

// The buffer's storage comes from the non-throwing array new, made to fail on demand here.
void* operator new[](std::size_t size, const std::nothrow_t& /*tag*/) noexcept
{
    try {
        return g_failNothrowArrayNew ? nullptr : ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

TEST(Buffer, PixelWritesClipWrapAndUseTopDownStorage)
{
    const CBuffer2D fresh;
    EXPECT_EQ(fresh.Width() * 1000 + fresh.Height(), 256256);
    EXPECT_FALSE(fresh.IsWrapAround());
    EXPECT_EQ(CountPixels(fresh, NO_COLOUR), 256 * 256);
    CBuffer2D buffer(5, 3, false);
    for (const auto& [col, row] : PixelSet{{2, 0}, {-1, 0}, {5, 0}, {0, 3}, {0, -1}, {INT_MIN, 1}})
        buffer.SetPixel(col, row, 1);
    buffer.SetPixelAt(-1, 2);
    buffer.SetPixelAt(15, 2);
    EXPECT_EQ(Painted(buffer), (PixelSet{{2, 0}}));
    buffer.SetPixelAt(14, 3); // the last of the storage: bottom right
    buffer.PutPixel(4, 2, 4); // top right: the fifth of the storage
    EXPECT_EQ(buffer.Index(4, 2), 4);
    EXPECT_EQ(buffer.GetPixels()[4] * 10 + buffer.GetPixel(4, 0), 43);
    // Written and stored column and row in a 7 x 5 buffer, a true modulo (-23 = -4 * 7 + 5).
    const int cases[][4] = {{-1, 0, 6, 0},  {7, 5, 0, 0},    {-7, 0, 0, 0},
                            {0, -1, 0, 4},  {-23, 26, 5, 1}, {INT_MIN, INT_MAX, 5, 2}};
    for (const auto& c : cases) {
        CBuffer2D wrap(7, 5, true);
        wrap.SetPixel(c[0], c[1], 4);
        EXPECT_EQ(Painted(wrap), (PixelSet{{c[2], c[3]}})) << c[0] << "," << c[1];
    }
}

TEST(Buffer, LinesSetExactlyTheRoundedPixelsClippedOrWrapped)
{
    const struct
    {
        CPoint2D p, q;
        PixelSet pixels;
    } drawn[] = {
        {{0, 0}, {3, 1}, Art({"..##", "##.."})},
        {{3, 1}, {0, 0}, Art({"..##", "##.."})},
        {{0, 0}, {2, 1}, Art({"..#", "##."})}, // a tie stays on the start's side
        {{2, 1}, {0, 0}, Art({".##", "#.."})},
        {{0, 0}, {1, 3}, Art({".#", ".#", "#.", "#."})},
        {{0, 0}, {2, 2}, Art({"..#", ".#.", "#.."})},
        {{3, 5}, {3, 5}, Art({"...#"}, 5)},
        {{0.4, 0.4}, {2.5, 2.4}, Art({"...#", ".##.", "#..."})}, // ends (0, 0), (3, 2)
        // Ends 2e9 pixels away: column 0 meets y = 12.5 (a tie, kept at 12), 1..3 lie above it.
        {{-2000000000.6, 5}, {2e9, 20}, Art({".###", "#..."}, 12)},
        {{-2e9, 5}, {-2, 1e9}, {}},
    };
    for (const auto& line : drawn) {
        SCOPED_TRACE(testing::Message() << line.p.Xd() << "," << line.p.Yd());
        EXPECT_EQ(LinePixels(line.p, line.q, 4, 20), line.pixels);
    }
    EXPECT_EQ(LinePixels(CPoint2D(5, -2000000000.6), CPoint2D(20, 2e9), 20, 3),
              (PixelSet{{12, 0}, {13, 1}, {13, 2}}));
    // Lines in every direction, inside, crossing or beyond the edges, against the reference.
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-30, 50);
    for (int n = 0; n < 400; ++n) {
        const CPoint2D p(coordinate(random), coordinate(random) / 2);
        const CPoint2D q(coordinate(random) * (n % 3) / 2, coordinate(random));
        PixelSet exact;
        AddLine(exact, p, q);
        for (const bool wrap : {false, true})
            ASSERT_EQ(LinePixels(p, q, 20, 15, wrap), Fit(exact, 20, 15, wrap))
                << p.X() << "," << p.Y() << " " << q.X() << "," << q.Y() << " wrap " << wrap;
    }
}

TEST(Buffer, CopiesPicturesKeepingOrientationClippingOrWrapping)
{
    CImageRecord image, small, grey;
    MakePicture(image, 640, 480);
    const CBuffer2D buffer(image, true);
    ASSERT_TRUE(buffer.Width() == 640 && buffer.Height() == 480 && buffer.IsWrapAround());
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(buffer.GetPixel(x, y), Expected(x, y)) << x << "," << y;
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
    // (-25, 17) is pixel (-24, 17), i.e. column 16, row 7: wraps over both edges. A palette
    // picture wholly inside reads through its palette.
    MakePicture(grey, 8, 6, 8);
    for (const bool inside : {false, true}) {
        CBuffer2D wrap(20, 10, true);
        const int left = inside ? 2 : 16, bottom = inside ? 3 : 7;
        wrap.CopyImage(inside ? CPoint2D(2, 3) : CPoint2D(-25, 17), inside ? grey : small);
        EXPECT_EQ(Painted(wrap).size(), 48U);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(wrap.GetPixel((left + x) % 20, (bottom + y) % 10),
                          inside ? Entry(Expected(x, y) & 0xFF) : Expected(x, y));
    }
}

TEST(Buffer, AssignmentCopiesSizeFlagAndPixelsReusingStorageOfTheSameCount)
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

TEST(Buffer, EachWayOfGettingStorageReportsItsOwnTextAndAFailedResizeLeavesTheTarget)
{
    CImageRecord image;
    ASSERT_NE(image.Create(4, 4, 24, IMAGE_FORMAT_BMP), nullptr);
    const CBuffer2D source(8, 8, true);
    EXPECT_EQ(FailureText([] { const CBuffer2D buffer; }),
              "Insufficient memory to create default screen buffer");
    EXPECT_EQ(FailureText([] { const CBuffer2D buffer(10, 10, true); }),
              "Insufficient memory to allocate custom screen buffer");
    EXPECT_EQ(FailureText([&image] { const CBuffer2D buffer(image, false); }),
              "Insufficient memory to allocate image buffer");
    EXPECT_EQ(FailureText([&source] { CBuffer2D(source).Clear(0); }),
              "Insufficient memory to copy screen buffer");
    CBuffer2D target(4, 4, false);
    target.Clear(0x654321);
    EXPECT_EQ(FailureText([&] { target = source; }), "Insufficient memory to copy screen buffer");
    EXPECT_TRUE(target.Width() == 4 && target.Height() == 4 && !target.IsWrapAround());
    EXPECT_EQ(CountPixels(target, 0x654321), 16);
    CBuffer2D same(16, 4, false); // equal pixel counts need no memory
    EXPECT_EQ(FailureText([&] { same = source; }), "no exception");
    EXPECT_TRUE(same.Width() == 8 && same.IsWrapAround());
}

TEST(BufferDeathTest, SizeIndexAndImagePreconditions)
{
    const auto death = [](const std::string& condition) {
        return "Assertion failed: " + condition + ", file render/cbuffer2d\\.cpp, line [0-9]+";
    };
    EXPECT_DEATH(CBuffer2D(1025, 10, false), death("0 < width && width <= MAX_WIDTH"));
    EXPECT_DEATH(CBuffer2D(0, 10, false), death("0 < width && width <= MAX_WIDTH"));
    EXPECT_DEATH(CBuffer2D(10, 0, true), death("0 < height && height <= MAX_HEIGHT"));
    EXPECT_DEATH(CBuffer2D(10, 769, true), death("0 < height && height <= MAX_HEIGHT"));
    CBuffer2D(MAX_WIDTH, MAX_HEIGHT, false).PutPixel(MAX_WIDTH - 1, MAX_HEIGHT - 1, 0);
    CImageRecord empty;
    EXPECT_DEATH(CBuffer2D(empty, false), death("image\\.IsValid\\(\\)"));
    const std::string index = death("0<=col && col<Width\\(\\) && 0<=row && row<Height\\(\\)");
    for (const auto& [col, row] : PixelSet{{0, 3}, {4, 0}, {-1, 0}, {0, -1}})
        EXPECT_DEATH(CBuffer2D(4, 3, true).PutPixel(col, row, 0), index);
    EXPECT_DEATH(CBuffer2D(4, 3, true).Index(0, 3), index);
}
