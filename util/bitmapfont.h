#ifndef QV_UTIL_BITMAPFONT_H
#define QV_UTIL_BITMAPFONT_H

#include <cstdint>

// A small built-in bitmap font covering printable ASCII (32..126), for text
// drawn into pixel buffers and pictures: menus, titles and the like.

constexpr int FONT_GLYPH_WIDTH = 5;
constexpr int FONT_GLYPH_HEIGHT = 7;

/// Row `row` (0 = top) of the glyph for c: bit (FONT_GLYPH_WIDTH - 1 - col) is set when column col
/// is lit. Characters outside 32..126 give a blank glyph, as do rows outside
/// 0..FONT_GLYPH_HEIGHT-1.
std::uint8_t FontGlyphRow(char c, int row);

#endif
