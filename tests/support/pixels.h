#ifndef QV_TESTS_SUPPORT_PIXELS_H
#define QV_TESTS_SUPPORT_PIXELS_H

#include "render/cbuffer2d.h"

#include <set>
#include <utility>

/// Pixels as (column, row) pairs.
using PixelSet = std::set<std::pair<int, int>>;

/// Every pixel of the buffer that holds another colour than background.
PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background);

/// The pixels of a buffer that hold something other than NO_COLOUR.
inline PixelSet Painted(const CBuffer2D& buffer)
{
    return PixelsNot(buffer, NO_COLOUR);
}

/// How many pixels of the buffer hold exactly colour.
int CountPixels(const CBuffer2D& buffer, PixelType colour);

#endif
