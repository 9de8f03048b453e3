#include "render/cbuffer2d.h"

#include "image/cimagerecord.h"
#include "util/assertion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr int DEFAULT_WIDTH = 256;
constexpr int DEFAULT_HEIGHT = 256;

PixelType ColourOf(BYTE red, BYTE green, BYTE blue)
{
    return (static_cast<PixelType>(red) << 16) | (static_cast<PixelType>(green) << 8) |
           static_cast<PixelType>(blue);
}

// Reads the colour of picture pixel (i, j), j = 0 being the bottom line.
// 24-bit rows are read directly; palette pictures go through the record.
class CPictureReader
{
public:
    explicit CPictureReader(const CImageRecord& image)
        : m_image(image), m_bits(image.GetBpp() == 24 ? image.GetBits() : nullptr),
          m_stride(image.GetEffWidth())
    {
    }

    bool IsDirect() const { return m_bits != nullptr; }
    const BYTE* Row(DWORD j) const { return m_bits + static_cast<std::size_t>(j) * m_stride; }

    PixelType Colour(DWORD i, DWORD j) const
    {
        if (m_bits != nullptr) {
            const BYTE* bgr = Row(j) + 3 * static_cast<std::size_t>(i);
            return ColourOf(bgr[2], bgr[1], bgr[0]);
        }
        const qvdib::RGBQUAD rgb = m_image.GetPixelRgb(static_cast<long>(i), static_cast<long>(j));
        return ColourOf(rgb.rgbRed, rgb.rgbGreen, rgb.rgbBlue);
    }

private:
    const CImageRecord& m_image;
    const BYTE* m_bits;
    DWORD m_stride;
};

// value modulo size into 0..size-1 for any 64-bit value.
int WrapWide(std::int64_t value, int size)
{
    const std::int64_t rest = value % size;
    return static_cast<int>(rest < 0 ? rest + size : rest);
}

} // namespace

CBuffer2D::CBuffer2D()
{
    if (!Allocate(DEFAULT_WIDTH, DEFAULT_HEIGHT, false)) {
        throw CBufferAllocationError(BUFFER_DEFAULT_NO_MEMORY);
    }
}

CBuffer2D::CBuffer2D(int width, int height, bool wrapAround)
{
    if (!Allocate(width, height, wrapAround)) {
        throw CBufferAllocationError(BUFFER_CUSTOM_NO_MEMORY);
    }
}

CBuffer2D::CBuffer2D(const CImageRecord& image, bool wrapAround)
{
    QV_ASSERT(image.IsValid());
    // Sizes beyond the int range become negative here and are refused by
    // Allocate's preconditions like any other oversized picture.
    const int width = static_cast<int>(std::min<DWORD>(image.GetWidth(), MAX_WIDTH + 1));
    const int height = static_cast<int>(std::min<DWORD>(image.GetHeight(), MAX_HEIGHT + 1));
    if (!Allocate(width, height, wrapAround)) {
        throw CBufferAllocationError(BUFFER_IMAGE_NO_MEMORY);
    }
    CopyImage(ORIGIN, image);
}

CBuffer2D::CBuffer2D(const CBuffer2D& other)
{
    *this = other;
}

CBuffer2D& CBuffer2D::operator=(const CBuffer2D& other)
{
    if (this == &other) {
        return *this;
    }
    if (m_pixels == nullptr || Size() != other.Size()) {
        if (!Allocate(other.m_width, other.m_height, other.m_wrapAround)) {
            throw CBufferAllocationError(BUFFER_COPY_NO_MEMORY);
        }
    }
    m_width = other.m_width;
    m_height = other.m_height;
    m_wrapAround = other.m_wrapAround;
    std::memcpy(m_pixels, other.m_pixels, static_cast<std::size_t>(Size()) * sizeof(PixelType));
    return *this;
}

CBuffer2D::~CBuffer2D()
{
    delete[] m_pixels;
}

bool CBuffer2D::Allocate(int width, int height, bool wrapAround)
{
    QV_ASSERT(0 < width && width <= MAX_WIDTH);
    QV_ASSERT(0 < height && height <= MAX_HEIGHT);
    // The new block is obtained before the old one is released, so that a
    // failed request leaves the buffer whole rather than without storage.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    auto* pixels = new (std::nothrow) PixelType[count];
    if (pixels == nullptr) {
        return false;
    }
    delete[] m_pixels;
    m_pixels = pixels;
    m_wrapAround = wrapAround;
    m_width = width;
    m_height = height;
    std::fill(m_pixels, m_pixels + count, NO_COLOUR);
    return true;
}

int CBuffer2D::Index(int col, int row) const
{
    // clang-format off
    QV_ASSERT(0<=col && col<Width() && 0<=row && row<Height());
    // clang-format on
    return (m_height - 1 - row) * m_width + col;
}

PixelType CBuffer2D::GetPixel(int col, int row) const
{
    return m_pixels[Index(col, row)];
}

void CBuffer2D::PutPixel(int col, int row, PixelType colour)
{
    m_pixels[Index(col, row)] = colour;
}

void CBuffer2D::Clear(PixelType colour)
{
    std::fill(m_pixels, m_pixels + Size(), colour);
}

void CBuffer2D::RenderLine(CPoint2D p, CPoint2D q, PixelType colour)
{
    const int x0 = p.X();
    const int y0 = p.Y();
    if (IsInside(x0, y0) && IsInside(q.X(), q.Y())) {
        WalkInside(x0, y0, q.X(), q.Y(), colour);
        return;
    }
    const std::int64_t dx = static_cast<std::int64_t>(q.X()) - x0;
    const std::int64_t dy = static_cast<std::int64_t>(q.Y()) - y0;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    if (adx >= ady) {
        WalkLine(x0, y0, adx, ady, sx, sy, false, colour);
    } else {
        WalkLine(y0, x0, ady, adx, sy, sx, true, colour);
    }
}

