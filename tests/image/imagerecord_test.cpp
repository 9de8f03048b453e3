#include "image/cimageiofile.h"
#include "image/cimagememfile.h"
#include "image/cimagerecord.h"
#include "support/jpegfixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

bool SameColour(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

/// The colour the reference decode gives for pixel (x, y), y counted from the bottom line.
RGBQUAD ReferenceColour(const ReferenceDecode& ref, int x, int y)
{
    const unsigned char* s =
        ref.samples.data() +
        (static_cast<std::size_t>(ref.height - 1 - y) * ref.width + x) * ref.components;
    switch (ref.components) {
    case 1:
        return RGBQUAD{s[0], s[0], s[0], 0};
    case 4: {
        // Inverted CMYK: the ink amounts are 255 minus the stored values, so the colour left
        // is stored value times stored black over 255.
        const auto mix = [&](int channel) { return static_cast<BYTE>(s[channel] * s[3] / 255); };
        return RGBQUAD{mix(2), mix(1), mix(0), 0};
    }
    default:
        return RGBQUAD{s[2], s[1], s[0], 0};
    }
}

/// Compares every pixel of a loaded record with libjpeg's own decode of the same bytes.
void ExpectSameAsLibjpeg(const CImageRecord& image, const ByteVector& data)
{
    const ReferenceDecode ref = DecodeWithLibjpeg(data);
    ASSERT_TRUE(ref.ok) << ref.message;
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    ASSERT_EQ(image.GetWidth(), static_cast<DWORD>(ref.width));
    ASSERT_EQ(image.GetHeight(), static_cast<DWORD>(ref.height));
    int mismatches = 0;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            if (!SameColour(image.GetPixelRgb(x, y), ReferenceColour(ref, x, y)) &&
                ++mismatches <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

/// Writes bytes into the directory and loads them with the given format code.
void LoadBytes(CImageRecord& image, const FixtureDirectory& dir, const std::string& name,
               const ByteVector& bytes, DWORD format)
{
    ASSERT_TRUE(WriteBytes(dir.File(name), bytes));
    image.LoadFile(dir.File(name).c_str(), format);
}

} // namespace

TEST(ImageRecord, FreshRecordHasItsDefaultsAndNoPicture)
{
    const CImageRecord image(IMAGE_FORMAT_GIF);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 0U);
    EXPECT_EQ(image.GetHeight(), 0U);
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetType(), static_cast<DWORD>(IMAGE_FORMAT_GIF));
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_EQ(image.GetInfo().nQuality, 75);
    EXPECT_EQ(image.GetInfo().nAlphaMax, 255);
    EXPECT_EQ(image.GetInfo().nBkgndIndex, -1);
    EXPECT_EQ(image.GetInfo().bEnabled, 1);
    EXPECT_EQ(image.GetHead().biSize, 40U);
    // 72 dots per inch are 2834.6 pixels per metre.
    EXPECT_EQ(image.GetXDPI(), 72);
    EXPECT_EQ(image.GetYDPI(), 72);
    EXPECT_EQ(image.GetHead().biXPelsPerMeter, 2835);
    EXPECT_EQ(image.GetHead().biYPelsPerMeter, 2835);
    EXPECT_TRUE(SameColour(image.GetPixelRgb(0, 0), RGBQUAD{0, 0, 0, 0}));
}

