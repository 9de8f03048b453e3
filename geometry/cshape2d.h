#ifndef QV_GEOMETRY_CSHAPE2D_H
#define QV_GEOMETRY_CSHAPE2D_H

#include "geometry/cpoint2d.h"
#include "render/pixeltype.h"

class CBuffer2D;

/// The most vertices a shape can have.
constexpr int SHAPE_MAX_NPTS = 4;

/// An outline shape: up to SHAPE_MAX_NPTS vertices drawn as a chain of lines
/// in one colour, closed back to the first vertex when the closed flag is
/// set. Shapes are held by value; assignment copies the shape data but keeps
/// the object's own class.
class CShape2D
{
public:
    /// npts vertices (0..SHAPE_MAX_NPTS), all at the origin.
    CShape2D(int npts, bool closed, PixelType colour);
    CShape2D(const CShape2D& other) = default;
    CShape2D& operator=(const CShape2D& other);
    virtual ~CShape2D() = default;

    /// The point MoveTo places: vertex 0 unless a shape says otherwise.
    virtual CPoint2D Centre() const;
    /// Draws the outline; a single vertex is drawn as one pixel.
    virtual void Render(CBuffer2D& buffer) const;
    /// Extents of the vertices.
    virtual double MinX() const;
    virtual double MaxX() const;
    virtual double MinY() const;
    virtual double MaxY() const;

    /// Resets the shape to npts vertices at the origin.
    void SetShape(int npts, bool closed, PixelType colour);
    CPoint2D Vertex(int index) const;
    void SetVertex(int index, CPoint2D p);
    PixelType GetColour() const { return m_colour; }
    void SetColour(PixelType colour) { m_colour = colour; }

    /// Moves every vertex by (dx, dy).
    void Translate(double dx, double dy);
    /// Moves the shape so that its Centre() lands on p.
    void MoveTo(CPoint2D p);

private:
    /// The least or greatest x or y of the vertices in use (vertex 0's when none).
    double Extent(bool ofX, bool greatest) const;

    int m_npts = 0;
    CPoint2D m_vertices[SHAPE_MAX_NPTS];
    PixelType m_colour = 0;
    bool m_closed = false;
};

#endif
