#include "render/framewindow_menu.h"
#include "support/pixels.h"

TEST(ZoomMenu, EntriesHitTestingAndFramedTextInTheFontAtTwiceItsSize)
{
    const char* texts[] = {"Zoom 1 x 1", "Zoom 2 x 2", "Zoom 4 x 4"};
    for (int entry = 0; entry < 3; ++entry)
        EXPECT_EQ(CZoomMenu::EntryText(entry) + std::to_string(CZoomMenu::EntryFactor(entry)),
                  texts[entry] + std::to_string(1 << entry));
    CZoomMenu menu;
    menu.Open(100, 50, 640, 480); // border 1 and padding 3 around entries of 24 lines
    const int cases[][3] = {{101, 53, -1}, {101, 54, 0},   {238, 77, 0},  {239, 77, -1},
                            {150, 125, 2}, {150, 126, -1}, {100, 60, -1}, {150, 78, 1}};
    for (const auto& [x, y, entry] : cases)
        EXPECT_EQ(menu.EntryAt(x, y), entry) << x << ", " << y;
    // The glyphs used, seven rows of five columns each, the top row first.
    const char* glyphs[] = {
        "Z#####....#...#...#...#...#....#####", "o...........###.#...##...##...#.###.",
        "m..........##.#.#.#.##.#.##...##...#", "x..........#...#.#.#...#...#.#.#...#",
        "1..#...##....#....#....#....#...###.", "2.###.#...#....#...#...#...#...#####",
        "4...#...##..#.#.#..#.#####...#....#."};
    constexpr int width = 140, height = 80;
    for (int highlighted = -1; highlighted < 3; ++highlighted) {
        if (highlighted >= 0)
            menu.Hover(menu.EntryCentreX(), menu.EntryCentreY(highlighted));
        std::vector<std::uint32_t> painted(width * height, 1), expected(width * height, 0x404040);
        menu.Paint(painted.data());
        // A frame of one pixel; entries of 24 rows from row 4; text from column 10, 5 rows down.
        for (int y = 1; y < height - 1; ++y)
            for (int x = 1; x < width - 1; ++x)
                expected[y * width + x] =
                    y >= 4 && (y - 4) / 24 == highlighted ? 0x3465A4 : 0xF0F0F0;
        for (int entry = 0; entry < 3; ++entry)
            for (int i = 0; i < 10; ++i)
                for (const char* glyph : glyphs)
                    for (int p = 0; glyph[0] == texts[entry][i] && p < 35; ++p)
                        for (int d = 0; glyph[p + 1] == '#' && d < 4; ++d)
                            expected[(9 + 24 * entry + 2 * (p / 5) + d / 2) * width + 10 + 12 * i +
                                     2 * (p % 5) + d % 2] = entry == highlighted ? 0xFFFFFF : 0;
        EXPECT_TRUE(painted == expected && menu.Highlighted() == highlighted) << highlighted;
    }
}
