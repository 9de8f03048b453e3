#ifndef QV_RENDER_PIXELTYPE_H
#define QV_RENDER_PIXELTYPE_H

#include <cstdint>

/// A colour laid out as 0x00RRGGBB (blue in bits 0-7, green 8-15, red 16-23):
/// one pixel of a buffer, the colour of a shape, one value of a window frame.
using PixelType = std::int32_t;

#endif
