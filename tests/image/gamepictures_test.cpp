#include "image/cimagerecord.h"

#include <gtest/gtest.h>

#include <string>

// The pictures drawn by the build (tools/makepictures) must load as the game
// needs them: both the same size, and a sky dark enough for the white ship
// and the grey (0xAA) asteroid outlines to stand out.

namespace {

std::string BuildFile(const char* name)
{
    return std::string(QV_BINARY_DIR) + "/" + name;
}

/// Share of pixels whose every channel is below the limit.
double DarkShare(const CImageRecord& image, int limit)
{
    long dark = 0;
    for (DWORD y = 0; y < image.GetHeight(); ++y) {
        for (DWORD x = 0; x < image.GetWidth(); ++x) {
            const RGBQUAD c = image.GetPixelRgb(x, y);
            dark += c.rgbRed < limit && c.rgbGreen < limit && c.rgbBlue < limit ? 1 : 0;
        }
    }
    return static_cast<double>(dark) / (image.GetWidth() * image.GetHeight());
}

} // namespace

TEST(GamePictures, BothPicturesLoadAtTheSameSizeOnADarkSky)
{
    const CImageRecord field(BuildFile("space_image.jpg").c_str(), IMAGE_FORMAT_UNKNOWN);
    const CImageRecord welcome(BuildFile("space_image_welcome.jpg").c_str(), IMAGE_FORMAT_UNKNOWN);
    ASSERT_TRUE(field.IsValid()) << "build the qv_pictures target first";
    ASSERT_TRUE(welcome.IsValid());
    EXPECT_EQ(field.GetWidth(), 640U);
    EXPECT_EQ(field.GetHeight(), 480U);
    EXPECT_EQ(welcome.GetWidth(), field.GetWidth());
    EXPECT_EQ(welcome.GetHeight(), field.GetHeight());
    EXPECT_EQ(field.GetBpp(), 24);

    // Apart from the stars, the playing field stays far below the asteroids' grey.
    EXPECT_GT(DarkShare(field, 0x50), 0.97);
    // Nowhere is the nebula or the backdrop bright: rows of 32 pixels never average near grey.
    for (DWORD y = 0; y < field.GetHeight(); ++y) {
        for (DWORD x0 = 0; x0 < field.GetWidth(); x0 += 32) {
            int sum = 0;
            for (DWORD x = x0; x < x0 + 32; ++x) {
                const RGBQUAD c = field.GetPixelRgb(x, y);
                sum += (c.rgbRed + c.rgbGreen + c.rgbBlue) / 3;
            }
            ASSERT_LT(sum / 32, 0x50) << "at " << x0 << ", " << y;
        }
    }
    // The welcome picture carries bright text over the same sky.
    EXPECT_LT(DarkShare(welcome, 0x50), DarkShare(field, 0x50) - 0.02);
}
