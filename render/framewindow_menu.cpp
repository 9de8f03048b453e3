#include "render/framewindow_menu.h"

#include "util/bitmapfont.h"

#include <algorithm>

namespace {

const char* const ENTRY_TEXTS[ZOOM_MENU_ENTRIES] = {"Zoom 1 x 1", "Zoom 2 x 2", "Zoom 4 x 4"};
const int ENTRY_FACTORS[ZOOM_MENU_ENTRIES] = {1, 2, 4};

constexpr int ENTRIES_TOP = ZOOM_MENU_BORDER + ZOOM_MENU_PADDING;

void FillRect(std::uint32_t* pixels, int left, int top, int width, int height, std::uint32_t colour)
{
    for (int row = top; row < top + height; ++row) {
        std::fill_n(pixels + row * ZOOM_MENU_WIDTH + left, width, colour);
    }
}

// Draws one line of text with its top-left corner at (left, top), each font
// pixel as a square of ZOOM_MENU_TEXT_SCALE pixels, one empty column between
// glyphs. Text that would run past the menu's right edge is cut off.
void DrawText(std::uint32_t* pixels, const char* text, int left, int top, std::uint32_t colour)
{
    const int advance = (FONT_GLYPH_WIDTH + 1) * ZOOM_MENU_TEXT_SCALE;
    for (int i = 0; text[i] != '\0'; ++i) {
        const int glyphLeft = left + i * advance;
        for (int row = 0; row < FONT_GLYPH_HEIGHT; ++row) {
            const unsigned bits = FontGlyphRow(text[i], row);
            for (int col = 0; col < FONT_GLYPH_WIDTH; ++col) {
                const int x = glyphLeft + col * ZOOM_MENU_TEXT_SCALE;
                if ((bits & (1U << (FONT_GLYPH_WIDTH - 1 - col))) == 0 ||
                    x + ZOOM_MENU_TEXT_SCALE > ZOOM_MENU_WIDTH - ZOOM_MENU_BORDER) {
                    continue;
                }
                FillRect(pixels, x, top + row * ZOOM_MENU_TEXT_SCALE, ZOOM_MENU_TEXT_SCALE,
                         ZOOM_MENU_TEXT_SCALE, colour);
            }
        }
    }
}

} // namespace

const char* CZoomMenu::EntryText(int entry)
{
    return entry >= 0 && entry < ZOOM_MENU_ENTRIES ? ENTRY_TEXTS[entry] : "";
}

int CZoomMenu::EntryFactor(int entry)
{
    return entry >= 0 && entry < ZOOM_MENU_ENTRIES ? ENTRY_FACTORS[entry] : 1;
}

void CZoomMenu::Open(int x, int y, int areaWidth, int areaHeight)
{
    m_left = std::max(0, std::min(x, areaWidth - ZOOM_MENU_WIDTH));
    m_top = std::max(0, std::min(y, areaHeight - ZOOM_MENU_HEIGHT));
    m_isOpen = true;
    m_highlighted = EntryAt(x, y);
}

void CZoomMenu::Close()
{
    m_isOpen = false;
    m_highlighted = -1;
}

bool CZoomMenu::Contains(int x, int y) const
{
    return m_isOpen && x >= m_left && x < m_left + ZOOM_MENU_WIDTH && y >= m_top &&
           y < m_top + ZOOM_MENU_HEIGHT;
}

int CZoomMenu::EntryAt(int x, int y) const
{
    if (!Contains(x, y)) {
        return -1;
    }
    const int inner = x - m_left;
    const int offset = y - m_top - ENTRIES_TOP;
    if (inner < ZOOM_MENU_BORDER || inner >= ZOOM_MENU_WIDTH - ZOOM_MENU_BORDER || offset < 0 ||
        offset >= ZOOM_MENU_ENTRIES * ZOOM_MENU_ENTRY_HEIGHT) {
        return -1;
    }
    return offset / ZOOM_MENU_ENTRY_HEIGHT;
}

int CZoomMenu::EntryCentreX() const
{
    return m_left + ZOOM_MENU_WIDTH / 2;
}

int CZoomMenu::EntryCentreY(int entry) const
{
    return m_top + ENTRIES_TOP + entry * ZOOM_MENU_ENTRY_HEIGHT + ZOOM_MENU_ENTRY_HEIGHT / 2;
}

bool CZoomMenu::Hover(int x, int y)
{
    const int entry = EntryAt(x, y);
    if (entry == m_highlighted) {
        return false;
    }
    m_highlighted = entry;
    return true;
}

void CZoomMenu::Paint(std::uint32_t* pixels) const
{
    FillRect(pixels, 0, 0, ZOOM_MENU_WIDTH, ZOOM_MENU_HEIGHT, ZOOM_MENU_FRAME);
    FillRect(pixels, ZOOM_MENU_BORDER, ZOOM_MENU_BORDER, ZOOM_MENU_WIDTH - 2 * ZOOM_MENU_BORDER,
             ZOOM_MENU_HEIGHT - 2 * ZOOM_MENU_BORDER, ZOOM_MENU_BACKGROUND);
    const int textHeight = FONT_GLYPH_HEIGHT * ZOOM_MENU_TEXT_SCALE;
    for (int entry = 0; entry < ZOOM_MENU_ENTRIES; ++entry) {
        const int top = ENTRIES_TOP + entry * ZOOM_MENU_ENTRY_HEIGHT;
        std::uint32_t textColour = ZOOM_MENU_TEXT;
        if (entry == m_highlighted) {
            FillRect(pixels, ZOOM_MENU_BORDER, top, ZOOM_MENU_WIDTH - 2 * ZOOM_MENU_BORDER,
                     ZOOM_MENU_ENTRY_HEIGHT, ZOOM_MENU_HIGHLIGHT);
            textColour = ZOOM_MENU_HIGHLIGHT_TEXT;
        }
        DrawText(pixels, ENTRY_TEXTS[entry], ZOOM_MENU_TEXT_LEFT,
                 top + (ZOOM_MENU_ENTRY_HEIGHT - textHeight) / 2, textColour);
    }
}
