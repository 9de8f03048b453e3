#include "image/cimageiofile.h"
#include "image/cimagememfile.h"
#include "image/cimagerecord.h"
#include "support/jpegfixtures.h"
#include "support/pixels.h"

const char* const UNKNOWN_FORMAT = "Decode: Unknown or wrong format";
const char* const TOO_LARGE = "Create: a 65000 x 65000 picture is larger than the 256 MiB limit";
static unsigned Packed(const qvdib::RGBQUAD& q)
{
    return q.rgbReserved << 24U | q.rgbRed << 16U | q.rgbGreen << 8U | q.rgbBlue;
}
static std::string Written(const ByteVector& bytes)
{
    static const FixtureDirectory dir;
    EXPECT_TRUE(WriteBytes(dir.File("picture"), bytes));
    return dir.File("picture");
}
/// Compares every pixel, y counted from the bottom line, with libjpeg's decode (top row first).
static void ExpectSameAsLibjpeg(const CImageRecord& image, const ByteVector& data)
{
    const ReferenceDecode ref = DecodeWithLibjpeg(data);
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    ASSERT_EQ(image.GetWidth() << 16U | image.GetHeight(), DWORD(ref.width << 16 | ref.height));
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const int n = ref.components;
            const BYTE* s = &ref.samples[((ref.height - 1 - y) * ref.width + x) * n];
            // Adobe CMYK is stored inverted: the colour left is value times black over 255.
            const auto c = [&](int i) { return n == 4 ? s[i] * s[3] / 255U : s[n == 1 ? 0 : i]; };
            ASSERT_EQ(Packed(image.GetPixelRgb(x, y)), c(0) << 16U | c(1) << 8U | c(2))
                << x << "," << y;
        }
}
TEST(ImageRecordJpeg, PicturesLoadAsLibjpegDecodesThemBadDataIsRefusedAndDensitiesRead)
{
    const ByteVector colour = MakeJpeg({640, 480});
    // A segment of 9000 bytes that libjpeg skips, more than two reads of the source.
    ByteVector skipped = MakeJpeg({20, 10});
    skipped.insert(skipped.begin() + 2, {0xFF, 0xEF, 9000 >> 8, 9000 & 0xFF});
    skipped.insert(skipped.begin() + 6, 8998, 'x');
    const std::tuple<const char*, ByteVector, DWORD, WORD, DWORD> cases[] = {
        {"colour", colour, IMAGE_FORMAT_UNKNOWN, 24, 1920},
        {"width 3", MakeJpeg({3, 9}), IMAGE_FORMAT_JPG, 24, 12},
        {"grey", MakeJpeg({61, 20, JpegKind::GREY}), IMAGE_FORMAT_UNKNOWN, 8, 64},
        {"cmyk", MakeJpeg({45, 30, JpegKind::CMYK_ADOBE}), IMAGE_FORMAT_UNKNOWN, 24, 136},
        {"cmyk 3 wide", MakeJpeg({3, 7, JpegKind::CMYK_ADOBE}), IMAGE_FORMAT_UNKNOWN, 24, 12},
        {"progressive", MakeJpeg({640, 480, JpegKind::COLOUR, true}), IMAGE_FORMAT_UNKNOWN, 24,
         1920},
        {"restarts", MakeJpeg({64, 40, JpegKind::COLOUR, false, 2}), IMAGE_FORMAT_UNKNOWN, 24, 192},
        {"skipped segment", skipped, IMAGE_FORMAT_UNKNOWN, 24, 60},
        // Cut past the first 4096-byte read: the end comes on a later refill.
        {"truncated", ByteVector(colour.begin(), colour.begin() + colour.size() * 2 / 3),
         IMAGE_FORMAT_UNKNOWN, 24, 1920},
        {"typed as BMP", MakeJpeg({20, 10}), IMAGE_FORMAT_BMP, 24, 60}, // detection finds it
    };
    for (const auto& [name, data, format, bpp, stride] : cases) {
        SCOPED_TRACE(name);
        const CImageRecord image(Written(data).c_str(), format);
        ExpectSameAsLibjpeg(image, data);
        // Grey reads through a 256-entry palette; outside the picture: the background, zeros.
        EXPECT_EQ((std::vector<long long>{image.GetBpp(), image.GetEffWidth(), image.GetType(),
                                          image.GetNumColors(), image.GetHead().biSizeImage,
                                          Packed(image.GetPixelRgb(image.GetWidth(), 0))}),
                  (std::vector<long long>{bpp, stride, IMAGE_FORMAT_JPG, bpp == 8 ? 256 : 0,
                                          static_cast<long long>(stride * image.GetHeight()), 0}));
        EXPECT_STREQ(image.GetLastError(), "");
    }
    const ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    const ByteVector bmp = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0};
    const std::tuple<ByteVector, DWORD, const char*> refused[] = {
        {{}, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {{}, IMAGE_FORMAT_JPG, "Empty input file"},
        {bmp, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {png, IMAGE_FORMAT_JPG, "Not a JPEG file: starts with 0x89 0x50"},
        {png, IMAGE_FORMAT_WMF, "Not a Windows metafile"},
        {bmp, IMAGE_FORMAT_BMP, "BMP pictures cannot be read by this program"},
        {{0xFF, 0xD8}, IMAGE_FORMAT_UNKNOWN, UNKNOWN_FORMAT},
        {MakeJpegDeclaringSize(65000, 65000), IMAGE_FORMAT_JPG, TOO_LARGE},
        {MakeJpegDeclaringSize(65000, 65000, true), IMAGE_FORMAT_JPG, TOO_LARGE},
        // The bitmap would fit, but libjpeg's coefficient buffer (about 275 MiB) would not.
        {MakeJpegDeclaringSize(12000, 12000, true, JpegKind::GREY), IMAGE_FORMAT_JPG,
         "JPEG: decoding the progressive 12000 x 12000 picture needs more than the 256 MiB limit"},
    };
    for (const auto& [data, format, message] : refused) {
        SCOPED_TRACE(message);
        CImageRecord image; // a failed load also drops the picture held before
        ASSERT_NE(image.Create(4, 4, 24, IMAGE_FORMAT_BMP), nullptr);
        EXPECT_FALSE(image.LoadFile(Written(data).c_str(), format) || image.IsValid() ||
                     image.GetWidth() != 0);
        EXPECT_STREQ(image.GetLastError(), message);
    }
    // Not progressive, the same size fits. A missing file is no decoding failure: no message.
    const ByteVector big = MakeJpegDeclaringSize(12000, 12000, false, JpegKind::GREY);
    EXPECT_EQ(CImageRecord(Written(big).c_str(), IMAGE_FORMAT_JPG).GetWidth(), 12000U);
    const CImageRecord missing((Written({}) + ".missing").c_str(), IMAGE_FORMAT_JPG);
    EXPECT_FALSE(missing.IsValid() || missing.GetWidth() != 0);
    EXPECT_STREQ(missing.GetLastError(), "");
    // Unit, densities, then dots per inch and pixels per metre (dots per inch / 0.0254, rounded).
    const int densities[][7] = {{1, 300, 150, 300, 150, 11811, 5906},
                                {2, 28, 40, 71, 101, 2795, 3976},
                                {0, 1, 1, 72, 72, 2835, 2835}};
    for (const auto& [unit, x, y, dpiX, dpiY, ppmX, ppmY] : densities) {
        const ByteVector data = MakeJpeg({8, 8, JpegKind::COLOUR, false, 0, unit, x, y});
        const CImageRecord image(Written(data).c_str(), IMAGE_FORMAT_UNKNOWN);
        EXPECT_EQ((std::vector<long long>{image.GetXDPI(), image.GetYDPI(),
                                          image.GetHead().biXPelsPerMeter,
                                          image.GetHead().biYPelsPerMeter}),
                  (std::vector<long long>{dpiX, dpiY, ppmX, ppmY}))
            << x;
    }
}
TEST(ImageRecord, CreateTransferPalettesAndFiles)
{
    CImageRecord source, target, assigned;
    for (const auto& [width, height] : {std::pair{0U, 10U}, {10U, 0U}})
        EXPECT_TRUE(source.Create(width, height, 24, IMAGE_FORMAT_BMP) == nullptr &&
                    std::string(source.GetLastError()) ==
                        "Create: the picture has no pixels (width or height 0)");
    EXPECT_EQ(source.Create(0xFFFFFFFFU, 1, 1, IMAGE_FORMAT_BMP), nullptr);
    // Bits per pixel asked, then given, with the row stride of 10 pixels and the palette size.
    const DWORD depths[][4] = {{1, 1, 4, 2},    {2, 4, 8, 16},   {4, 4, 8, 16},
                               {5, 8, 12, 256}, {8, 8, 12, 256}, {9, 24, 32, 0}};
    for (const auto& d : depths) { // the header is copied into the block too
        ASSERT_NE(source.Create(10, 3, d[0], IMAGE_FORMAT_BMP), nullptr);
        const auto* header = static_cast<const qvdib::BITMAPINFOHEADER*>(source.GetDib());
        EXPECT_EQ((std::vector<DWORD>{source.GetBpp(), source.GetEffWidth(), source.GetNumColors(),
                                      header->biBitCount, header->biClrUsed}),
                  (std::vector<DWORD>{d[1], d[2], d[3], d[1], d[3]}))
            << d[0];
    }
    // 4 bits: the left pixel in the high half; outside: the background, not a palette entry.
    ASSERT_NE(source.Create(3, 1, 4, IMAGE_FORMAT_BMP), nullptr);
    for (BYTE i = 0; i < 16; ++i)
        source.GetPalette()[i] = {i, BYTE(i * 2), BYTE(i * 3 + 1), 0};
    source.GetBits()[0] = 0x12;
    EXPECT_EQ(Packed(source.GetPixelRgb(0, 0)) * 10 + Packed(source.GetPixelRgb(1, 0)),
              0x040201 * 10 + 0x070402);
    EXPECT_EQ(Packed(source.GetPixelRgb(-1, 0)), 0U);
    void* block = source.Create(3, 2, 24, IMAGE_FORMAT_JPG);
    ASSERT_NE(block, nullptr);
    ASSERT_NE(target.Create(1, 1, 8, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_TRUE(target.Transfer(source) && target.GetDib() == block && !source.IsValid());
    EXPECT_EQ(target.GetType(), static_cast<DWORD>(IMAGE_FORMAT_JPG));
    target.SetYDPI(96); // updates the header copy at the start of the block too
    EXPECT_EQ(static_cast<const qvdib::BITMAPINFOHEADER*>(block)->biYPelsPerMeter, 3780);
    EXPECT_TRUE(target.Transfer(target)); // must not free its own block
    CImageRecord moved(std::move(target));
    EXPECT_EQ((assigned = std::move(moved)).GetDib(), block);
    // Decoding from memory starts each attempt where the data begins; files read whole items.
    const ByteVector jpeg = MakeJpeg({33, 17});
    ByteVector prefixed = {'j', 'u', 'n', 'k', '!'};
    prefixed.insert(prefixed.end(), jpeg.begin(), jpeg.end());
    CImageMemFile memory(prefixed.data(), prefixed.size()), again(jpeg.data(), jpeg.size());
    ASSERT_TRUE(memory.Seek(5, SEEK_SET) && source.Decode(memory, IMAGE_FORMAT_UNKNOWN));
    ExpectSameAsLibjpeg(source, jpeg);
    source.SetEscape(1);
    EXPECT_FALSE(source.Decode(again, IMAGE_FORMAT_JPG));
    EXPECT_STREQ(source.GetLastError(), "JPEG decoding was stopped");
    char buffer[8];
    EXPECT_TRUE(again.Seek(-3, SEEK_END) && !again.Seek(-1, SEEK_SET));
    EXPECT_EQ(again.Read(buffer, 2, 4), 1U);
    CImageIOFile file;
    ASSERT_TRUE(file.Open(Written({1, 2, 3}).c_str(), "rb"));
    EXPECT_EQ(file.Read(buffer, 2, 4), 1U);
}
