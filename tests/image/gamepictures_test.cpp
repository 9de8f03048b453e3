#include "image/cimagerecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

/// Share of pixels darker than the asteroids' grey (0xAA) by a wide margin in every channel.
double DarkShare(const CImageRecord& image)
{
    long dark = 0;
    for (DWORD y = 0; y < image.GetHeight(); ++y) {
        for (DWORD x = 0; x < image.GetWidth(); ++x) {
            const RGBQUAD c = image.GetPixelRgb(x, y);
            dark += c.rgbRed < 0x50 && c.rgbGreen < 0x50 && c.rgbBlue < 0x50 ? 1 : 0;
        }
    }
    return static_cast<double>(dark) / (image.GetWidth() * image.GetHeight());
}

} // namespace

// The pictures drawn by the build (tools/makepictures) load at the same size, on a sky dark
// enough for the white ship and grey asteroids, the welcome one with bright text over it.
TEST(GamePictures, BothPicturesLoadAtTheSameSizeOnADarkSky)
{
    const std::string dir = QV_BINARY_DIR;
    const CImageRecord field((dir + "/space_image.jpg").c_str(), IMAGE_FORMAT_UNKNOWN);
    const CImageRecord welcome((dir + "/space_image_welcome.jpg").c_str(), IMAGE_FORMAT_UNKNOWN);
    ASSERT_TRUE(field.IsValid()) << "build the qv_pictures target first";
    ASSERT_TRUE(welcome.IsValid());
    for (const CImageRecord* image : {&field, &welcome}) {
        EXPECT_EQ(image->GetWidth(), 640U);
        EXPECT_EQ(image->GetHeight(), 480U);
        EXPECT_EQ(image->GetBpp(), 24);
    }
    EXPECT_GT(DarkShare(field), 0.97);
    EXPECT_LT(DarkShare(welcome), DarkShare(field) - 0.02);
}
