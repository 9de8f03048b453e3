#ifndef QV_GEOMETRY_CLINE2D_H
#define QV_GEOMETRY_CLINE2D_H

#include "geometry/cshape2d.h"

/// A line segment p0-p1 with a colour, drawn as a closed two-vertex shape.
/// Also offers the geometry of the infinite line through p0 and p1.
class CLine2D : public CShape2D
{
public:
    /// The slope tolerance: lines whose slopes differ by less are parallel,
    /// and a line whose x extent is smaller is vertical.
    static constexpr double SLOPE_TOLERANCE = 1e-7;

    /// From (0, 0) to (1, 1).
    explicit CLine2D(PixelType colour);
    CLine2D(CPoint2D p0, CPoint2D p1, PixelType colour);

    void SetLine(CPoint2D p0, CPoint2D p1);
    /// The midpoint of the end points.
    CPoint2D Centre() const override;

    /// dy / dx; DBL_MAX for a vertical (or degenerate) line.
    double Slope() const;
    bool IsParallelTo(const CLine2D& other) const;
    /// Where the two infinite lines meet; they must not be parallel.
    CPoint2D IntersectionWith(const CLine2D& other) const;
};

#endif