TEST(ImageRecord, CreateLaysOutPaddedRowsAndPalettes)
{
    CImageRecord image;
    // 24 bits: widths 1, 3 and 5 give strides 4, 12 and 16.
    for (const auto& [width, stride] : {std::pair{1U, 4U}, {3U, 12U}, {5U, 16U}, {640U, 1920U}}) {
        ASSERT_NE(image.Create(width, 7, 24, IMAGE_FORMAT_BMP), nullptr);
        EXPECT_EQ(image.GetEffWidth(), stride);
        EXPECT_EQ(image.GetHead().biSizeImage, stride * 7);
        EXPECT_EQ(image.GetNumColors(), 0U);
        EXPECT_EQ(image.GetPalette(), nullptr);
        // The rows follow the 40-byte header directly, all zero.
        EXPECT_EQ(image.GetBits(), static_cast<BYTE*>(image.GetDib()) + 40);
        for (DWORD i = 0; i < stride * 7; ++i) {
            ASSERT_EQ(image.GetBits()[i], 0) << "byte " << i;
        }
    }
    // Bit depths round up to 1, 4, 8 or 24, with 2, 16, 256 or no palette entries.
    struct Depth
    {
        DWORD asked, bpp, colours, stride;
    };
    for (const Depth& d :
         {Depth{0, 1, 2, 4}, Depth{1, 1, 2, 4}, Depth{2, 4, 16, 8}, Depth{4, 4, 16, 8},
          Depth{5, 8, 256, 12}, Depth{8, 8, 256, 12}, Depth{9, 24, 0, 36}, Depth{32, 24, 0, 36}}) {
        ASSERT_NE(image.Create(12, 2, d.asked, IMAGE_FORMAT_BMP), nullptr);
        EXPECT_EQ(image.GetBpp(), d.bpp) << d.asked;
        EXPECT_EQ(image.GetNumColors(), d.colours) << d.asked;
        EXPECT_EQ(image.GetEffWidth(), d.stride) << d.asked;
        EXPECT_EQ(image.GetBits(), static_cast<BYTE*>(image.GetDib()) + 40 + 4 * d.colours);
        // The block starts with a copy of the header.
        BITMAPINFOHEADER copy;
        std::memcpy(&copy, image.GetDib(), sizeof(copy));
        EXPECT_EQ(copy.biBitCount, d.bpp);
        EXPECT_EQ(copy.biWidth, 12);
        EXPECT_EQ(copy.biHeight, 2);
        EXPECT_EQ(copy.biClrUsed, d.colours);
    }
}

TEST(ImageRecord, PixelReadsUseBottomUpRowsAndTheBackgroundOutside)
{
    CImageRecord image;
    ASSERT_NE(image.Create(5, 3, 24, IMAGE_FORMAT_BMP), nullptr);
    BYTE* pixel = image.GetBits() + 2 * image.GetEffWidth() + 3 * 4;
    pixel[0] = 10; // blue
    pixel[1] = 20; // green
    pixel[2] = 30; // red
    EXPECT_TRUE(SameColour(image.GetPixelRgb(4, 2), RGBQUAD{10, 20, 30, 0}));
    EXPECT_TRUE(SameColour(image.GetPixelRgb(3, 2), RGBQUAD{0, 0, 0, 0}));

    image.SetBkgndColor(RGBQUAD{1, 2, 3, 0});
    for (const auto& [x, y] : {std::pair{-1L, 0L}, {5L, 0L}, {0L, -1L}, {0L, 3L}}) {
        EXPECT_TRUE(SameColour(image.GetPixelRgb(x, y), RGBQUAD{1, 2, 3, 0})) << x << "," << y;
    }

    // Palette pictures: indices look up the palette; packed 4-bit indices, high nibble first.
    ASSERT_NE(image.Create(3, 2, 4, IMAGE_FORMAT_BMP), nullptr);
    image.GetPalette()[5] = RGBQUAD{50, 60, 70, 0};
    image.GetPalette()[9] = RGBQUAD{90, 91, 92, 0};
    image.GetBits()[image.GetEffWidth()] = 0x59; // row 1: pixels 0 and 1
    EXPECT_TRUE(SameColour(image.GetPixelRgb(0, 1), RGBQUAD{50, 60, 70, 0}));
    EXPECT_TRUE(SameColour(image.GetPixelRgb(1, 1), RGBQUAD{90, 91, 92, 0}));
    // Outside, the background index wins over the background colour.
    image.SetBkgndIndex(9);
    EXPECT_TRUE(SameColour(image.GetPixelRgb(3, 0), RGBQUAD{90, 91, 92, 0}));

    ASSERT_NE(image.Create(2, 1, 1, IMAGE_FORMAT_BMP), nullptr);
    image.GetPalette()[1] = RGBQUAD{255, 255, 255, 0};
    image.GetBits()[0] = 0x40; // second pixel set
    EXPECT_TRUE(SameColour(image.GetPixelRgb(0, 0), RGBQUAD{0, 0, 0, 0}));
    EXPECT_TRUE(SameColour(image.GetPixelRgb(1, 0), RGBQUAD{255, 255, 255, 0}));
}

