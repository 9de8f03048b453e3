#ifndef QV_RENDER_CSCREEN_H
#define QV_RENDER_CSCREEN_H

#include "geometry/cpoint2d.h"
#include "render/cbuffer2d.h"

class CImageRecord;
class CShape2D;

/// The drawing surface the game sees: a pixel buffer shown in the graphics
/// window, with an optional background picture kept in a second buffer.
///
/// Building a screen opens the window at the buffer's size; destroying it
/// closes the window. Only one screen can be open at a time. Everything is
/// drawn into the screen buffer and becomes visible at the next Refresh().
/// The window keeps a pointer to the buffer's storage between refreshes,
/// which stays valid because the screen never changes its size.
class CScreen : public CBuffer2D
{
public:
    /// 256 x 256, clipping, titled "Default", cleared to black.
    CScreen();
    /// width x height with the given wrap-around, cleared to colour
    /// (NO_COLOUR or 0..MAXCOLOUR; NO_COLOUR shows white).
    CScreen(const char* title, int width, int height, PixelType colour, bool wrapAround);
    /// The size of a valid picture, which becomes the background and is
    /// drawn into the screen buffer (not shown before the first Refresh()).
    CScreen(const char* title, const CImageRecord& bgImg, bool wrapAround);
    /// Closes the window, so that a new screen can be built.
    ~CScreen();

    // There is one window per process: a copy would close it when destroyed.
    CScreen(const CScreen&) = delete;
    CScreen& operator=(const CScreen&) = delete;

    /// Whether a screen exists whose window was opened.
    static bool IsOpen() { return m_isOpen; }
    bool HasBackground() const { return m_hasBackground; }

    /// Shows the screen buffer in the window and handles the window's
    /// pending events.
    void Refresh();
    /// Makes a picture of exactly the screen's size the new background,
    /// without touching the screen buffer.
    void SetBackground(const CImageRecord& image);
    /// The screen buffer becomes a copy of the background (its pixels and its
    /// wrap-around flag).
    void DrawBackground();
    /// Copies a picture with its bottom-left pixel at position.
    void DrawImage(CPoint2D position, const CImageRecord& image);
    /// Lets the shape draw itself into the screen buffer.
    void DrawShape(const CShape2D& shape);
    /// A 3 x 3 block centred on the point, clipped or wrapped pixel by pixel.
    void DrawShape(CPoint2D point, PixelType colour);
    /// The segment from start to start plus offset taken in polar form
    /// (offset's x the length, its y the angle), and a circle of radius 2
    /// around start.
    void DrawVector(CPoint2D start, CPoint2D offset, PixelType colour);

private:
    /// Opens the window and fills the buffer: the background when there is
    /// one and colour is NO_COLOUR, colour otherwise. Presents nothing.
    bool Open(const char* title, PixelType colour);

    /// The background picture once set, the screen's size; a 1 x 1
    /// placeholder before.
    CBuffer2D m_background;
    bool m_hasBackground = false;

    static bool m_isOpen;
};

#endif
