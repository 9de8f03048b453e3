#include "support/pixels.h"

#include <new>
#include <random>

static bool g_failNothrowArrayNew = false;
static PixelSet LinePixels(CPoint2D p, CPoint2D q, int width, int height, bool wrap = false)
{
    CBuffer2D buffer(width, height, wrap);
    buffer.RenderLine(p, q, 0x102030);
    return PixelsNot(buffer);
}
static std::string FailureText(const std::function<void()>& action)
{
    g_failNothrowArrayNew = true;
    try {
        action();
    } catch (const std::exception& error) {
        return g_failNothrowArrayNew = false, error.what();
    }
    return g_failNothrowArrayNew = false, "no exception";
}
// The buffer's storage comes from the non-throwing array new, made to fail on demand here.
void* operator new[](std::size_t size, const std::nothrow_t& /*tag*/) noexcept
{
    try {
        return g_failNothrowArrayNew ? nullptr : ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}
TEST(Buffer, PixelsAndLinesClipWrapAndUseTopDownStorage)
{
    const CBuffer2D fresh;
    EXPECT_EQ(fresh.Width() * 1000 + fresh.Height() + fresh.IsWrapAround(), 256256);
    EXPECT_TRUE(PixelsNot(fresh).empty());
    CBuffer2D buffer(5, 3, false);
    for (const auto& [col, row] : PixelSet{{2, 0}, {-1, 0}, {5, 0}, {0, 3}, {0, -1}, {INT_MIN, 1}})
        buffer.SetPixel(col, row, 1);
    buffer.SetPixelAt(-1, 2), buffer.SetPixelAt(15, 2);
    EXPECT_EQ(PixelsNot(buffer), (PixelSet{{2, 0}}));
    // The last of the storage is the bottom right, the fifth the top right.
    buffer.SetPixelAt(14, 3), buffer.PutPixel(4, 2, 4);
    EXPECT_EQ(buffer.Index(4, 2) * 100 + buffer.GetPixels()[4] * 10 + buffer.GetPixel(4, 0), 443);
    // Written, then stored columns and rows in a 7 x 5 buffer, a true modulo (-23 = -4 * 7 + 5).
    CBuffer2D wrap(7, 5, true);
    for (const auto& [col, row] : PixelSet{{-1, -1}, {7, 5}, {-23, 26}, {INT_MIN, INT_MAX}})
        wrap.SetPixel(col, row, 4);
    EXPECT_EQ(PixelsNot(wrap), (PixelSet{{6, 4}, {0, 0}, {5, 1}, {5, 2}}));
    // Ends 2e9 pixels away: column 0 meets y = 12.5 (a tie, kept at 12), 1..3 lie above it.
    EXPECT_EQ(LinePixels(CPoint2D(-2000000000.6, 5), CPoint2D(2e9, 20), 4, 20),
              Art({".###", "#..."}, 12));
    EXPECT_TRUE(LinePixels(CPoint2D(-2e9, 5), CPoint2D(-2, 1e9), 4, 20).empty());
    EXPECT_EQ(LinePixels(CPoint2D(5, -2000000000.6), CPoint2D(20, 2e9), 20, 3),
              (PixelSet{{12, 0}, {13, 1}, {13, 2}}));
    // Lines in every direction, inside, crossing or beyond the edges, against the reference.
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(-30, 50);
    for (int n = 0; n < 400; ++n) {
        const CPoint2D p(coordinate(random), coordinate(random) / 2.0);
        const CPoint2D q(coordinate(random) * (n % 3) / 2.0, coordinate(random));
        PixelSet exact;
        AddLine(exact, p, q);
        for (const bool wrap : {false, true})
            ASSERT_EQ(LinePixels(p, q, 20, 15, wrap), Fit(exact, 20, 15, wrap))
                << p.X() << "," << p.Y() << " " << q.X() << "," << q.Y() << " wrap " << wrap;
    }
}
TEST(Buffer, CopiesPicturesUprightAndBuffersWholeAndEachAllocationFailureHasItsText)
{
    CImageRecord image, small, palette;
    MakePicture(image, 640, 480, Pattern);
    const CBuffer2D buffer(image, true);
    ASSERT_EQ(buffer.Width() * 1000 + buffer.Height() + buffer.IsWrapAround(), 640481);
    EXPECT_TRUE(Unlike(buffer, Pattern).empty());
    // Placed by rounded corner, clipped or wrapped ((-25, 17) to column 16, row 7).
    MakePicture(small, 8, 6, Pattern);
    ASSERT_NE(palette.Create(8, 6, 8, IMAGE_FORMAT_BMP), nullptr);
    for (int i = 0; i < 256; ++i)
        palette.GetPalette()[i] = {BYTE(i), BYTE(255 - i), BYTE(i ^ 0x5A), 0};
    for (int i = 0; i < 6 * 8; ++i)
        palette.GetBits()[i / 8 * palette.GetEffWidth() + i % 8] = BYTE(Pattern(i % 8, i / 8));
    const auto entry = [](int x, int y) {
        const PixelType i = Pattern(x, y) & 0xFF;
        return (i ^ 0x5A) << 16 | (255 - i) << 8 | i;
    };
    const std::tuple<CPoint2D, bool, int, int, int, int, const CImageRecord*> cases[] = {
        {{12.6, 1.0}, false, 13, 1, 7, 6, &small}, {{3.0, 4.5}, false, 3, 5, 8, 5, &small},
        {{-1e6, 3}, false, 0, 0, 0, 0, &small},    {{3, 1e6}, false, 0, 0, 0, 0, &small},
        {{-25, 17}, true, 16, 7, 8, 6, &small},    {{2, 3}, true, 2, 3, 8, 6, &palette}};
    for (const auto& [at, wrap, left, bottom, width, height, picture] : cases) {
        CBuffer2D target(20, 10, wrap);
        target.CopyImage(at, *picture);
        Picture expected;
        for (int i = 0; i < width * height; ++i)
            expected[{(left + i % width) % 20, (bottom + i / width) % 10}] =
                (picture == &palette ? entry : Pattern)(i % width, i / width);
        EXPECT_EQ(Unlike(target, [](int, int) { return NO_COLOUR; }), expected) << at.Xd();
    }
    const auto same = [](const CBuffer2D& a, const CBuffer2D& b) {
        return a.Width() == b.Width() && a.Height() == b.Height() &&
               a.IsWrapAround() == b.IsWrapAround() &&
               std::memcmp(a.GetPixels(), b.GetPixels(), sizeof(PixelType) * a.Size()) == 0;
    };
    CBuffer2D source(7, 3, true), target(10, 5, false), tall(4, 6, true), wide(6, 4, false);
    source.RenderLine(CPoint2D(0, 0), CPoint2D(6, 2), 0x00AA00);
    EXPECT_TRUE(same(target = source, source) && same(CBuffer2D(source), source));
    tall.Clear(0x445566), tall.SetPixel(3, 5, 1);
    const PixelType* storage = wide.GetPixels();
    wide = tall; // the same pixel count: the storage is kept
    CBuffer2D& alias = wide;
    wide = alias;
    EXPECT_TRUE(wide.GetPixels() == storage && same(wide, tall));
    EXPECT_EQ(FailureText([&] { wide = source; }), "Insufficient memory to copy screen buffer");
    EXPECT_TRUE(wide.GetPixels() == storage && same(wide, tall)); // left whole
    CImageRecord square;
    MakePicture(square, 4, 4, Pattern);
    const std::pair<std::function<void()>, const char*> failures[] = {
        {[&] { tall = wide; }, "no exception"},
        {[] { const CBuffer2D buffer; }, "Insufficient memory to create default screen buffer"},
        {[] { const CBuffer2D b(10, 10, true); },
         "Insufficient memory to allocate custom screen buffer"},
        {[&square] { const CBuffer2D b(square, false); },
         "Insufficient memory to allocate image buffer"},
        {[&source] { CBuffer2D(source).Clear(0); }, "Insufficient memory to copy screen buffer"}};
    for (const auto& [action, text] : failures)
        EXPECT_EQ(FailureText(action), text);
}
TEST(BufferDeathTest, SizeIndexAndImagePreconditions)
{
    const std::string file = "render/cbuffer2d\\.cpp";
    for (const int size : {0, 1025})
        EXPECT_DEATH(CBuffer2D(size, 10, false), Death("0 < width && width <= MAX_WIDTH", file));
    EXPECT_DEATH(CBuffer2D(10, 769, true), Death("0 < height && height <= MAX_HEIGHT", file));
    CBuffer2D(MAX_WIDTH, MAX_HEIGHT, false).PutPixel(MAX_WIDTH - 1, MAX_HEIGHT - 1, 0);
    CImageRecord empty;
    EXPECT_DEATH(CBuffer2D(empty, false), Death("image\\.IsValid\\(\\)", file));
    const std::string index =
        Death("0<=col && col<Width\\(\\) && 0<=row && row<Height\\(\\)", file);
    for (const auto& [col, row] : PixelSet{{0, 3}, {4, 0}, {-1, 0}, {0, -1}})
        EXPECT_DEATH(CBuffer2D(4, 3, true).PutPixel(col, row, 0), index);
}
