#include "game/gamepictures.h"
#include "support/jpegfixtures.h"
#include "support/pixels.h"

#include <filesystem>
#include <optional>

// The build's pictures: 640 x 480, a dark sky, the welcome one with bright text over it.
TEST(GamePictures, BothLoadAtTheSameSizeOnADarkSkyAndUnusableOnesAreRefusedWithTheReason)
{
    double dark[2] = {0, 0};
    for (const int i : {0, 1}) {
        const std::string name =
            std::string(QV_BINARY_DIR "/") + (i == 0 ? BACKGROUND_PICTURE : WELCOME_PICTURE);
        const CImageRecord image(name.c_str(), IMAGE_FORMAT_UNKNOWN);
        ASSERT_EQ(image.GetWidth() * 1000 + image.GetHeight(), 640480U);
        for (DWORD p = 0; p < 640 * 480; ++p) {
            const qvdib::RGBQUAD c = image.GetPixelRgb(p % 640, p / 640);
            dark[i] += std::max({c.rgbRed, c.rgbGreen, c.rgbBlue}) < 0x50 ? 1.0 / (640 * 480) : 0.0;
        }
    }
    EXPECT_GT(dark[0], 0.97);
    EXPECT_LT(dark[1], dark[0] - 0.02);
    // Each reason a picture cannot be used gives one message naming the file.
    ByteVector truncated = MakeJpeg({320, 240});
    truncated.resize(truncated.size() * 2 / 3);
    ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(600, 7);
    const ByteVector good = MakeJpeg({64, 48}), wide = MakeJpeg({1025, 768}),
                     tall = MakeJpeg({1024, 769});
    const std::string unreadable =
        "not a picture that can be read (Decode: Unknown or wrong format)";
    const std::string same = "; both pictures must have the same size";
    const std::string most = "; pictures may be at most 1024 x 768";
    // Field, welcome picture, the problem (empty when the game can run).
    const std::tuple<std::optional<ByteVector>, std::optional<ByteVector>, std::string> cases[] = {
        {std::nullopt, good, "F: cannot open the picture: No such file or directory"},
        {good, std::nullopt, "W: cannot open the picture: No such file or directory"},
        {ByteVector{}, good, "F: not a picture that can be read (the file is empty)"},
        {RandomBytes(4096, 11), good, "F: " + unreadable},
        {good, png, "W: " + unreadable},
        {wide, wide, "F: the picture is 1025 x 768 pixels" + most},
        {tall, tall, "F: the picture is 1024 x 769 pixels" + most},
        {good, wide, "W: the picture is 1025 x 768 pixels" + most},
        {good, MakeJpeg({65, 48}), "W: the picture is 65 x 48 pixels but F is 64 x 48" + same},
        {MakeJpeg({64, 49}), good, "W: the picture is 64 x 48 pixels but F is 64 x 49" + same},
        {MakeJpegDeclaringSize(65000, 65000), good, "F: not a picture that can be read"},
        {ByteVector(good.begin(), good.begin() + 150), good, // cut before the picture data
         "F: not a picture that can be read (JPEG datastream contains no image)"},
        {truncated, MakeJpeg({320, 240}), ""},
        {MakeJpeg({64, 48, JpegKind::GREY}), MakeJpeg({64, 48, JpegKind::CMYK_ADOBE}), ""},
        {MakeJpeg({1024, 768}), MakeJpeg({1024, 768}), ""},
    };
    for (const auto& [fieldBytes, welcomeBytes, expected] : cases) {
        SCOPED_TRACE(expected);
        const FixtureDirectory folder;
        ASSERT_TRUE(!fieldBytes || WriteBytes(folder.File("F"), *fieldBytes));
        ASSERT_TRUE(!welcomeBytes || WriteBytes(folder.File("W"), *welcomeBytes));
        std::filesystem::current_path(folder.Path()); // the file names as the game gives them
        const CImageRecord field("F", IMAGE_FORMAT_UNKNOWN), welcome("W", IMAGE_FORMAT_UNKNOWN);
        const std::string problem = GamePicturesProblem("F", field, "W", welcome);
        std::filesystem::current_path(QV_BINARY_DIR);
        EXPECT_EQ(problem.substr(0, expected.size()), expected);
        EXPECT_EQ(problem.empty(), expected.empty());
        // Only the truncated picture that does load has a warning, naming its file.
        EXPECT_EQ(PictureWarning("F", field) + PictureWarning("W", welcome),
                  fieldBytes == truncated ? "F: warning: Premature end of JPEG file" : "");
    }
}