TEST(ImageRecord, CreateRefusesEmptyAndHugePicturesWithoutAllocating)
{
    CImageRecord image;
    ASSERT_NE(image.Create(4, 4, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_EQ(image.Create(65000, 65000, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 0U);
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_STREQ(image.GetLastError(),
                 "Create: a 65000 x 65000 picture is larger than the 256 MiB limit");
    EXPECT_EQ(image.Create(0xFFFFFFFFU, 1, 1, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_EQ(image.Create(0, 10, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_STREQ(image.GetLastError(), "Create: the picture has no pixels (width or height 0)");
    EXPECT_EQ(image.Create(10, 0, 24, IMAGE_FORMAT_BMP), nullptr);
    // Just inside the limit by the count: 256 MiB less the header is fine to ask for.
    EXPECT_LE(CImageRecord::BitmapBlockBytes(9000, 9000, 24), IMAGE_MAX_BITMAP_BYTES);
    EXPECT_GT(CImageRecord::BitmapBlockBytes(9500, 9500, 24), IMAGE_MAX_BITMAP_BYTES);
}

TEST(ImageRecord, TransferAndMoveHandTheBlockOver)
{
    CImageRecord source;
    void* block = source.Create(3, 2, 24, IMAGE_FORMAT_JPG);
    ASSERT_NE(block, nullptr);
    source.GetBits()[0] = 77;

    CImageRecord target;
    ASSERT_NE(target.Create(1, 1, 8, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_TRUE(target.Transfer(source));
    EXPECT_EQ(target.GetDib(), block);
    EXPECT_EQ(target.GetWidth(), 3U);
    EXPECT_EQ(target.GetType(), static_cast<DWORD>(IMAGE_FORMAT_JPG));
    EXPECT_EQ(target.GetPixelRgb(0, 0).rgbBlue, 77);
    EXPECT_FALSE(source.IsValid());
    EXPECT_EQ(source.GetWidth(), 0U);
    EXPECT_EQ(source.GetBits(), nullptr);
    EXPECT_TRUE(target.Transfer(target));
    EXPECT_EQ(target.GetDib(), block);

    CImageRecord moved(std::move(target));
    EXPECT_EQ(moved.GetDib(), block);
    EXPECT_FALSE(target.IsValid()); // NOLINT(bugprone-use-after-move,clang-analyzer-cplusplus.Move)
    CImageRecord assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.GetDib(), block);
    assigned.Destroy();
    EXPECT_FALSE(assigned.IsValid());
    EXPECT_EQ(assigned.GetWidth(), 0U);
}

TEST(ImageRecord, SettingTheResolutionSetsPixelsPerMetre)
{
    CImageRecord image;
    ASSERT_NE(image.Create(2, 2, 24, IMAGE_FORMAT_BMP), nullptr);
    image.SetXDPI(300); // 11811.02
    image.SetYDPI(96);  // 3779.53
    EXPECT_EQ(image.GetHead().biXPelsPerMeter, 11811);
    EXPECT_EQ(image.GetHead().biYPelsPerMeter, 3780);
    // The header copy in the block follows.
    BITMAPINFOHEADER copy;
    std::memcpy(&copy, image.GetDib(), sizeof(copy));
    EXPECT_EQ(copy.biXPelsPerMeter, 11811);
    EXPECT_EQ(copy.biYPelsPerMeter, 3780);
    image.SetXDPI(254);
    EXPECT_EQ(image.GetHead().biXPelsPerMeter, 10000);
}

TEST(ImageRecordJpeg, ColourPictureLoadsExactlyAsLibjpegDecodesIt)
{
    FixtureDirectory dir;
    const ByteVector data = MakeJpeg(JpegFixtureOptions{});
    CImageRecord image;
    LoadBytes(image, dir, "colour.jpg", data, IMAGE_FORMAT_UNKNOWN);
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 640U);
    EXPECT_EQ(image.GetHeight(), 480U);
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(image.GetEffWidth(), 1920U);
    EXPECT_EQ(image.GetType(), static_cast<DWORD>(IMAGE_FORMAT_JPG));
    EXPECT_EQ(image.GetNumColors(), 0U);
    EXPECT_STREQ(image.GetLastError(), "");
    ExpectSameAsLibjpeg(image, data);

    // Row 0 is the bottom line: (0, 0) is the bottom-left pixel, (0, 479) the top-left.
    const ReferenceDecode ref = DecodeWithLibjpeg(data);
    const unsigned char* topLeft = ref.samples.data();
    const unsigned char* bottomLeft = ref.samples.data() + 479 * 640 * 3;
    EXPECT_TRUE(
        SameColour(image.GetPixelRgb(0, 479), RGBQUAD{topLeft[2], topLeft[1], topLeft[0], 0}));
    EXPECT_TRUE(SameColour(image.GetPixelRgb(0, 0),
                           RGBQUAD{bottomLeft[2], bottomLeft[1], bottomLeft[0], 0}));
    // Outside the picture: the background colour, all zeros.
    EXPECT_TRUE(SameColour(image.GetPixelRgb(640, 0), RGBQUAD{0, 0, 0, 0}));
    EXPECT_TRUE(SameColour(image.GetPixelRgb(0, 480), RGBQUAD{0, 0, 0, 0}));

    // The constructor with a file name loads the same picture.
    const CImageRecord constructed(dir.File("colour.jpg").c_str(), IMAGE_FORMAT_UNKNOWN);
    ExpectSameAsLibjpeg(constructed, data);
}

TEST(ImageRecordJpeg, NarrowPicturesKeepPaddedRowsAndZeroPadding)
{
    FixtureDirectory dir;
    for (const auto& [width, stride] : {std::pair{1, 4U}, {3, 12U}, {5, 16U}}) {
        JpegFixtureOptions options;
        options.width = width;
        options.height = 9;
        const ByteVector data = MakeJpeg(options);
        CImageRecord image;
        LoadBytes(image, dir, "narrow.jpg", data, IMAGE_FORMAT_JPG);
        EXPECT_EQ(image.GetEffWidth(), stride) << width;
        ExpectSameAsLibjpeg(image, data);
        for (DWORD y = 0; y < image.GetHeight(); ++y) {
            for (DWORD i = 3 * width; i < stride; ++i) {
                EXPECT_EQ(image.GetBits()[y * stride + i], 0) << "width " << width;
            }
        }
    }
}

TEST(ImageRecordJpeg, GreyscaleCmykProgressiveAndRestartPicturesLoad)
{
    FixtureDirectory dir;
    JpegFixtureOptions grey;
    grey.kind = JpegKind::GREY;
    grey.width = 61;
    CImageRecord image;
    const ByteVector greyData = MakeJpeg(grey);
    LoadBytes(image, dir, "grey.jpg", greyData, IMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetBpp(), 8);
    EXPECT_EQ(image.GetNumColors(), 256U);
    EXPECT_EQ(image.GetEffWidth(), 64U);
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<BYTE>(i);
        ASSERT_TRUE(SameColour(image.GetPalette()[i], RGBQUAD{level, level, level, 0})) << i;
    }
    ExpectSameAsLibjpeg(image, greyData);

    JpegFixtureOptions cmyk;
    cmyk.kind = JpegKind::CMYK_ADOBE;
    cmyk.width = 45;
    cmyk.height = 30;
    const ByteVector cmykData = MakeJpeg(cmyk);
    LoadBytes(image, dir, "cmyk.jpg", cmykData, IMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetBpp(), 24);
    EXPECT_EQ(DecodeWithLibjpeg(cmykData).components, 4);
    ExpectSameAsLibjpeg(image, cmykData);

    JpegFixtureOptions progressive;
    progressive.progressive = true;
    const ByteVector progressiveData = MakeJpeg(progressive);
    LoadBytes(image, dir, "progressive.jpg", progressiveData, IMAGE_FORMAT_UNKNOWN);
    ExpectSameAsLibjpeg(image, progressiveData);

    JpegFixtureOptions restarts;
    restarts.restartRows = 2;
    const ByteVector restartData = MakeJpeg(restarts);
    ASSERT_NE(std::string(restartData.begin(), restartData.end()).find("\xFF\xD0"),
              std::string::npos);
    LoadBytes(image, dir, "restarts.jpg", restartData, IMAGE_FORMAT_UNKNOWN);
    ExpectSameAsLibjpeg(image, restartData);
}

TEST(ImageRecordJpeg, TruncatedFileStillLoadsThroughTheInsertedEndMarker)
{
    FixtureDirectory dir;
    const ByteVector whole = MakeJpeg(JpegFixtureOptions{});
    // Cut past the first 4096-byte buffer, so that the end comes on a later refill.
    const ByteVector cut(whole.begin(), whole.begin() + whole.size() * 2 / 3);
    ASSERT_GT(cut.size(), 4096U);
    CImageRecord image;
    LoadBytes(image, dir, "cut.jpg", cut, IMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetWidth(), 640U);
    ExpectSameAsLibjpeg(image, cut);
}

TEST(ImageRecordJpeg, ForeignAndBrokenDataIsRefusedWithItsMessage)
{
    FixtureDirectory dir;
    const std::string unknown = "Decode: Unknown or wrong format";
    const ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    const ByteVector bmp = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0};
    const std::pair<const char*, ByteVector> refused[] = {
        {"empty", ByteVector{}},
        {"random", RandomBytes(5000, 3)},
        {"png", png},
        {"bmp", bmp},
        {"gif", ByteVector{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}},
        {"soi-only", ByteVector{0xFF, 0xD8}},
    };
    for (const auto& [name, bytes] : refused) {
        CImageRecord image;
        LoadBytes(image, dir, name, bytes, IMAGE_FORMAT_UNKNOWN);
        EXPECT_FALSE(image.IsValid()) << name;
        EXPECT_EQ(image.GetWidth(), 0U) << name;
        EXPECT_EQ(image.GetLastError(), unknown) << name;
    }

    // With an explicit format the decoder's own message survives the failed detection.
    CImageRecord image;
    LoadBytes(image, dir, "empty.jpg", ByteVector{}, IMAGE_FORMAT_JPG);
    EXPECT_FALSE(image.IsValid());
    EXPECT_STREQ(image.GetLastError(), "Empty input file");
    LoadBytes(image, dir, "png.bmp", png, IMAGE_FORMAT_BMP);
    EXPECT_STREQ(image.GetLastError(), "Not a BMP");
    LoadBytes(image, dir, "bmp.bmp", bmp, IMAGE_FORMAT_BMP);
    EXPECT_FALSE(image.IsValid());
    EXPECT_STREQ(image.GetLastError(), "BMP pictures cannot be read by this program");
    LoadBytes(image, dir, "png.jpg", png, IMAGE_FORMAT_JPG);
    EXPECT_STREQ(image.GetLastError(), "Not a JPEG file: starts with 0x89 0x50");

    // A JPEG handed over as a BMP still loads: the typed attempt fails, detection finds it.
    JpegFixtureOptions small;
    small.width = 20;
    small.height = 10;
    const ByteVector jpeg = MakeJpeg(small);
    LoadBytes(image, dir, "really.jpg", jpeg, IMAGE_FORMAT_BMP);
    EXPECT_EQ(image.GetType(), static_cast<DWORD>(IMAGE_FORMAT_JPG));
    ExpectSameAsLibjpeg(image, jpeg);

    // A failed load leaves no picture behind, even where there was one.
    LoadBytes(image, dir, "random", RandomBytes(100, 9), IMAGE_FORMAT_UNKNOWN);
    EXPECT_FALSE(image.IsValid());

    // An unknown format code.
    CImageMemFile memory(jpeg.data(), jpeg.size());
    EXPECT_FALSE(image.Decode(memory, CMAX_IMAGE_FORMATS));
    EXPECT_EQ(image.GetLastError(), unknown);
}

TEST(ImageRecordJpeg, MissingFileLeavesAnEmptyRecordWithoutMessage)
{
    FixtureDirectory dir;
    for (DWORD format : {IMAGE_FORMAT_UNKNOWN, IMAGE_FORMAT_JPG}) {
        const CImageRecord image(dir.File("missing.jpg").c_str(), format);
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(image.GetWidth(), 0U);
        EXPECT_EQ(image.GetHeight(), 0U);
        EXPECT_STREQ(image.GetLastError(), "");
    }
}

TEST(ImageRecordJpeg, HugeDeclaredSizeIsRefusedBeforeAnyPixelMemory)
{
    FixtureDirectory dir;
    for (bool progressive : {false, true}) {
        const ByteVector data = MakeJpegDeclaringSize(65000, 65000, progressive);
        ASSERT_FALSE(data.empty());
        ASSERT_LT(data.size(), 2000U);
        CImageRecord image;
        LoadBytes(image, dir, "huge.jpg", data, IMAGE_FORMAT_JPG);
        EXPECT_FALSE(image.IsValid());
        EXPECT_STREQ(image.GetLastError(),
                     "Create: a 65000 x 65000 picture is larger than the 256 MiB limit");
        LoadBytes(image, dir, "huge.jpg", data, IMAGE_FORMAT_UNKNOWN);
        EXPECT_FALSE(image.IsValid());
        EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    }
}

TEST(ImageRecordJpeg, ProgressiveDecodingStaysWithinTheMemoryLimit)
{
    // A 12000 x 12000 greyscale bitmap fits the limit (about 137 MiB), but libjpeg's buffer of
    // all coefficients would take 12000 x 12000 x 2 bytes, about 275 MiB.
    FixtureDirectory dir;
    CImageRecord image;
    LoadBytes(image, dir, "big.jpg", MakeJpegDeclaringSize(12000, 12000, true, JpegKind::GREY),
              IMAGE_FORMAT_JPG);
    EXPECT_FALSE(image.IsValid());
    EXPECT_STREQ(image.GetLastError(), "JPEG: decoding the progressive 12000 x 12000 picture "
                                       "needs more than the 256 MiB limit");
    // The same size, not progressive, decodes a line at a time and loads.
    LoadBytes(image, dir, "big.jpg", MakeJpegDeclaringSize(12000, 12000, false, JpegKind::GREY),
              IMAGE_FORMAT_JPG);
    EXPECT_TRUE(image.IsValid()) << image.GetLastError();
    EXPECT_EQ(image.GetWidth(), 12000U);
}

TEST(ImageRecordJpeg, ResolutionFollowsTheJfifDensity)
{
    FixtureDirectory dir;
    JpegFixtureOptions options;
    options.width = 8;
    options.height = 8;

    options.densityUnit = 1; // dots per inch, taken as they are
    options.xDensity = 300;
    options.yDensity = 150;
    CImageRecord image;
    LoadBytes(image, dir, "inch.jpg", MakeJpeg(options), IMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetXDPI(), 300);
    EXPECT_EQ(image.GetYDPI(), 150);
    EXPECT_EQ(image.GetHead().biXPelsPerMeter, 11811);
    EXPECT_EQ(image.GetHead().biYPelsPerMeter, 5906); // 5905.51

    options.densityUnit = 2; // dots per centimetre: 28 -> 71.12, 40 -> 101.6, whole dots
    options.xDensity = 28;
    options.yDensity = 40;
    LoadBytes(image, dir, "cm.jpg", MakeJpeg(options), IMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetXDPI(), 71);
    EXPECT_EQ(image.GetYDPI(), 101);
    EXPECT_EQ(image.GetHead().biXPelsPerMeter, 2795); // 2795.28
    EXPECT_EQ(image.GetHead().biYPelsPerMeter, 3976); // 3976.38

    options.densityUnit = 0; // aspect ratio only: the default resolution stays
    options.xDensity = 1;
    options.yDensity = 1;
    LoadBytes(image, dir, "aspect.jpg", MakeJpeg(options), IMAGE_FORMAT_UNKNOWN);
    EXPECT_EQ(image.GetXDPI(), 72);
    EXPECT_EQ(image.GetHead().biXPelsPerMeter, 2835);
}

TEST(ImageRecordJpeg, DecodingFromMemoryRestartsEachAttemptWhereTheDataBegins)
{
    JpegFixtureOptions options;
    options.width = 33;
    options.height = 17;
    const ByteVector jpeg = MakeJpeg(options);
    ByteVector prefixed = {'j', 'u', 'n', 'k', '!'};
    prefixed.insert(prefixed.end(), jpeg.begin(), jpeg.end());

    CImageMemFile memory(prefixed.data(), prefixed.size());
    ASSERT_TRUE(memory.Seek(5, SEEK_SET));
    CImageRecord image;
    ASSERT_TRUE(image.Decode(memory, IMAGE_FORMAT_UNKNOWN)) << image.GetLastError();
    ExpectSameAsLibjpeg(image, jpeg);

    // A request to stop ends the decode.
    CImageMemFile again(jpeg.data(), jpeg.size());
    CImageRecord stopped;
    stopped.SetEscape(1);
    EXPECT_FALSE(stopped.Decode(again, IMAGE_FORMAT_JPG));
    EXPECT_FALSE(stopped.IsValid());
    EXPECT_STREQ(stopped.GetLastError(), "JPEG decoding was stopped");
}

TEST(ImageFiles, StreamAndMemoryFilesBehaveLikeCStreams)
{
    FixtureDirectory dir;
    ASSERT_TRUE(WriteBytes(dir.File("abc"), ByteVector{'a', 'b', 'c', 'd', 'e'}));

    // A stream handed in stays open after the file object goes.
    std::FILE* stream = std::fopen(dir.File("abc").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    {
        CImageIOFile file(stream);
        EXPECT_EQ(file.Size(), 5);
        char two[2];
        EXPECT_EQ(file.Read(two, 2, 1), 1U);
        EXPECT_EQ(file.Tell(), 2);
        EXPECT_EQ(file.GetC(), 'c');
    }
    EXPECT_EQ(std::fgetc(stream), 'd');
    std::fclose(stream);

    CImageIOFile opened;
    EXPECT_FALSE(opened.Open(dir.File("none").c_str(), "rb"));
    ASSERT_TRUE(opened.Open(dir.File("abc").c_str(), "rb"));
    char buffer[8];
    EXPECT_EQ(opened.Read(buffer, 2, 4), 2U); // two whole items of two bytes
    EXPECT_TRUE(opened.Eof());
    EXPECT_TRUE(opened.Close());

    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    CImageMemFile memory(bytes, sizeof(bytes));
    EXPECT_EQ(memory.Read(buffer, 2, 4), 2U);
    EXPECT_TRUE(memory.Eof());
    EXPECT_EQ(memory.Tell(), 4);
    EXPECT_TRUE(memory.Seek(-2, SEEK_END));
    EXPECT_FALSE(memory.Eof());
    EXPECT_EQ(memory.GetC(), 4);
    EXPECT_FALSE(memory.Seek(-10, SEEK_CUR));
    EXPECT_EQ(memory.Tell(), 4);
    EXPECT_EQ(memory.PutC(9), 9);
    EXPECT_EQ(memory.PutC(8), 8);
    EXPECT_EQ(memory.Size(), 6);
    EXPECT_EQ(memory.Data()[5], 8);
}
