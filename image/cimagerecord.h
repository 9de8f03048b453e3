#ifndef QV_IMAGE_CIMAGERECORD_H
#define QV_IMAGE_CIMAGERECORD_H

#include <cstdint>

// The image record: a picture held as a device-independent bitmap (one heap
// block with a 40-byte header, an optional palette and the pixel rows,
// bottom line first), loaded from a file with format detection.

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

/// One palette entry or pixel colour: blue, green, red, reserved.
struct RGBQUAD
{
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

/// The 40-byte bitmap header.
struct BITMAPINFOHEADER
{
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

enum ENUM_IMAGE_FORMATS : DWORD
{
    IMAGE_FORMAT_UNKNOWN = 0,
    IMAGE_FORMAT_BMP = 1,
    IMAGE_FORMAT_GIF = 2,
    IMAGE_FORMAT_JPG = 3,
    IMAGE_FORMAT_ICO = 4,
    IMAGE_FORMAT_WBMP = 5,
    IMAGE_FORMAT_WMF = 6,
    CMAX_IMAGE_FORMATS = 7
};

#endif
