#ifndef QV_TESTS_SUPPORT_XVFB_H
#define QV_TESTS_SUPPORT_XVFB_H

#include "support/child.h"

#include <cstdint>
#include <string>
#include <vector>

/// A private X server (no window manager) with one width x height screen of
/// 24 bits on a free display, ready once Start() returns true.
class XvfbServer
{
public:
    ~XvfbServer(); // SIGTERM lets the server remove its lock file and socket
    static bool Installed() { return access("/usr/bin/Xvfb", X_OK) == 0; }
    bool Start(int width, int height, int timeoutMs = 15000);
    const std::string& Display() const { return m_display; } ///< ":N"
    const std::string& Error() const { return m_server.Error(); }

private:
    ChildProcess m_server;
    std::string m_display;
};

/// A top-level window's id and its client area on the screen.
struct XWindowInfo
{
    unsigned long id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

/// Runs a shell command with DISPLAY set: its standard output and exit status.
std::string XRunCommand(const std::string& display, const std::string& command, int* exitCode);
/// Until the window titled title is viewable and, when wanted is given, has
/// that place and size; info is the last seen.
bool XWaitForWindow(const std::string& display, const std::string& title, XWindowInfo* info,
                    int timeoutMs, const XWindowInfo* wanted = nullptr);
/// Asks a window to close as a window manager does (WM_DELETE_WINDOW).
bool XRequestClose(const std::string& display, unsigned long window);

/// The whole screen: At(x, y) from the top-left corner is 0x00RRGGBB, 0 outside.
class XScreenshot
{
public:
    bool Take(const std::string& display);
    std::uint32_t At(int x, int y) const;
    const std::string& Error() const { return m_error; }

private:
    std::string m_data, m_error;
    std::uint32_t m_width = 0, m_height = 0, m_start = 0, m_perLine = 0, m_bytes = 0;
    bool m_lsbFirst = true;
};

#endif
