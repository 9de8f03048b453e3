#ifndef QV_GEOMETRY_CRECT2D_H
#define QV_GEOMETRY_CRECT2D_H

#include "geometry/cshape2d.h"

/// The vertex count of a rectangle.
constexpr int CRECT2D_NPTS = 4;

/// An axis-aligned rectangle. Vertices run lower-left, top-left, top-right,
/// bottom-right; the two corners not given are rounded to whole pixels.
class CRect2D : public CShape2D
{
public:
    /// From (0, 0) to (1, 1).
    explicit CRect2D(PixelType colour);
    CRect2D(CPoint2D lowerLeft, CPoint2D topRight, PixelType colour);

    void SetRect(CPoint2D lowerLeft, CPoint2D topRight);
    /// The midpoint of the lower-left and top-right corners.
    CPoint2D Centre() const override;
    /// True when p lies inside or on the border; a rectangle of zero width
    /// or height contains nothing.
    bool Contains(CPoint2D p) const;
};

#endif
