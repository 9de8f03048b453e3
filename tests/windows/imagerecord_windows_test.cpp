// The record beside <windows.h>, which has BYTE, WORD, DWORD, LONG, RGBQUAD and BITMAPINFOHEADER
// too: the basic types are Windows' own, and its bitmap reads the same through Windows' header.
#include "image/cimagerecord.h"
#include "support/pixels.h"

#include <windows.h> // after the record's header, the harder order

TEST(ImageRecordWindows, TheBitmapBlockIsAWindowsBitmap)
{
    static_assert(std::is_same_v<DWORD, ::DWORD> && std::is_same_v<LONG, ::LONG>);
    CImageRecord image;
    MakePicture(image, 5, 3, Pattern);
    const auto* header = static_cast<const ::BITMAPINFOHEADER*>(image.GetDib());
    EXPECT_EQ(header->biSize * 1000000 + header->biWidth * 1000 + header->biHeight, 40005003U);
    const qvdib::RGBQUAD colour = image.GetPixelRgb(4, 2);
    EXPECT_EQ(colour.rgbRed << 16 | colour.rgbGreen << 8 | colour.rgbBlue, Pattern(4, 2));
}
