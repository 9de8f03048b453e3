#ifndef QV_TESTS_SUPPORT_PIXELS_H
#define QV_TESTS_SUPPORT_PIXELS_H
#include "geometry/cpoint2d.h"
#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

/// Pixels as (column, row) pairs, alone or with their colours.
using PixelSet = std::set<std::pair<int, int>>;
using Picture = std::map<std::pair<int, int>, PixelType>;
using ColourAt = std::function<PixelType(int col, int row)>;
/// The buffer's pixels that differ from the expected colours, with their own colours.
Picture Unlike(const CBuffer2D& buffer, const ColourAt& expected);
inline Picture ColoursNot(const CBuffer2D& buffer, PixelType background)
{
    return Unlike(buffer, [background](int, int) { return background; });
}
PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background = NO_COLOUR);
/// A 24-bit picture whose pixel (x, y), y from the bottom, is colour(x, y).
void MakePicture(CImageRecord& image, int width, int height, const ColourAt& colour);
/// Picture colours whose channels all differ from pixel to pixel, none white, grey or black.
PixelType Pattern(int x, int y);
void Paint(Picture& picture, const PixelSet& pixels, PixelType colour);
/// Rows of text from the top, the last at row `bottom`; '#' is a pixel, column 0 first.
PixelSet Art(std::initializer_list<const char*> rows, int bottom = 0);
/// Keeps the pixels inside width x height, or wraps them into it.
PixelSet Fit(const PixelSet& pixels, int width, int height, bool wrap);
/// Reference drawing: the rounded exact line (a tie stays on the start's side), a circle's 25
/// chords, the ship (radius 15) under its NO_COLOUR guard circle, an asteroid's four lobes.
void AddLine(PixelSet& pixels, CPoint2D p, CPoint2D q);
void AddCircle(PixelSet& pixels, CPoint2D centre, double radius);
Picture ShipPicture(CPoint2D centre, double heading);
PixelSet AsteroidPixels(CPoint2D centre);
inline void ExpectNear(CPoint2D p, double x, double y, double tolerance = 1e-6)
{
    EXPECT_NEAR(p.Xd(), x, tolerance);
    EXPECT_NEAR(p.Yd(), y, tolerance);
}
/// The text of a failed assertion up to its line number, as a death test pattern.
inline std::string Death(const std::string& condition, const std::string& file)
{
    return "Assertion failed: " + condition + ", file " + file + ", line ";
}
#endif
