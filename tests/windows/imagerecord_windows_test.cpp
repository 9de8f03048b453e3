// The image record's header beside <windows.h>, in either order: both define
// BYTE, WORD, DWORD, LONG, RGBQUAD and BITMAPINFOHEADER.
#include <windows.h>

#include "image/cimagerecord.h"
#include "support/pixels.h"

// The record's bitmap block is a Windows device-independent bitmap: its header reads the same
// through Windows' own structure, and the basic types are Windows' own.
TEST(ImageRecordWindows, TheBitmapBlockIsAWindowsBitmap)
{
    static_assert(std::is_same_v<DWORD, ::DWORD> && std::is_same_v<LONG, ::LONG>);
    CImageRecord image;
    MakePicture(image, 5, 3, Pattern);
    const auto* header = static_cast<const ::BITMAPINFOHEADER*>(image.GetDib());
    EXPECT_EQ(header->biSize * 1000000 + header->biWidth * 1000 + header->biHeight, 40005003U);
    const ::RGBQUAD pixel = {image.GetPixelRgb(4, 2).rgbBlue, 0, 0, 0};
    EXPECT_EQ(pixel.rgbBlue, Pattern(4, 2) & 0xFF);
}
