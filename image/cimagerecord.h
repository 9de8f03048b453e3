#ifndef QV_IMAGE_CIMAGERECORD_H
#define QV_IMAGE_CIMAGERECORD_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

// The image record: a picture held as a device-independent bitmap (one heap
// block with a 40-byte header, an optional palette and the pixel rows,
// bottom line first), loaded from a file with format detection.

// The bitmap's types carry the names of the Windows bitmap format, and so
// does <windows.h>; a file may include both, in either order. BYTE, WORD,
// DWORD and LONG are the very types Windows uses (where long has 32 bits), so
// the two declarations agree. RGBQUAD and BITMAPINFOHEADER, which Windows
// defines as its own structures with the same layout, live in namespace
// qvdib: write qvdib::RGBQUAD, or bring them in with using-declarations in a
// file that does not include <windows.h>.
using BYTE = unsigned char;
using WORD = unsigned short;
using DWORD = std::conditional_t<sizeof(long) == 4, unsigned long, std::uint32_t>;
using LONG = std::conditional_t<sizeof(long) == 4, long, std::int32_t>;
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4, "DWORD and LONG have 32 bits");

namespace qvdib {

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

} // namespace qvdib

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

/// A rectangle of four 32-bit values.
struct IMAGERECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

/// State and settings of an image record.
struct IMAGEINFO
{
    /// Row stride in bytes: every row is padded to a multiple of 4 bytes.
    DWORD dwEffWidth;
    /// First byte of the pixel rows (the bottom line) inside the bitmap block.
    BYTE* pImage;
    /// Non-null when the record only borrows another record's bitmap; it never frees it then.
    void* pGhost;
    /// Format code of the picture (after a load, the code of the decoder that read it).
    DWORD dwImageType;
    /// Text of the last failure, always NUL-terminated.
    char szLastError[256];
    std::int32_t nProgress;
    /// Non-zero asks a running decode to stop.
    std::int32_t nEscape;
    /// Palette index of the background colour, -1 for none.
    std::int32_t nBkgndIndex;
    qvdib::RGBQUAD nBkgndColor;
    /// Quality setting of the JPEG format.
    BYTE nQuality;
    std::int32_t nFrame;
    std::int32_t nNumFrames;
    DWORD dwFrameDelay;
    /// Resolution in dots per inch.
    std::int32_t xDPI;
    std::int32_t yDPI;
    IMAGERECT rSelectionBox;
    BYTE nAlphaMax;
    BYTE bAlphaPaletteEnabled;
    BYTE bEnabled;
    std::int32_t xOffset;
    std::int32_t yOffset;
    DWORD dwEncodeOption;
};

/// The largest bitmap block a record will allocate (header, palette and rows): 256 MiB. Larger
/// pictures are refused before any pixel memory is taken, so that a small file declaring huge
/// dimensions cannot exhaust the memory.
constexpr std::uint64_t IMAGE_MAX_BITMAP_BYTES = 256ULL * 1024 * 1024;

class CImageFile;
struct jpeg_decompress_struct;

/// A picture held as a device-independent bitmap, loaded from a file with format detection.
/// The record never throws: a failed load leaves it without a picture and a text in
/// GetLastError().
class CImageRecord
{
public:
    /// An empty record of the given format.
    explicit CImageRecord(DWORD imagetype = IMAGE_FORMAT_UNKNOWN);
    /// Initialises the record, then loads the file; the outcome shows in IsValid() and
    /// GetLastError().
    CImageRecord(const char* filename, DWORD imagetype);
    virtual ~CImageRecord();

    // Two records never share a bitmap block: copying is not offered, moving hands the picture
    // over (Transfer).
    CImageRecord(const CImageRecord&) = delete;
    CImageRecord& operator=(const CImageRecord&) = delete;
    CImageRecord(CImageRecord&& from) noexcept;
    CImageRecord& operator=(CImageRecord&& from) noexcept;

    /// True when the record holds a picture.
    bool IsValid() const { return pDib != nullptr; }
    /// Width and height in pixels, 0 without a picture.
    DWORD GetWidth() const;
    DWORD GetHeight() const;
    /// Bits per pixel: 1, 4, 8 or 24 (0 for a record that never held a picture).
    WORD GetBpp() const { return head.biBitCount; }
    /// The row stride in bytes.
    DWORD GetEffWidth() const { return info.dwEffWidth; }
    /// The first byte of the bottom row, null without a picture.
    BYTE* GetBits() const { return info.pImage; }
    /// The bitmap block (header, palette, rows), null without a picture.
    void* GetDib() const { return pDib; }
    /// Palette entries (2, 16 or 256; 0 for 24-bit pictures) and the palette itself (null when
    /// there is none).
    DWORD GetNumColors() const { return head.biClrUsed; }
    qvdib::RGBQUAD* GetPalette() const;
    /// The colour of pixel (x, y), x from the left, y from the bottom line. Outside the picture:
    /// the background colour.
    qvdib::RGBQUAD GetPixelRgb(long x, long y) const;