void CBuffer2D::WalkInside(int x0, int y0, int x1, int y1, PixelType colour)
{
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    const int adx = dx < 0 ? -dx : dx;
    const int ady = dy < 0 ? -dy : dy;
    // A row up is one line earlier in the top-down storage.
    const std::ptrdiff_t xStep = dx < 0 ? -1 : 1;
    const std::ptrdiff_t yStep = dy < 0 ? m_width : -std::ptrdiff_t{m_width};
    const bool xMajor = adx >= ady;
    const int majorLength = xMajor ? adx : ady;
    const int minorLength = xMajor ? ady : adx;
    const std::ptrdiff_t majorStep = xMajor ? xStep : yStep;
    const std::ptrdiff_t minorStep = xMajor ? yStep : xStep;

    PixelType* pixel = m_pixels + Index(x0, y0);
    int error = 2 * minorLength - majorLength;
    for (int step = 0; step < majorLength; ++step) {
        *pixel = colour;
        if (error > 0) {
            error += 2 * (minorLength - majorLength);
            pixel += minorStep;
        } else {
            error += 2 * minorLength;
        }
        pixel += majorStep;
    }
    *pixel = colour;
}

void CBuffer2D::WalkLine(int major0, int minor0, std::int64_t majorLength, std::int64_t minorLength,
                         int majorStep, int minorStep, bool yMajor, PixelType colour)
{
    // The walk takes majorLength steps along the major axis, setting a pixel
    // before each step and once at the end. The error term starts at
    // 2 * minor - major; a step moves along the minor axis too when the
    // error is strictly positive.
    std::int64_t first = 0;
    std::int64_t last = majorLength;
    if (!m_wrapAround) {
        // In a clipping buffer only the steps whose major coordinate lies
        // inside can draw anything, so the walk is limited to them; a line
        // with end points far away then costs no more than one across.
        const std::int64_t size = yMajor ? m_height : m_width;
        const std::int64_t lowest = majorStep > 0 ? -std::int64_t{major0} : major0 - (size - 1);
        const std::int64_t highest = majorStep > 0 ? size - 1 - major0 : major0;
        first = std::max(first, lowest);
        last = std::min(last, highest);
        if (first > last) {
            return;
        }
    }

    // State after `first` steps: the minor axis has moved
    // floor((2 * minor * first + major - 1) / (2 * major)) times (the exact
    // line rounded, a tie staying behind), and the error has grown by
    // 2 * minor per step and lost 2 * major per minor move. 128-bit
    // products, because both factors can be near 2^32.
    using Wide = __int128;
    const std::int64_t moves =
        first == 0 ? 0
                   : static_cast<std::int64_t>((Wide{2} * minorLength * first + majorLength - 1) /
                                               (Wide{2} * majorLength));
    std::int64_t error =
        static_cast<std::int64_t>(Wide{2} * minorLength - majorLength +
                                  Wide{2} * minorLength * first - Wide{2} * majorLength * moves);
    int major = static_cast<int>(major0 + majorStep * first);
    int minor = static_cast<int>(minor0 + minorStep * moves);

    for (std::int64_t step = first;; ++step) {
        if (yMajor) {
            SetPixel(minor, major, colour);
        } else {
            SetPixel(major, minor, colour);
        }
        if (step == last) {
            break;
        }
        if (error > 0) {
            error += 2 * (minorLength - majorLength);
            minor += minorStep;
        } else {
            error += 2 * minorLength;
        }
        major += majorStep;
    }
}

void CBuffer2D::CopyImage(CPoint2D position, const CImageRecord& image)
{
    if (!image.IsValid()) {
        return;
    }
    const std::int64_t left = position.X();
    const std::int64_t bottom = position.Y();
    const DWORD w = image.GetWidth();
    const DWORD h = image.GetHeight();
    const CPictureReader reader(image);

    const bool whollyInside =
        left >= 0 && bottom >= 0 && left + w <= m_width && bottom + h <= m_height;
    if (whollyInside) {
        // Fast path: no per-pixel checks. Picture row j goes to buffer row
        // bottom + j, whose storage line is counted from the top.
        for (DWORD j = 0; j < h; ++j) {
            PixelType* out = m_pixels + (m_height - 1 - (bottom + j)) * m_width + left;
            if (reader.IsDirect()) {
                const BYTE* bgr = reader.Row(j);
                for (DWORD i = 0; i < w; ++i, bgr += 3) {
                    out[i] = ColourOf(bgr[2], bgr[1], bgr[0]);
                }
            } else {
                for (DWORD i = 0; i < w; ++i) {
                    out[i] = reader.Colour(i, j);
                }
            }
        }
        return;
    }

    for (DWORD j = 0; j < h; ++j) {
        std::int64_t row = bottom + j;
        if (row < 0 || row >= m_height) {
            if (!m_wrapAround) {
                continue;
            }
            row = WrapWide(row, m_height);
        }
        PixelType* line = m_pixels + (m_height - 1 - row) * m_width;
        for (DWORD i = 0; i < w; ++i) {
            std::int64_t col = left + i;
            if (col < 0 || col >= m_width) {
                if (!m_wrapAround) {
                    continue;
                }
                col = WrapWide(col, m_width);
            }
            line[col] = reader.Colour(i, j);
        }
    }
}
