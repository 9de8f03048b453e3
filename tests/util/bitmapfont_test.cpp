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

TEST(BitmapFont, PrintableGlyphsAreDistinctAndInsideTheirCells)
{
    const unsigned outside = ~((1U << FONT_GLYPH_WIDTH) - 1);
    std::set<Glyph> seen;
    for (char c = ' '; c <= '~'; ++c) {
        const Glyph glyph = GlyphOf(c);
        bool lit = false;
        for (std::uint8_t bits : glyph) {
            EXPECT_EQ(bits & outside, 0U) << c;
            lit = lit || bits != 0;
        }
        EXPECT_EQ(lit, c != ' ') << c;
        EXPECT_TRUE(seen.insert(glyph).second) << c << " looks like another character";
    }
    // 'A': a rounded top (.###.), the crossbar on the fourth row; 'L': a full foot.
    EXPECT_EQ(FontGlyphRow('A', 0), 0x0E);
    EXPECT_EQ(FontGlyphRow('A', 3), 0x1F);
    EXPECT_EQ(FontGlyphRow('L', 6), 0x1F);
    for (char c : {'\0', '\n', '\x7f', static_cast<char>(0xC3)}) {
        EXPECT_EQ(GlyphOf(c), Glyph{}) << static_cast<int>(c);
    }
    EXPECT_EQ(FontGlyphRow('A', -1), 0);
    EXPECT_EQ(FontGlyphRow('A', FONT_GLYPH_HEIGHT), 0);
}
