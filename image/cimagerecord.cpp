#include "image/cimagerecord.h"

#include "image/cimagefile.h"
#include "image/cimageiofile.h"

#include <cstdio>
#include <cstring>
#include <new>

using qvdib::BITMAPINFOHEADER;
using qvdib::RGBQUAD;

namespace {

constexpr DWORD HEADER_BYTES = sizeof(BITMAPINFOHEADER);
static_assert(HEADER_BYTES == 40, "the bitmap header has the 40-byte layout");
static_assert(sizeof(RGBQUAD) == 4, "palette entries are 4 bytes");

const char* const UNKNOWN_FORMAT_TEXT = "Decode: Unknown or wrong format";

/// Copies text into a fixed field, cutting it to fit and always ending it with a NUL.
void CopyText(char* field, std::size_t fieldSize, const char* text)
{
    std::snprintf(field, fieldSize, "%s", text != nullptr ? text : "");
}

/// Dots per inch to pixels per metre, rounded to the nearest whole number with halves up.
LONG PelsPerMeter(long dpi)
{
    if (dpi <= 0) {
        return 0;
    }
    return static_cast<LONG>((static_cast<long long>(dpi) * 10000 + 127) / 254);
}

DWORD RoundBpp(DWORD bpp)
{
    if (bpp <= 1) {
        return 1;
    }
    if (bpp <= 4) {
        return 4;
    }
    if (bpp <= 8) {
        return 8;
    }
    return 24;
}

DWORD PaletteEntries(DWORD bpp)
{
    switch (bpp) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

std::uint64_t RowStride(std::uint64_t width, DWORD bpp)
{
    return ((bpp * width + 31) / 32) * 4;
}

} // namespace

CImageRecord::CImageRecord(DWORD imagetype)
{
    Initialise(imagetype);
}

CImageRecord::CImageRecord(const char* filename, DWORD imagetype)
{
    Initialise(imagetype);
    LoadFile(filename, imagetype);
}

CImageRecord::~CImageRecord()
{
    Destroy();
}

CImageRecord::CImageRecord(CImageRecord&& from) noexcept
{
    Initialise(from.info.dwImageType);
    Transfer(from);
}

CImageRecord& CImageRecord::operator=(CImageRecord&& from) noexcept
{
    Transfer(from);
    return *this;
}

void CImageRecord::Initialise(DWORD imagetype)
{
    pSelection = nullptr;
    pAlpha = nullptr;
    pDib = nullptr;
    std::memset(&head, 0, sizeof(head));
    head.biSize = HEADER_BYTES;
    std::memset(&info, 0, sizeof(info));
    szLastWarning[0] = '\0';
    info.dwImageType = imagetype;
    info.nQuality = 75;
    info.nAlphaMax = 255;
    info.nBkgndIndex = -1;
    info.bEnabled = 1;
    SetXDPI(72);
    SetYDPI(72);
}

void CImageRecord::SetLastError(const char* text)
{
    CopyText(info.szLastError, sizeof(info.szLastError), text);
}

DWORD CImageRecord::GetWidth() const
{
    return pDib != nullptr ? head.biWidth : 0;
}

DWORD CImageRecord::GetHeight() const
{
    return pDib != nullptr ? head.biHeight : 0;
}

RGBQUAD* CImageRecord::GetPalette() const
{
    if (pDib == nullptr || head.biClrUsed == 0) {
        return nullptr;
    }
    return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(pDib) + HEADER_BYTES);
}

void CImageRecord::SetXDPI(long dpi)
{
    info.xDPI = static_cast<std::int32_t>(dpi);
    head.biXPelsPerMeter = PelsPerMeter(dpi);
    if (pDib != nullptr) {
        static_cast<BITMAPINFOHEADER*>(pDib)->biXPelsPerMeter = head.biXPelsPerMeter;
    }
}

void CImageRecord::SetYDPI(long dpi)
{
    info.yDPI = static_cast<std::int32_t>(dpi);
    head.biYPelsPerMeter = PelsPerMeter(dpi);
    if (pDib != nullptr) {
        static_cast<BITMAPINFOHEADER*>(pDib)->biYPelsPerMeter = head.biYPelsPerMeter;
    }
}

