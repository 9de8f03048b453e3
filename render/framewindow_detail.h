#ifndef QV_RENDER_FRAMEWINDOW_DETAIL_H
#define QV_RENDER_FRAMEWINDOW_DETAIL_H

// Test seams: read-only views of the graphics window's state, which only the
// tests use.

struct SDL_Window;
class CZoomMenu;

/// The SDL window while one is open; null when closed or without a display.
SDL_Window* FrameWindowSdlWindow();
/// The zoom menu (closed whenever no window is open).
const CZoomMenu& FrameWindowMenu();

#endif
