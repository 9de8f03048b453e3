#ifndef QV_GEOMETRY_CCIRCLE2D_H
#define QV_GEOMETRY_CCIRCLE2D_H

#include "geometry/cshape2d.h"

/// The vertex count of a circle: its centre.
constexpr int CCIRCLE2D_NPTS = 1;
/// The number of chords a circle is drawn with.
constexpr int CCIRCLE2D_SEGMENTS = 25;

/// A circle: one vertex (the centre) and a radius, drawn as an inscribed
/// regular 25-gon. The inherited extents are the centre's coordinates.
class CCircle2D : public CShape2D
{
public:
    /// The unit circle at the origin.
    explicit CCircle2D(PixelType colour);
    CCircle2D(CPoint2D c, double r, PixelType colour);

    void SetCircle(CPoint2D c, double r);
    double Radius() const { return m_radius; }
    CPoint2D Centre() const override;
    /// Draws 25 chords counter-clockwise, starting straight above the
    /// centre's pixel at the whole-pixel part of the radius.
    void Render(CBuffer2D& buffer) const override;

private:
    double m_radius = 1.0;
};

#endif
