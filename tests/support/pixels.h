#ifndef QV_TESTS_SUPPORT_PIXELS_H
#define QV_TESTS_SUPPORT_PIXELS_H

#include "geometry/cpoint2d.h"
#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <utility>

/// Pixels as (column, row) pairs, and pixels with their colours.
using PixelSet = std::set<std::pair<int, int>>;
using Picture = std::map<std::pair<int, int>, PixelType>;
using ColourAt = std::function<PixelType(int col, int row)>;

/// The buffer's pixels that differ from the expected colours, with their own colours.
Picture Unlike(const CBuffer2D& buffer, const ColourAt& expected);
inline Picture ColoursNot(const CBuffer2D& buffer, PixelType background)
{
    return Unlike(buffer, [background](int, int) { return background; });
}
PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background);
inline PixelSet Painted(const CBuffer2D& buffer)
{
    return PixelsNot(buffer, NO_COLOUR);
}
/// A 24-bit picture of width x height whose pixel (x, y), y from the bottom, is colour(x, y).
void MakePicture(CImageRecord& image, int width, int height, const ColourAt& colour);
/// Paints pixels over an expected picture in one colour.
void Paint(Picture& picture, const PixelSet& pixels, PixelType colour);
/// A small picture as text, one string per row from the top, the last one at row `bottom`;
/// '#' marks a pixel, column 0 is the first character.
PixelSet Art(std::initializer_list<const char*> rows, int bottom = 0);
/// Keeps the pixels inside width x height, or wraps them into it.
PixelSet Fit(const PixelSet& pixels, int width, int height, bool wrap);

// Reference drawing, written apart from the product: a line as the rounded exact line (a tie
// stays on the start's side); a circle's 25 chords with corners computed from their angles;
// the ship (radius 15) as a white dart, each line there and back, then its guard circle in
// NO_COLOUR; an asteroid's four lobes of radius 15.
void AddLine(PixelSet& pixels, CPoint2D p, CPoint2D q);
void AddCircle(PixelSet& pixels, CPoint2D centre, double radius);
Picture ShipPicture(CPoint2D centre, double heading);
PixelSet AsteroidPixels(CPoint2D centre);

#endif
