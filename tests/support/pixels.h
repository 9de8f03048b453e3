#ifndef QV_TESTS_SUPPORT_PIXELS_H
#define QV_TESTS_SUPPORT_PIXELS_H

#include "geometry/cpoint2d.h"
#include "render/cbuffer2d.h"

#include <initializer_list>
#include <map>
#include <set>
#include <utility>

/// Pixels as (column, row) pairs.
using PixelSet = std::set<std::pair<int, int>>;

/// Every pixel of the buffer that holds another colour than background.
PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background);
inline PixelSet Painted(const CBuffer2D& buffer) { return PixelsNot(buffer, NO_COLOUR); }
/// How many pixels of the buffer hold exactly colour.
int CountPixels(const CBuffer2D& buffer, PixelType colour);

/// The pixels of a buffer that differ from background, with their colours.
using Picture = std::map<std::pair<int, int>, PixelType>;
Picture ColoursNot(const CBuffer2D& buffer, PixelType background);
/// Paints pixels over an expected picture in one colour.
void Paint(Picture& picture, const PixelSet& pixels, PixelType colour);

/// A small picture drawn as text: one string per row, the top row first and the last one at
/// row `bottom`; '#' marks a pixel, column 0 is the first character.
PixelSet Art(std::initializer_list<const char*> rows, int bottom = 0);

/// Reference drawing, written apart from the product: the pixels of a line as the rounding
/// of the exact line (a tie stays on the starting pixel's side), and the 25 chords of a circle
/// with corners computed directly from their angle.
void AddLine(PixelSet& pixels, int x0, int y0, int x1, int y1);
inline void AddLine(PixelSet& pixels, CPoint2D p, CPoint2D q)
{
    AddLine(pixels, p.X(), p.Y(), q.X(), q.Y());
}
void AddCircle(PixelSet& pixels, CPoint2D centre, double radius);
/// The ship (radius 15) as drawn: a white dart, every line there and back, then its guard
/// circle in NO_COLOUR. An asteroid: its four lobes of radius 15 around its centre.
Picture ShipPicture(CPoint2D centre, double heading);
PixelSet AsteroidPixels(CPoint2D centre);
/// Keeps the pixels inside width x height, or wraps them into it.
PixelSet Fit(const PixelSet& pixels, int width, int height, bool wrap);

#endif