std::uint64_t CImageRecord::BitmapBlockBytes(std::uint64_t width, std::uint64_t height, DWORD bpp)
{
    return HEADER_BYTES + 4ULL * PaletteEntries(bpp) + RowStride(width, bpp) * height;
}

bool CImageRecord::CheckSize(std::uint64_t width, std::uint64_t height, DWORD bpp)
{
    // Refuse what cannot be a picture or would not fit the header's signed sizes, and keep
    // absurd sizes from taking the memory.
    if (width == 0 || height == 0) {
        SetLastError("Create: the picture has no pixels (width or height 0)");
        return false;
    }
    if (width > 0x7FFFFFFFU || height > 0x7FFFFFFFU ||
        BitmapBlockBytes(width, height, RoundBpp(bpp)) > IMAGE_MAX_BITMAP_BYTES) {
        std::snprintf(info.szLastError, sizeof(info.szLastError),
                      "Create: a %llu x %llu picture is larger than the %llu MiB limit",
                      static_cast<unsigned long long>(width),
                      static_cast<unsigned long long>(height),
                      static_cast<unsigned long long>(IMAGE_MAX_BITMAP_BYTES >> 20));
        return false;
    }
    return true;
}

void* CImageRecord::Create(DWORD width, DWORD height, DWORD bpp, DWORD imagetype)
{
    Destroy();
    bpp = RoundBpp(bpp);

    if (!CheckSize(width, height, bpp)) {
        return nullptr;
    }

    const DWORD stride = static_cast<DWORD>(RowStride(width, bpp));
    const DWORD colours = PaletteEntries(bpp);
    const std::size_t bytes = static_cast<std::size_t>(BitmapBlockBytes(width, height, bpp));
    // Zero-initialised, so that the palette and the row padding start as zeros.
    auto* block = new (std::nothrow) BYTE[bytes]();
    if (block == nullptr) {
        SetLastError("Create: not enough memory for the picture");
        return nullptr;
    }

    info.dwEffWidth = stride;
    info.dwImageType = imagetype;
    head.biSize = HEADER_BYTES;
    head.biWidth = static_cast<LONG>(width);
    head.biHeight = static_cast<LONG>(height);
    head.biPlanes = 1;
    head.biBitCount = static_cast<WORD>(bpp);
    head.biCompression = 0;
    head.biSizeImage = stride * height;
    head.biClrUsed = colours;
    head.biClrImportant = 0;

    std::memcpy(block, &head, HEADER_BYTES);
    pDib = block;
    info.pImage = block + HEADER_BYTES + 4 * colours;
    return pDib;
}

bool CImageRecord::Transfer(CImageRecord& from)
{
    if (&from == this) {
        return true;
    }
    Destroy();
    head = from.head;
    info = from.info;
    pDib = from.pDib;
    pSelection = from.pSelection;
    pAlpha = from.pAlpha;
    std::memcpy(szLastWarning, from.szLastWarning, sizeof(szLastWarning));

    std::memset(&from.head, 0, sizeof(from.head));
    std::memset(&from.info, 0, sizeof(from.info));
    from.pDib = nullptr;
    from.pSelection = nullptr;
    from.pAlpha = nullptr;
    from.szLastWarning[0] = '\0';
    return true;
}

void CImageRecord::Destroy()
{
    if (pDib != nullptr && info.pGhost == nullptr) {
        delete[] pSelection;
        delete[] pAlpha;
        delete[] static_cast<BYTE*>(pDib);
        pSelection = nullptr;
        pAlpha = nullptr;
        pDib = nullptr;
        info.pImage = nullptr;
        // Without a picture the record reports no size, so that nothing reads stale rows.
        head.biWidth = 0;
        head.biHeight = 0;
        head.biBitCount = 0;
        head.biSizeImage = 0;
        head.biClrUsed = 0;
        info.dwEffWidth = 0;
    }
}

