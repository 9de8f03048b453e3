#include "render/cscreen.h"

#include "geometry/ccircle2d.h"
#include "geometry/cshape2d.h"
#include "image/cimagerecord.h"
#include "render/framewindow.h"
#include "util/assertion.h"

bool CScreen::m_isOpen = false;

namespace {

constexpr int DEFAULT_SIZE = 256;
// Radius of the circle that marks a vector's start.
constexpr double VECTOR_START_RADIUS = 2.0;

// Checked before any buffer is built from the picture, so that a picture that
// failed to load is reported as such rather than as a size violation.
const CImageRecord& ValidPicture(const CImageRecord& bgImg)
{
    QV_ASSERT(bgImg.IsValid());
    return bgImg;
}

} // namespace

CScreen::CScreen() : CBuffer2D(DEFAULT_SIZE, DEFAULT_SIZE, false), m_background(1, 1, true)
{
    QV_ASSERT(!m_isOpen);
    m_isOpen = Open("Default", 0);
}

CScreen::CScreen(const char* title, int width, int height, PixelType colour, bool wrapAround)
    : CBuffer2D(width, height, wrapAround), m_background(1, 1, true)
{
    QV_ASSERT(!m_isOpen);
    m_isOpen = Open(title, colour);
}

CScreen::CScreen(const char* title, const CImageRecord& bgImg, bool wrapAround)
    : CBuffer2D(ValidPicture(bgImg), wrapAround), m_background(bgImg, false), m_hasBackground(true)
{
    QV_ASSERT(!m_isOpen);
    m_isOpen = Open(title, NO_COLOUR);
}

CScreen::~CScreen()
{
    FrameWindowClose();
    m_isOpen = false;
}

bool CScreen::Open(const char* title, PixelType colour)
{
    // clang-format off
    QV_ASSERT(colour == NO_COLOUR || (0 <= colour && colour <= MAXCOLOUR));
    // clang-format on
    // The window layer reports 0 when the game cannot go on; the one built
    // here never does (without a display it warns and goes on headless).
    if (FrameWindowOpen(title, Width(), Height()) == 0) {
        return false;
    }
    if (HasBackground() && colour == NO_COLOUR) {
        DrawBackground();
    } else {
        Clear(colour);
    }
    return true;
}

void CScreen::Refresh()
{
    FrameWindowUpdate(GetPixels());
}

void CScreen::SetBackground(const CImageRecord& image)
{
    // The picture's size is unsigned, the buffer's signed; both are positive
    // here, so the comparison is exact.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
    // clang-format off
    QV_ASSERT(IsOpen() && image.IsValid() && image.GetWidth()==Width() && image.GetHeight()==Height());
    // clang-format on
#pragma GCC diagnostic pop
    if (!m_hasBackground) {
        // Gives the background the screen's size and wrap-around flag.
        m_background = static_cast<const CBuffer2D&>(*this);
    }
    m_background.CopyImage(ORIGIN, image);
    m_hasBackground = true;
}

void CScreen::DrawBackground()
{
    QV_ASSERT(HasBackground());
    // Equal sizes: the storage the window points to is reused.
    CBuffer2D::operator=(m_background);
}

void CScreen::DrawImage(CPoint2D position, const CImageRecord& image)
{
    CopyImage(position, image);
}

void CScreen::DrawShape(const CShape2D& shape)
{
    shape.Render(*this);
}

void CScreen::DrawShape(CPoint2D point, PixelType colour)
{
    const int centreCol = point.X();
    const int centreRow = point.Y();
    for (int col = centreCol - 1; col <= centreCol + 1; ++col) {
        for (int row = centreRow - 1; row <= centreRow + 1; ++row) {
            SetPixel(col, row, colour);
        }
    }
}

void CScreen::DrawVector(CPoint2D start, CPoint2D offset, PixelType colour)
{
    const CPoint2D end = start + CPoint2D(offset.Xd(), offset.Yd(), true);
    RenderLine(start, end, colour);
    DrawShape(CCircle2D(start, VECTOR_START_RADIUS, colour));
}
