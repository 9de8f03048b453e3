#include "util/bitmapfont.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

using Glyph = std::array<std::uint8_t, FONT_GLYPH_HEIGHT>;

Glyph GlyphOf(char c)
{
    Glyph glyph{};
    for (int row = 0; row < FONT_GLYPH_HEIGHT; ++row) {
        glyph[row] = FontGlyphRow(c, row);
    }
    return glyph;
}

} // namespace

TEST(BitmapFont, EveryPrintableGlyphIsDrawnInsideItsCellAndDistinct)
{
    const std::uint8_t cellMask = (1U << FONT_GLYPH_WIDTH) - 1;
    std::set<Glyph> seen;
    for (int code = 32; code <= 126; ++code) {
        const char c = static_cast<char>(code);
        const Glyph glyph = GlyphOf(c);
        bool lit = false;
        for (std::uint8_t bits : glyph) {
            EXPECT_EQ(bits & ~cellMask, 0) << "glyph '" << c << "' spills out of its cell";
            lit = lit || bits != 0;
        }
        EXPECT_EQ(lit, c != ' ') << "glyph '" << c << "'";
        // No two characters may look the same, or text could not be read back.
        EXPECT_TRUE(seen.insert(glyph).second) << "glyph '" << c << "' duplicates another";
    }
}

TEST(BitmapFont, KnownRowsAndBlankGlyphsOutsideTheRange)
{
    // 'A': a rounded top (.###.) and its crossbar (#####) on the fourth row.
    EXPECT_EQ(FontGlyphRow('A', 0), 0x0E);
    EXPECT_EQ(FontGlyphRow('A', 3), 0x1F);
    EXPECT_EQ(FontGlyphRow('A', 6), 0x11);
    // 'L': a left stem (#....) and a full foot.
    EXPECT_EQ(FontGlyphRow('L', 0), 0x10);
    EXPECT_EQ(FontGlyphRow('L', 6), 0x1F);
    // '|' is a centred stem on every row.
    for (int row = 0; row < FONT_GLYPH_HEIGHT; ++row) {
        EXPECT_EQ(FontGlyphRow('|', row), 0x04);
    }
    EXPECT_NE(GlyphOf('O'), GlyphOf('0'));
    EXPECT_NE(GlyphOf('l'), GlyphOf('1'));
    EXPECT_NE(GlyphOf('I'), GlyphOf('l'));

    for (char c : {'\0', '\n', '\x1f', '\x7f', static_cast<char>(0xC3)}) {
        EXPECT_EQ(GlyphOf(c), Glyph{}) << static_cast<int>(static_cast<unsigned char>(c));
    }
    EXPECT_EQ(FontGlyphRow('A', -1), 0);
    EXPECT_EQ(FontGlyphRow('A', FONT_GLYPH_HEIGHT), 0);
}
