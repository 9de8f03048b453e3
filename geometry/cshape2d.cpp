#include "geometry/cshape2d.h"

#include "render/cbuffer2d.h"
#include "util/assertion.h"

CShape2D::CShape2D(int npts, bool closed, PixelType colour)
{
    SetShape(npts, closed, colour);
}

CShape2D& CShape2D::operator=(const CShape2D& other)
{
    if (this == &other) {
        return *this;
    }
    m_npts = other.m_npts;
    m_colour = other.m_colour;
    m_closed = other.m_closed;
    for (int i = 0; i < m_npts; ++i) {
        m_vertices[i] = other.m_vertices[i];
    }
    return *this;
}

void CShape2D::SetShape(int npts, bool closed, PixelType colour)
{
    QV_ASSERT(0 <= npts && npts <= SHAPE_MAX_NPTS);
    m_npts = npts;
    for (int i = 0; i < npts; ++i) {
        m_vertices[i] = ORIGIN;
    }
    m_closed = closed;
    SetColour(colour);
}

CPoint2D CShape2D::Vertex(int index) const
{
    // clang-format off
    QV_ASSERT(0<=index && index < m_npts);
    // clang-format on
    return m_vertices[index];
}

void CShape2D::SetVertex(int index, CPoint2D p)
{
    // clang-format off
    QV_ASSERT(0<=index && index < m_npts);
    // clang-format on
    m_vertices[index] = p;
}

CPoint2D CShape2D::Centre() const
{
    // Slot 0 exists (at the origin) even in a shape without vertices.
    return m_vertices[0];
}

void CShape2D::Render(CBuffer2D& buffer) const
{
    if (m_npts == 1) {
        buffer.SetPixel(m_vertices[0].X(), m_vertices[0].Y(), m_colour);
        return;
    }
    if (m_npts > 1) {
        for (int i = 1; i < m_npts; ++i) {
            buffer.RenderLine(m_vertices[i - 1], m_vertices[i], m_colour);
        }
        if (m_closed) {
            buffer.RenderLine(m_vertices[m_npts - 1], m_vertices[0], m_colour);
        }
    }
}

double CShape2D::Extent(bool ofX, bool greatest) const
{
    const auto coordinate = [ofX](const CPoint2D& p) { return ofX ? p.Xd() : p.Yd(); };
    double result = coordinate(m_vertices[0]);
    for (int i = 0; i < m_npts; ++i) {
        const double value = coordinate(m_vertices[i]);
        if (greatest ? value > result : value < result) {
            result = value;
        }
    }
    return result;
}

double CShape2D::MinX() const
{
    return Extent(true, false);
}

double CShape2D::MaxX() const
{
    return Extent(true, true);
}

double CShape2D::MinY() const
{
    return Extent(false, false);
}

double CShape2D::MaxY() const
{
    return Extent(false, true);
}

void CShape2D::Translate(double dx, double dy)
{
    for (int i = 0; i < m_npts; ++i) {
        m_vertices[i].Translate(dx, dy);
    }
}

void CShape2D::MoveTo(CPoint2D p)
{
    const CPoint2D d = p - Centre();
    Translate(d.Xd(), d.Yd());
}
