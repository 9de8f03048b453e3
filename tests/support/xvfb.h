#ifndef QV_TESTS_SUPPORT_XVFB_H
#define QV_TESTS_SUPPORT_XVFB_H

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

/// A private X server (Xvfb) without a window manager, on a display number
/// of its own choosing; ready when Start() returns, stopped with the object.
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    static bool Installed();
    /// One width x height screen at 24 bits; false (Error() says why) when it
    /// does not accept connections within timeoutMs.
    bool Start(int width, int height, int timeoutMs = 15000);
    /// ":N", for the DISPLAY variable.
    const std::string& Display() const { return m_display; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

/// A top-level window's id and its client area on the screen.
struct XWindowInfo
{
    unsigned long id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// Runs a shell command with DISPLAY set; its standard output, and in
/// exitCode its exit status (-1 when it did not run).
std::string XRunCommand(const std::string& display, const std::string& command,
                        int* exitCode = nullptr);

/// Waits until the viewable window titled exactly title exists and, when
/// wanted is given, has its position and size; false after timeoutMs, with
/// info holding what was last seen.
bool XWaitForWindow(const std::string& display, const std::string& title, XWindowInfo* info,
                    int timeoutMs, const XWindowInfo* wanted = nullptr);

/// Asks a window to close as a window manager does (WM_DELETE_WINDOW).
bool XRequestClose(const std::string& display, unsigned long window);

/// A picture of the whole screen (xwd), pixels as 0x00RRGGBB.
class XScreenshot
{
public:
    bool Take(const std::string& display);
    /// The colour at (x, y) from the top-left corner; 0 outside.
    std::uint32_t At(int x, int y) const;
    const std::string& Error() const { return m_error; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    std::string m_error;
};

#endif
