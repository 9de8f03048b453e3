#include "image/cimagerecord.h"

#include <gtest/gtest.h>

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
