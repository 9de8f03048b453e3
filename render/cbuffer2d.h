#ifndef QV_RENDER_CBUFFER2D_H
#define QV_RENDER_CBUFFER2D_H

#include "geometry/cpoint2d.h"
#include "render/pixeltype.h"

#include <exception>

class CImageRecord;

/// The largest real colour (white).
constexpr PixelType MAXCOLOUR = 0xFFFFFF;
/// No colour: fresh storage holds it, and the window shows it as white.
constexpr PixelType NO_COLOUR = -1;

/// Inclusive upper bounds of a buffer's size.
constexpr int MAX_WIDTH = 1024;
constexpr int MAX_HEIGHT = 768;

/// Messages of the allocation-failure exceptions, one per way of getting
/// storage.
inline constexpr const char* BUFFER_DEFAULT_NO_MEMORY =
    "Insufficient memory to create default screen buffer";
inline constexpr const char* BUFFER_CUSTOM_NO_MEMORY =
    "Insufficient memory to allocate custom screen buffer";
inline constexpr const char* BUFFER_IMAGE_NO_MEMORY =
    "Insufficient memory to allocate image buffer";
inline constexpr const char* BUFFER_COPY_NO_MEMORY = "Insufficient memory to copy screen buffer";

/// Thrown when a buffer cannot get its storage. what() is exactly one of the
/// four messages above. It holds only a pointer to that static text, so
/// raising it needs no memory of its own (it is raised when memory ran out).
class CBufferAllocationError : public std::exception
{
public:
    explicit CBufferAllocationError(const char* message) noexcept : m_message(message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

/// A rectangular array of colours that everything shown is drawn into.
///
/// Pixels are addressed by column (0 = left) and row (0 = bottom line). The
/// storage is laid out top line first, each line left to right, so that it can
/// be shown as a top-down image: (col, row) is stored at index
/// (Height() - 1 - row) * Width() + col.
///
/// Writes outside the buffer are dropped (clipping) or, with wrap-around set,
/// reduced modulo the size so that they reappear at the opposite edge.
///
/// A buffer always owns storage of Width() x Height() pixels. Assignment
/// between buffers of equal pixel count reuses the storage, so a pointer from
/// GetPixels() stays valid across such assignments.
class CBuffer2D
{
public:
    /// 256 x 256, clipping, every pixel NO_COLOUR.
    /// Throws CBufferAllocationError(BUFFER_DEFAULT_NO_MEMORY).
    CBuffer2D();
    /// The given size (1..MAX_WIDTH x 1..MAX_HEIGHT), every pixel NO_COLOUR.
    /// Throws CBufferAllocationError(BUFFER_CUSTOM_NO_MEMORY).
    CBuffer2D(int width, int height, bool wrapAround);
    /// An exact copy of a valid picture (its size must fit the limits).
    /// Throws CBufferAllocationError(BUFFER_IMAGE_NO_MEMORY).
    CBuffer2D(const CImageRecord& image, bool wrapAround);
    /// Throws CBufferAllocationError(BUFFER_COPY_NO_MEMORY).
    CBuffer2D(const CBuffer2D& other);
    /// Takes the other's size, wrap-around flag and pixels. Storage is reused
    /// when the pixel counts are equal. On allocation failure this buffer is
    /// left unchanged and CBufferAllocationError(BUFFER_COPY_NO_MEMORY) is
    /// thrown.
    CBuffer2D& operator=(const CBuffer2D& other);
    ~CBuffer2D();

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Size() const { return m_width * m_height; }
    bool IsWrapAround() const { return m_wrapAround; } // for the tests
    bool IsInside(int col, int row) const
    {
        return 0 <= col && col < m_width && 0 <= row && row < m_height;
    }
    /// The storage, top line first.
    PixelType* GetPixels() { return m_pixels; }
    const PixelType* GetPixels() const { return m_pixels; }

    /// Storage index of a pixel inside the buffer.
    int Index(int col, int row) const;
    /// Colour of a pixel inside the buffer.
    PixelType GetPixel(int col, int row) const;
    /// Stores a colour at a pixel inside the buffer.
    void PutPixel(int col, int row, PixelType colour);

    /// The write all drawing uses: clipped or wrapped outside the buffer.
    void SetPixel(int col, int row, PixelType colour)
    {
        if (!IsInside(col, row)) {
            if (!m_wrapAround) {
                return;
            }
            col = Wrap(col, m_width);
            row = Wrap(row, m_height);
        }
        m_pixels[(m_height - 1 - row) * m_width + col] = colour;
    }
    /// Stores at a storage index; ignored outside 0..Size()-1.
    void SetPixelAt(int index, PixelType colour)
    {
        if (0 <= index && index < Size()) {
            m_pixels[index] = colour;
        }
    }
    /// Every pixel takes the colour.
    void Clear(PixelType colour);

    /// Draws the segment p-q (both end points included) with Bresenham's
    /// walk over the pixel coordinates p.X(), p.Y(), q.X(), q.Y().
    void RenderLine(CPoint2D p, CPoint2D q, PixelType colour);
    /// Copies a picture with its bottom-left pixel at (position.X(),
    /// position.Y()), keeping its orientation; parts outside the buffer are
    /// clipped or wrapped.
    void CopyImage(CPoint2D position, const CImageRecord& image);

private:
    /// Replaces the storage by width x height pixels of NO_COLOUR. Returns
    /// false, leaving the buffer as it was, when there is no memory.
    bool Allocate(int width, int height, bool wrapAround);

    /// The Bresenham walk of RenderLine for a line whose end points both lie
    /// inside: then every pixel does, and they are stored without checks.
    void WalkInside(int x0, int y0, int x1, int y1, PixelType colour);

    /// The Bresenham walk of RenderLine along its major axis (x, or y when
    /// yMajor is set), from (major0, minor0) over majorLength steps.
    void WalkLine(int major0, int minor0, std::int64_t majorLength, std::int64_t minorLength,
                  int majorStep, int minorStep, bool yMajor, PixelType colour);

    /// value modulo size into 0..size-1, also for negative values.
    static int Wrap(int value, int size)
    {
        const int rest = value % size;
        return rest < 0 ? rest + size : rest;
    }

    int m_width = 0;
    int m_height = 0;
    PixelType* m_pixels = nullptr;
    bool m_wrapAround = false;
};

#endif
