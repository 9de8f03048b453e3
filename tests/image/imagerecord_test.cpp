#include "image/cimagememfile.h"
#include "image/cimagerecord.h"
#include "support/jpegfixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char* const UNKNOWN_FORMAT = "Decode: Unknown or wrong format";
const char* const TOO_LARGE = "Create: a 65000 x 65000 picture is larger than the 256 MiB limit";

bool Same(const RGBQUAD& a, const RGBQUAD& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

ByteVector Jpeg(int width, int height, JpegKind kind = JpegKind::COLOUR, bool progressive = false,
                int restartRows = 0)
{
    JpegFixtureOptions options;
    options.width = width;
    options.height = height;
    options.kind = kind;
    options.progressive = progressive;
    options.restartRows = restartRows;
    return MakeJpeg(options);
}

std::string Written(const ByteVector& bytes)
{
    static const FixtureDirectory dir;
    EXPECT_TRUE(WriteBytes(dir.File("picture"), bytes));
    return dir.File("picture");
}

/// Compares every pixel, y counted from the bottom line, with libjpeg's decode (top row first).
void ExpectSameAsLibjpeg(const CImageRecord& image, const ByteVector& data)
{
    const ReferenceDecode ref = DecodeWithLibjpeg(data);
    ASSERT_TRUE(ref.ok);
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    ASSERT_EQ(image.GetWidth(), static_cast<DWORD>(ref.width));
    ASSERT_EQ(image.GetHeight(), static_cast<DWORD>(ref.height));
    int mismatches = 0;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const BYTE* s =
                ref.samples.data() +
                (static_cast<std::size_t>(ref.height - 1 - y) * ref.width + x) * ref.components;
            // Adobe CMYK is stored inverted: the colour left is value times black over 255.
            const auto ink = [&](int c) { return static_cast<BYTE>(s[c] * s[3] / 255); };
            const RGBQUAD want = ref.components == 1   ? RGBQUAD{s[0], s[0], s[0], 0}
                                 : ref.components == 4 ? RGBQUAD{ink(2), ink(1), ink(0), 0}
                                                       : RGBQUAD{s[2], s[1], s[0], 0};
            if (!Same(image.GetPixelRgb(x, y), want) && ++mismatches <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace

TEST(ImageRecordJpeg, PicturesLoadExactlyAsLibjpegDecodesThem)
{
    const ByteVector colour = Jpeg(640, 480);
    const ByteVector restarts = Jpeg(64, 40, JpegKind::COLOUR, false, 2);
    ASSERT_NE(std::string(restarts.begin(), restarts.end()).find("\xFF\xD0"), std::string::npos);
    struct Case
    {
        const char* name;
        ByteVector data;
        DWORD format;
        WORD bpp;
        DWORD stride;
    };
    const Case cases[] = {
        {"colour", colour, IMAGE_FORMAT_UNKNOWN, 24, 1920},
        {"width 1", Jpeg(1, 9), IMAGE_FORMAT_JPG, 24, 4},
        {"width 3", Jpeg(3, 9), IMAGE_FORMAT_JPG, 24, 12},
        {"width 5", Jpeg(5, 9), IMAGE_FORMAT_JPG, 24, 16},
        {"grey", Jpeg(61, 20, JpegKind::GREY), IMAGE_FORMAT_UNKNOWN, 8, 64},
        {"cmyk", Jpeg(45, 30, JpegKind::CMYK_ADOBE), IMAGE_FORMAT_UNKNOWN, 24, 136},
        {"progressive", Jpeg(640, 480, JpegKind::COLOUR, true), IMAGE_FORMAT_UNKNOWN, 24, 1920},
        {"restarts", restarts, IMAGE_FORMAT_UNKNOWN, 24, 192},
        // Cut past the first 4096-byte read: the end comes on a later refill.
        {"truncated", ByteVector(colour.begin(), colour.begin() + colour.size() * 2 / 3),
         IMAGE_FORMAT_UNKNOWN, 24, 1920},
        // The typed attempt fails, detection then finds the JPEG.
        {"typed as BMP", Jpeg(20, 10), IMAGE_FORMAT_BMP, 24, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CImageRecord image(Written(c.data).c_str(), c.format);
        ExpectSameAsLibjpeg(image, c.data);
        EXPECT_EQ(image.GetBpp(), c.bpp);
        EXPECT_EQ(image.GetEffWidth(), c.stride);
        EXPECT_EQ(image.GetType(), static_cast<DWORD>(IMAGE_FORMAT_JPG));
        EXPECT_STREQ(image.GetLastError(), "");
        // Greyscale reads through a 256-entry grey palette, which the pixel compare covers.
        EXPECT_EQ(image.GetNumColors(), c.bpp == 8 ? 256U : 0U);
        for (DWORD i = 0; c.bpp == 24 && i < c.stride * image.GetHeight(); ++i) {
            ASSERT_TRUE(i % c.stride < 3 * image.GetWidth() || image.GetBits()[i] == 0) << i;
        }
        // Outside the picture: the background colour, all zeros.
        EXPECT_TRUE(Same(image.GetPixelRgb(image.GetWidth(), 0), RGBQUAD{0, 0, 0, 0}));
    }
}

TEST(ImageRecordJpeg, ForeignBrokenAndHugeDataIsRefusedWithItsMessage)
{
    const ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    const ByteVector bmp = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0};
    struct Case
    {
        const char* name;
        ByteVector data;
        DWORD format;
        const char* message;
    };
    const Case cases[] = {
        {"empty", {}, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {"empty as JPEG", {}, IMAGE_FORMAT_JPG, "Empty input file"},
        {"random", RandomBytes(5000, 3), IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {"png", png, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {"png as JPEG", png, IMAGE_FORMAT_JPG, "Not a JPEG file: starts with 0x89 0x50"},
        {"bmp", bmp, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {"bmp as BMP", bmp, IMAGE_FORMAT_BMP, "BMP pictures cannot be read by this program"},
        {"start marker only", {0xFF, 0xD8}, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {"65000 x 65000", MakeJpegDeclaringSize(65000, 65000), IMAGE_FORMAT_JPG, TOO_LARGE},
        {"65000 x 65000 progressive", MakeJpegDeclaringSize(65000, 65000, true), IMAGE_FORMAT_JPG,
         TOO_LARGE},
        {"65000 x 65000 detected", MakeJpegDeclaringSize(65000, 65000), IMAGE_FORMAT_UNKNOWN,
         UNKNOWN_FORMAT},
        // The bitmap would fit, but libjpeg's coefficient buffer (about 275 MiB) would not.
        {"progressive 12000 x 12000", MakeJpegDeclaringSize(12000, 12000, true, JpegKind::GREY),
         IMAGE_FORMAT_JPG,
         "JPEG: decoding the progressive 12000 x 12000 picture needs more than the 256 MiB limit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A failed load also drops the picture held before.
        CImageRecord image;
        ASSERT_NE(image.Create(4, 4, 24, IMAGE_FORMAT_BMP), nullptr);
        EXPECT_FALSE(image.LoadFile(Written(c.data).c_str(), c.format));
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(image.GetWidth(), 0U);
        EXPECT_STREQ(image.GetLastError(), c.message);
    }
    // Not progressive, the same size decodes a line at a time within the limit.
    const CImageRecord big(
        Written(MakeJpegDeclaringSize(12000, 12000, false, JpegKind::GREY)).c_str(),
        IMAGE_FORMAT_JPG);
    EXPECT_EQ(big.GetWidth(), 12000U) << big.GetLastError();

    // A missing file is no decoding failure: no picture, and no message.
    const CImageRecord missing((Written({}) + ".missing").c_str(), IMAGE_FORMAT_JPG);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_EQ(missing.GetWidth(), 0U);
    EXPECT_STREQ(missing.GetLastError(), "");
}

TEST(ImageRecordJpeg, ResolutionFollowsTheJfifDensity)
{
    // Unit, densities, dots per inch, pixels per metre (dots per inch / 0.0254, rounded).
    const int cases[][7] = {{1, 72, 72, 72, 72, 2835, 2835},
                            {1, 300, 150, 300, 150, 11811, 5906},
                            {2, 28, 40, 71, 101, 2795, 3976}, // dots per cm: whole dots per inch
                            {0, 1, 1, 72, 72, 2835, 2835}};   // aspect ratio only: the default
    for (const auto& c : cases) {
        SCOPED_TRACE(c[1]);
        JpegFixtureOptions options;
        options.width = 8;
        options.height = 8;
        options.densityUnit = c[0];
        options.xDensity = c[1];
        options.yDensity = c[2];
        const CImageRecord image(Written(MakeJpeg(options)).c_str(), IMAGE_FORMAT_UNKNOWN);
        EXPECT_EQ(image.GetXDPI(), c[3]);
        EXPECT_EQ(image.GetYDPI(), c[4]);
        EXPECT_EQ(image.GetHead().biXPelsPerMeter, c[5]);
        EXPECT_EQ(image.GetHead().biYPelsPerMeter, c[6]);
    }
    // Setting the resolution updates the header copy at the start of the block too.
    CImageRecord image;
    ASSERT_NE(image.Create(2, 2, 24, IMAGE_FORMAT_BMP), nullptr);
    image.SetYDPI(96);
    BITMAPINFOHEADER copy;
    std::memcpy(&copy, image.GetDib(), sizeof(copy));
    EXPECT_EQ(copy.biYPelsPerMeter, 3780);
}

TEST(ImageRecord, CreateRefusesEmptySizesAndTransferHandsTheBlockOver)
{
    CImageRecord source;
    EXPECT_EQ(source.Create(0, 10, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_STREQ(source.GetLastError(), "Create: the picture has no pixels (width or height 0)");
    EXPECT_EQ(source.Create(0xFFFFFFFFU, 1, 1, IMAGE_FORMAT_BMP), nullptr);
    void* block = source.Create(3, 2, 24, IMAGE_FORMAT_JPG);
    ASSERT_NE(block, nullptr);

    CImageRecord target;
    ASSERT_NE(target.Create(1, 1, 8, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_TRUE(target.Transfer(source));
    EXPECT_EQ(target.GetDib(), block);
    EXPECT_EQ(target.GetType(), static_cast<DWORD>(IMAGE_FORMAT_JPG));
    EXPECT_FALSE(source.IsValid());
    EXPECT_TRUE(target.Transfer(target)); // must not free its own block
    EXPECT_EQ(target.GetDib(), block);
    CImageRecord moved(std::move(target));
    CImageRecord assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.GetDib(), block);
}

TEST(ImageRecordJpeg, DecodingFromMemoryStartsEachAttemptWhereTheDataBegins)
{
    const ByteVector jpeg = Jpeg(33, 17);
    ByteVector prefixed = {'j', 'u', 'n', 'k', '!'};
    prefixed.insert(prefixed.end(), jpeg.begin(), jpeg.end());
    CImageMemFile memory(prefixed.data(), prefixed.size());
    ASSERT_TRUE(memory.Seek(5, SEEK_SET));
    CImageRecord image;
    ASSERT_TRUE(image.Decode(memory, IMAGE_FORMAT_UNKNOWN)) << image.GetLastError();
    ExpectSameAsLibjpeg(image, jpeg);

    CImageMemFile again(jpeg.data(), jpeg.size());
    EXPECT_FALSE(image.Decode(again, CMAX_IMAGE_FORMATS));
    EXPECT_STREQ(image.GetLastError(), UNKNOWN_FORMAT);
    ASSERT_TRUE(again.Seek(0, SEEK_SET));
    image.SetEscape(1);
    EXPECT_FALSE(image.Decode(again, IMAGE_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), "JPEG decoding was stopped");

    char buffer[8];
    ASSERT_TRUE(again.Seek(-3, SEEK_END));
    EXPECT_EQ(again.Read(buffer, 2, 4), 1U); // whole items only
    EXPECT_TRUE(again.Eof());
    EXPECT_FALSE(again.Seek(-1, SEEK_SET));
    EXPECT_EQ(again.Tell(), static_cast<long>(jpeg.size()) - 1);
}