    const char* GetLastError() const { return info.szLastError; }
    /// The first warning of the last successful decode (libjpeg's text, such as "Premature end
    /// of JPEG file" for a truncated file), empty when there was none.
    const char* GetLastWarning() const { return szLastWarning; }
    DWORD GetType() const { return info.dwImageType; }
    const IMAGEINFO& GetInfo() const { return info; }
    const qvdib::BITMAPINFOHEADER& GetHead() const { return head; }

    /// Resolution in dots per inch; setting it also sets the header's pixels per metre.
    long GetXDPI() const { return info.xDPI; }
    long GetYDPI() const { return info.yDPI; }
    void SetXDPI(long dpi);
    void SetYDPI(long dpi);

    /// Asks a running decode to stop (non-zero) or lets decodes run (0).
    void SetEscape(long escape) { info.nEscape = static_cast<std::int32_t>(escape); }
    long GetEscape() const { return info.nEscape; }
    /// The colour returned for pixels outside the picture, and the palette index that replaces
    /// it for palette pictures (-1 for none).
    qvdib::RGBQUAD GetBkgndColor() const { return info.nBkgndColor; }
    void SetBkgndColor(qvdib::RGBQUAD colour) { info.nBkgndColor = colour; }
    long GetBkgndIndex() const { return info.nBkgndIndex; }
    void SetBkgndIndex(long index) { info.nBkgndIndex = static_cast<std::int32_t>(index); }

    /// Makes an empty (all zero) bitmap; bpp is rounded up to 1, 4, 8 or 24. Returns the bitmap
    /// block, or null (with a text in GetLastError()) when the size is zero or too large or the
    /// memory is short; the record then holds no picture.
    void* Create(DWORD width, DWORD height, DWORD bpp, DWORD imagetype);
    /// Takes over the picture of another record, which is left empty. Returns true.
    bool Transfer(CImageRecord& from);
    /// Frees the picture.
    void Destroy();

    /// Loads a file: with a known format code that decoder first, then format detection.
    bool LoadFile(const char* filename, DWORD imagetype);
    /// Reads a picture from a file object: with IMAGE_FORMAT_UNKNOWN the decoders are tried in
    /// the order BMP, JPEG, icon, GIF, WBMP, metafile; with a known code only that one.
    bool Decode(CImageFile& file, DWORD imagetype);

    /// Bytes of the bitmap block for a picture of this size (bpp already rounded).
    static std::uint64_t BitmapBlockBytes(std::uint64_t width, std::uint64_t height, DWORD bpp);

private:
    void Initialise(DWORD imagetype);
    void SetLastError(const char* text);
    /// True when a bitmap of this size may be allocated; otherwise sets the last error.
    bool CheckSize(std::uint64_t width, std::uint64_t height, DWORD bpp);
    /// Runs one decoder on this record.
    bool DecodeFormat(CImageFile& file, DWORD imagetype);
    bool DecodeJpeg(CImageFile& file);
    /// The JPEG decode after the decompression object is set up; libjpeg's fatal errors jump
    /// out of it back into DecodeJpeg.
    bool ReadJpeg(jpeg_decompress_struct& cinfo);
    bool DecodeBmp(CImageFile& file);
    bool DecodeGif(CImageFile& file);
    bool DecodeIco(CImageFile& file);
    bool DecodeWbmp(CImageFile& file);
    bool DecodeWmf(CImageFile& file);
    /// Refuses data in a decoder that cannot read its own format: isMine
    /// chooses between notMine and "<format> cannot be read by this program".
    bool RefuseFormat(bool isMine, const char* notMine, const char* format);

    /// The bitmap block (header copy, palette, rows), owned; null without a picture.
    void* pDib;
    qvdib::BITMAPINFOHEADER head;
    IMAGEINFO info;
    /// Optional selection and alpha planes, owned; null for every picture loaded here.
    BYTE* pSelection;
    BYTE* pAlpha;
    /// See GetLastWarning().
    char szLastWarning[200];
};

#endif