RGBQUAD CImageRecord::GetPixelRgb(long x, long y) const
{
    if (pDib != nullptr && x >= 0 && x < head.biWidth && y >= 0 && y < head.biHeight) {
        const BYTE* row = info.pImage + static_cast<std::size_t>(y) * info.dwEffWidth;
        if (head.biClrUsed != 0) {
            // Palette picture: 1, 4 or 8 bits per index, the leftmost pixel in the high bits.
            const unsigned bits = head.biBitCount;
            const std::size_t bitOffset = static_cast<std::size_t>(x) * bits;
            const unsigned shift = 8 - bits - static_cast<unsigned>(bitOffset % 8);
            const unsigned index = (row[bitOffset / 8] >> shift) & ((1U << bits) - 1);
            if (index < head.biClrUsed) {
                return GetPalette()[index];
            }
            return RGBQUAD{0, 0, 0, 0};
        }
        const BYTE* pixel = row + 3 * static_cast<std::size_t>(x);
        return RGBQUAD{pixel[0], pixel[1], pixel[2], 0};
    }
    if (info.nBkgndIndex != -1 && head.biBitCount < 24 && pDib != nullptr &&
        info.nBkgndIndex >= 0 && static_cast<DWORD>(info.nBkgndIndex) < head.biClrUsed) {
        return GetPalette()[info.nBkgndIndex];
    }
    return info.nBkgndColor;
}

bool CImageRecord::LoadFile(const char* filename, DWORD imagetype)
{
    if (filename == nullptr) {
        Destroy();
        return false;
    }
    if (imagetype > IMAGE_FORMAT_UNKNOWN && imagetype < CMAX_IMAGE_FORMATS) {
        CImageIOFile file;
        if (!file.Open(filename, "rb")) {
            Destroy();
            return false;
        }
        const bool ok = Decode(file, imagetype);
        file.Close();
        if (ok) {
            return true;
        }
    }

    // Try again with detection: the file may not be what its caller thought.
    char typedError[sizeof(info.szLastError)];
    std::memcpy(typedError, info.szLastError, sizeof(typedError));

    CImageIOFile file;
    if (!file.Open(filename, "rb")) {
        Destroy();
        return false;
    }
    const bool ok = Decode(file, IMAGE_FORMAT_UNKNOWN);
    file.Close();
    if (ok || imagetype == IMAGE_FORMAT_UNKNOWN) {
        return ok;
    }
    // Keep the message of the typed attempt, which says more than the detection's.
    std::memcpy(info.szLastError, typedError, sizeof(typedError));
    return false;
}

bool CImageRecord::Decode(CImageFile& file, DWORD imagetype)
{
    if (imagetype == IMAGE_FORMAT_UNKNOWN) {
        const long start = file.Tell();
        static const DWORD detectionOrder[] = {IMAGE_FORMAT_BMP,  IMAGE_FORMAT_JPG,
                                               IMAGE_FORMAT_ICO,  IMAGE_FORMAT_GIF,
                                               IMAGE_FORMAT_WBMP, IMAGE_FORMAT_WMF};
        for (DWORD format : detectionOrder) {
            CImageRecord attempt(format);
            attempt.info.nEscape = info.nEscape;
            if (attempt.DecodeFormat(file, format)) {
                Transfer(attempt);
                return true;
            }
            file.Seek(start < 0 ? 0 : start, SEEK_SET);
        }
        Destroy();
        SetLastError(UNKNOWN_FORMAT_TEXT);
        return false;
    }
    if (imagetype < CMAX_IMAGE_FORMATS) {
        CImageRecord attempt(imagetype);
        attempt.info.nEscape = info.nEscape;
        if (attempt.DecodeFormat(file, imagetype)) {
            Transfer(attempt);
            return true;
        }
        Destroy();
        std::memcpy(info.szLastError, attempt.info.szLastError, sizeof(info.szLastError));
        return false;
    }
    Destroy();
    SetLastError(UNKNOWN_FORMAT_TEXT);
    return false;
}

bool CImageRecord::DecodeFormat(CImageFile& file, DWORD imagetype)
{
    switch (imagetype) {
    case IMAGE_FORMAT_BMP:
        return DecodeBmp(file);
    case IMAGE_FORMAT_JPG:
        return DecodeJpeg(file);
    case IMAGE_FORMAT_ICO:
        return DecodeIco(file);
    case IMAGE_FORMAT_GIF:
        return DecodeGif(file);
    case IMAGE_FORMAT_WBMP:
        return DecodeWbmp(file);
    case IMAGE_FORMAT_WMF:
        return DecodeWmf(file);
    default:
        SetLastError(UNKNOWN_FORMAT_TEXT);
        return false;
    }
}
