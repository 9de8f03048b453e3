#include "util/bitmapfont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

// Every byte value, with one row past each edge of the cell: only printable characters but the
// space have pixels, all inside the cell and no two alike.
TEST(BitmapFont, PrintableGlyphsAreDistinctAndInsideTheirCells)
{
    std::set<std::vector<unsigned>> seen;
    for (int c = 0; c < 256; ++c) {
        std::vector<unsigned> rows;
        for (int row = -1; row <= FONT_GLYPH_HEIGHT; ++row) {
            rows.push_back(FontGlyphRow(static_cast<char>(c), row));
            EXPECT_EQ(rows.back() >> FONT_GLYPH_WIDTH, 0U) << c;
        }
        const bool printable = c > ' ' && c <= '~';
        EXPECT_EQ(std::count(rows.begin(), rows.end(), 0U) < FONT_GLYPH_HEIGHT + 2, printable) << c;
        EXPECT_TRUE(!printable ||
                    (rows.front() == 0 && rows.back() == 0 && seen.insert(rows).second))
            << c;
    }
    // 'A': a rounded top (.###.), the crossbar on the fourth row; 'L': a full foot.
    EXPECT_EQ(FontGlyphRow('A', 0), 0x0E);
    EXPECT_EQ(FontGlyphRow('A', 3), 0x1F);
    EXPECT_EQ(FontGlyphRow('L', 6), 0x1F);
}
