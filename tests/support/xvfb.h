#ifndef QV_TESTS_SUPPORT_XVFB_H
#define QV_TESTS_SUPPORT_XVFB_H

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

/// A private X server (Xvfb) for end-to-end tests of the graphics window:
/// started on a display number of its own choosing, ready when Start()
/// returns, killed when the object dies. There is no window manager, so
/// windows appear exactly where their program puts them, without frames.
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// Whether the Xvfb program is installed.
    static bool Installed();

    /// Starts the server with one screen of width x height pixels at 24 bits
    /// and waits until it accepts connections; false (Error() says why) when
    /// that does not happen within timeoutMs.
    bool Start(int width, int height, int timeoutMs = 15000);
    void Stop();

    /// ":N", for the DISPLAY variable.
    const std::string& Display() const { return m_display; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

/// Where a top-level window is: its client area on the screen, in pixels.
struct XWindowInfo
{
    unsigned long id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// Runs a shell command with DISPLAY set to display and returns its standard
/// output; exitCode receives its exit status (-1 when it did not run).
std::string XRunCommand(const std::string& display, const std::string& command,
                        int* exitCode = nullptr);

/// Finds the viewable window whose title is exactly title (xwininfo).
bool XFindWindow(const std::string& display, const std::string& title, XWindowInfo* info);

/// Polls XFindWindow until the window exists and, when wanted is given, has
/// its position and size (its id is not compared); false after timeoutMs,
/// with info holding what was last seen.
bool XWaitForWindow(const std::string& display, const std::string& title, XWindowInfo* info,
                    int timeoutMs, const XWindowInfo* wanted = nullptr);

/// Asks a window to close the way a window manager does, with a
/// WM_DELETE_WINDOW client message.
bool XRequestClose(const std::string& display, unsigned long window);

/// A picture of the whole screen (xwd -root), pixels as 0x00RRGGBB.
class XScreenshot
{
public:
    bool Take(const std::string& display);
    /// Writes the picture as a binary PPM file, for looking at it.
    bool SavePpm(const std::string& path) const;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// The colour at (x, y), (0, 0) being the top-left corner of the screen.
    std::uint32_t At(int x, int y) const;
    const std::string& Error() const { return m_error; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    std::string m_error;
};

#endif
