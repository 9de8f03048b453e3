#include "game/gamepictures.h"
#include "image/cimagerecord.h"
#include "support/jpegfixtures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

// The build's pictures: 640 x 480, a sky dark enough for the white ship and grey asteroids, the
// welcome one with bright text over it.
TEST(GamePictures, BothPicturesLoadAtTheSameSizeOnADarkSky)
{
    std::vector<double> darkShares;
    for (const char* name : {"/space_image.jpg", "/space_image_welcome.jpg"}) {
        const CImageRecord image((QV_BINARY_DIR + std::string(name)).c_str(), IMAGE_FORMAT_UNKNOWN);
        ASSERT_EQ(std::make_tuple(image.GetWidth(), image.GetHeight(), image.GetBpp()),
                  std::make_tuple(640U, 480U, WORD{24}))
            << "build the qv_pictures target first";
        long dark = 0; // darker than the asteroids' grey (0xAA) by a wide margin
        for (DWORD p = 0; p < 640 * 480; ++p) {
            const RGBQUAD c = image.GetPixelRgb(p % 640, p / 640);
            dark += c.rgbRed < 0x50 && c.rgbGreen < 0x50 && c.rgbBlue < 0x50 ? 1 : 0;
        }
        darkShares.push_back(static_cast<double>(dark) / (640 * 480));
    }
    EXPECT_GT(darkShares[0], 0.97);
    EXPECT_LT(darkShares[1], darkShares[0] - 0.02);
}

// Each reason a picture cannot be used, in either file and either dimension,
// gives one message naming the file; the pictures it can use give none.
TEST(GamePictures, UnusablePicturesAreRefusedWithTheFileAndTheReason)
{
    const auto jpeg = [](int width, int height, JpegKind kind = JpegKind::COLOUR) {
        return MakeJpeg({width, height, kind});
    };
    ByteVector truncated = jpeg(320, 240);
    truncated.resize(truncated.size() * 2 / 3);
    ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(600, 7);
    const ByteVector good = jpeg(64, 48);
    const std::string unreadable =
        "not a picture that can be read (Decode: Unknown or wrong format)";
    const struct
    {
        std::optional<ByteVector> field, welcome;
        std::string problem; // after "<file>: "; empty when the game can run
    } cases[] = {
        {std::nullopt, good, "F: cannot open the picture: No such file or directory"},
        {good, std::nullopt, "W: cannot open the picture: No such file or directory"},
        {ByteVector{}, good, "F: not a picture that can be read (the file is empty)"},
        {RandomBytes(4096, 11), good, "F: " + unreadable},
        {good, png, "W: " + unreadable},
        {jpeg(1025, 768), jpeg(1025, 768),
         "F: the picture is 1025 x 768 pixels; pictures may be at most 1024 x 768"},
        {good, jpeg(1024, 769),
         "W: the picture is 1024 x 769 pixels; pictures may be at most 1024 x 768"},
        {good, jpeg(65, 48),
         "W: the picture is 65 x 48 pixels but F is 64 x 48; both pictures must have the same "
         "size"},
        {jpeg(64, 49), good,
         "W: the picture is 64 x 48 pixels but F is 64 x 49; both pictures must have the same "
         "size"},
        {MakeJpegDeclaringSize(65000, 65000), good, "F: not a picture that can be read"},
        {truncated, jpeg(320, 240), ""},
        {jpeg(64, 48, JpegKind::GREY), jpeg(64, 48, JpegKind::CMYK_ADOBE), ""},
        {jpeg(1024, 768), jpeg(1024, 768), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        FixtureDirectory folder;
        const std::string field = folder.File("F"), welcome = folder.File("W");
        ASSERT_TRUE(!c.field || WriteBytes(field, *c.field));
        ASSERT_TRUE(!c.welcome || WriteBytes(welcome, *c.welcome));
        const CImageRecord fieldPicture(field.c_str(), IMAGE_FORMAT_UNKNOWN);
        const CImageRecord welcomePicture(welcome.c_str(), IMAGE_FORMAT_UNKNOWN);
        std::string problem =
            GamePicturesProblem(field.c_str(), fieldPicture, welcome.c_str(), welcomePicture);
        for (size_t at = 0; (at = problem.find(folder.Path() + "/")) != problem.npos;) {
            problem.erase(at, folder.Path().size() + 1);
        }
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(problem.empty(), c.problem.empty());
    }
}
