#ifndef QV_RENDER_FRAMEWINDOW_H
#define QV_RENDER_FRAMEWINDOW_H

#include "render/pixeltype.h"

// The graphics window: one top-level desktop window that shows one frame of
// 32-bit pixels (0x00RRGGBB, first stored line at the top), stretched over
// the whole client area. The top byte of a pixel is not shown, so a pixel
// holding -1 (no colour) appears white.
//
// The window is serviced only inside FrameWindowUpdate. Besides showing the
// frame it offers:
//   - a pop-up menu on the right mouse button with "Zoom 1 x 1", "Zoom 2 x 2"
//     and "Zoom 4 x 4", and the keys 1, 2 and 4, which resize the window to
//     that multiple of its opened size and centre it again (leaving
//     fullscreen first);
//   - F11 or Alt+Enter, which toggle desktop fullscreen: the frame keeps its
//     shape, centred between black bars, and the window gets its previous
//     size and place back afterwards;
//   - Escape (when no menu is open) and closing the window end the whole
//     process at once with exit status 0, after restoring the terminal;
//   - the game's keys (FrameWindowSetGameKeys) typed in the window are queued
//     for the game as if typed in the terminal.
// Keyboard focus: the terminal carries the dialogue, so the window appears
// without taking the keyboard from it. On X11 the window asks not to be
// focused when it is mapped (a user time of 0, which window managers such as
// openbox honour); on Windows it is shown without activation. A click into
// the window gives it the keyboard, as any window.
// Keys typed in the window while it is not serviced (at the name prompt, in
// the seconds before a game, at the play-again question) wait in the window's
// queue; FrameWindowStartPlay drops them, Escape aside, so that they never
// steer, zoom or quit the game that starts. In a page it also tells the page
// that play has started, and each update tells it when the game's clock
// pauses or runs again, so that the page knows where its keys belong.
// The window carries the game's icon. A renderer reset (Windows sends one
// after a lock screen or a driver update) makes again what it lost.
// Without a graphics display, or when SDL can start only a driver that shows
// nothing (offscreen, dummy) that SDL_VIDEODRIVER did not ask for, a warning
// goes to standard error once and every call still succeeds, so the game can
// be played in the terminal alone.

/// Opens the window, titled `title`, with a client area of width x height
/// pixels, centred on the display. Returns 1 when the game can go on, and it
/// always can: a window that cannot be shown gives the warning above, not a
/// failure. (0 would mean the game cannot go on; the screen turns it into a
/// failed open, but this window layer never returns it.)
int FrameWindowOpen(const char* title, int width, int height);

/// Shows the frame at once and handles every pending window event without
/// blocking. `pixels` holds width x height values and is kept for repaints,
/// so it must stay valid until the next update or the close. Always returns 1.
int FrameWindowUpdate(const PixelType* pixels);

/// Chooses the characters typed in the window that are queued for the game as
/// terminal keys: those for which isGameKey answers true. Until it is called,
/// none are.
void FrameWindowSetGameKeys(bool (*isGameKey)(char key));

/// Play starts: the next update drops the keys typed in the window since it
/// was last serviced, all but Escape (which still ends the process then).
void FrameWindowStartPlay();

/// Closes the window, forgets the frame and lets the screen saver run again.
void FrameWindowClose();

#endif
