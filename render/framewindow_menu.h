#ifndef QV_RENDER_FRAMEWINDOW_MENU_H
#define QV_RENDER_FRAMEWINDOW_MENU_H

#include <cstdint>

// The graphics window's zoom menu: a small pop-up list of three entries that
// opens at the pointer on a right click. This class holds its placement, the
// entry under the pointer and its picture; the window draws that picture over
// the shown frame, never into the game's own buffer. Coordinates are window
// pixels, (0, 0) at the top-left corner of the client area.

constexpr int ZOOM_MENU_ENTRIES = 3;
/// The font is drawn at twice its size, so that the entries are easy to read.
constexpr int ZOOM_MENU_TEXT_SCALE = 2;
constexpr int ZOOM_MENU_BORDER = 1;
/// Free space between the border and the entries.
constexpr int ZOOM_MENU_PADDING = 3;
constexpr int ZOOM_MENU_ENTRY_HEIGHT = 24;
/// Free space left of the text inside an entry.
constexpr int ZOOM_MENU_TEXT_LEFT = 10;
constexpr int ZOOM_MENU_WIDTH = 140;
constexpr int ZOOM_MENU_HEIGHT =
    2 * (ZOOM_MENU_BORDER + ZOOM_MENU_PADDING) + ZOOM_MENU_ENTRIES * ZOOM_MENU_ENTRY_HEIGHT;

/// Colours of the menu picture, 0x00RRGGBB.
constexpr std::uint32_t ZOOM_MENU_BACKGROUND = 0xF0F0F0;
constexpr std::uint32_t ZOOM_MENU_FRAME = 0x404040;
constexpr std::uint32_t ZOOM_MENU_TEXT = 0x000000;
constexpr std::uint32_t ZOOM_MENU_HIGHLIGHT = 0x3465A4;
constexpr std::uint32_t ZOOM_MENU_HIGHLIGHT_TEXT = 0xFFFFFF;

class CZoomMenu
{
public:
    /// The text of an entry, "Zoom 1 x 1", "Zoom 2 x 2" or "Zoom 4 x 4".
    static const char* EntryText(int entry);
    /// The zoom factor of an entry: 1, 2 or 4.
    static int EntryFactor(int entry);

    /// Opens the menu with its top-left corner at the pointer (x, y), moved
    /// left and up as far as needed to keep it inside an area of
    /// areaWidth x areaHeight (but never past the top-left corner).
    void Open(int x, int y, int areaWidth, int areaHeight);
    void Close();
    bool IsOpen() const { return m_isOpen; }
    int Left() const { return m_left; }
    int Top() const { return m_top; }

    /// Whether (x, y) lies on the open menu, border included.
    bool Contains(int x, int y) const;
    /// The entry at (x, y) on the open menu, or -1 (also on border and padding).
    int EntryAt(int x, int y) const;
    /// Centre of an entry in window pixels, where a click chooses it.
    int EntryCentreX() const;
    int EntryCentreY(int entry) const;

    /// Moves the highlight to the entry under the pointer; true when it
    /// changed, so that the picture has to be painted again.
    bool Hover(int x, int y);
    /// The highlighted entry's index, for the tests.
    int Highlighted() const { return m_highlighted; }

    /// Paints the menu into ZOOM_MENU_WIDTH x ZOOM_MENU_HEIGHT pixels
    /// (0x00RRGGBB, top line first).
    void Paint(std::uint32_t* pixels) const;

private:
    bool m_isOpen = false;
    int m_left = 0;
    int m_top = 0;
    int m_highlighted = -1;
};

#endif
