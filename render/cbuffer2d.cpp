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
        const RGBQUAD rgb = m_image.GetPixelRgb(static_cast<long>(i), static_cast<long>(j));
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
    // The differences and the error term are kept in 64 bits so that end
    // points far outside the buffer cannot overflow them.
    const int x1 = q.X();
    const int y1 = q.Y();
    int x = p.X();
    int y = p.Y();
    const std::int64_t dx = static_cast<std::int64_t>(x1) - x;
    const std::int64_t dy = static_cast<std::int64_t>(y1) - y;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;

    if (adx >= ady) {
        std::int64_t e = 2 * ady - adx;
        while (x != x1) {
            SetPixel(x, y, colour);
            if (e > 0) {
                e += 2 * (ady - adx);
                y += sy;
            } else {
                e += 2 * ady;
            }
            x += sx;
        }
    } else {
        std::int64_t e = 2 * adx - ady;
        while (y != y1) {
            SetPixel(x, y, colour);
            if (e > 0) {
                e += 2 * (adx - ady);
                x += sx;
            } else {
                e += 2 * adx;
            }
            y += sy;
        }
    }
    SetPixel(x, y, colour);
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
