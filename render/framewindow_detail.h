#ifndef QV_RENDER_FRAMEWINDOW_DETAIL_H
#define QV_RENDER_FRAMEWINDOW_DETAIL_H

// Read-only views of the graphics window's state, for diagnostics and tests.

struct SDL_Window;
class CZoomMenu;

/// The SDL window while one is open; null when closed or without a display.
SDL_Window* FrameWindowSdlWindow();
/// True while the window is "open" without a graphics display.
bool FrameWindowIsHeadless();
/// The zoom menu (closed whenever no window is open).
const CZoomMenu& FrameWindowMenu();

#endif
