#include "support/xvfb.h"

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <thread>

XvfbServer::~XvfbServer()
{
    if (m_server.Signal(SIGTERM)) {
        m_server.WaitExit(15000);
    }
}

bool XvfbServer::Start(int width, int height, int timeoutMs)
{
    // The server writes its display number once it accepts clients. No key
    // repeat: on a busy machine a key pressed and released could otherwise
    // arrive as two presses.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    if (!m_server.Start({{"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", screen, "-nolisten",
                          "tcp", "-noreset", "-r", "-ardelay", "60000"},
                         {},
                         {},
                         ChildInput::Null}) ||
        !m_server.WaitForOutput("\n", timeoutMs)) {
        return false;
    }
    m_display = ":" + m_server.Output().substr(0, m_server.Output().find('\n'));
    return true;
}

std::string XRunCommand(const std::string& display, const std::string& command, int* exitCode)
{
    std::string output;
    FILE* pipe = popen(("DISPLAY=" + display + " " + command + " 2>/dev/null").c_str(), "r");
    char buffer[4096];
    for (size_t count = 0; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, count);
    }
    const int result = pclose(pipe);
    *exitCode = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

bool XWaitForWindow(const std::string& display, const std::string& title, XWindowInfo* info,
                    int timeoutMs, const XWindowInfo* wanted)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        int status = 0;
        const std::string text = XRunCommand(display, "xwininfo -name '" + title + "'", &status);
        const auto number = [&text](const std::string& label) {
            const size_t at = text.find(label);
            return at == std::string::npos ? 0 : std::strtol(&text[at + label.size()], nullptr, 0);
        };
        const XWindowInfo& w =
            *info = {static_cast<unsigned long>(number("Window id: ")),
                     int(number("Absolute upper-left X: ")), int(number("Absolute upper-left Y: ")),
                     int(number("Width: ")), int(number("Height: "))};
        const bool seen =
            status == 0 && text.find("IsViewable") != std::string::npos &&
            (wanted == nullptr || (w.x == wanted->x && w.y == wanted->y &&
                                   w.width == wanted->width && w.height == wanted->height));
        if (seen || std::chrono::steady_clock::now() > end) {
            return seen;
        }
    }
}

bool XRequestClose(const std::string& display, unsigned long window)
{
    // Xlib is loaded at run time, so that the test programs need not link it.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
#define QV_XLIB(name) reinterpret_cast<decltype(&(name))>(dlsym(xlib, #name))
    ::Display* connection = xlib != nullptr ? QV_XLIB(XOpenDisplay)(display.c_str()) : nullptr;
    bool sent = false;
    if (connection != nullptr) {
        const auto atom = [&](const char* name) {
            return QV_XLIB(XInternAtom)(connection, name, False);
        };
        XEvent event{};
        event.xclient = {ClientMessage, 0, False, connection, window, atom("WM_PROTOCOLS"), 32, {}};
        event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
        sent = QV_XLIB(XSendEvent)(connection, window, False, NoEventMask, &event) != 0;
        QV_XLIB(XCloseDisplay)(connection); // flushes the request
    }
#undef QV_XLIB
    return (xlib == nullptr || dlclose(xlib) == 0) && sent;
}

bool XScreenshot::Take(const std::string& display)
{
    // The header holds big-endian 32-bit words; the server's pictures are
    // ZPixmaps of 24 or 32 bits per pixel, 8 bits per channel.
    int status = 0;
    m_data = XRunCommand(display, "xwd -root -silent", &status);
    const auto field = [this](size_t index) {
        std::uint32_t value = 0;
        for (size_t i = 4 * index; i < 4 * index + 4 && m_data.size() >= 100; ++i) {
            value = (value << 8U) | static_cast<unsigned char>(m_data[i]);
        }
        return value;
    };
    m_width = field(4), m_height = field(5), m_perLine = field(12), m_bytes = field(11) / 8;
    m_start = field(0) + field(19) * 12, m_lsbFirst = field(7) == 0;
    if (status != 0 || (m_bytes != 3 && m_bytes != 4) ||
        m_start + size_t{m_perLine} * m_height > m_data.size()) {
        m_error = "xwd failed or gave an unexpected layout";
        m_width = m_height = 0;
    }
    return m_width > 0;
}

std::uint32_t XScreenshot::At(int x, int y) const
{
    std::uint32_t pixel = 0;
    for (std::uint32_t i = 0;
         x >= 0 && y >= 0 && x < int(m_width) && y < int(m_height) && i < m_bytes; ++i) {
        const std::uint32_t byte =
            static_cast<unsigned char>(m_data[m_start + y * m_perLine + m_bytes * x + i]);
        pixel |= byte << (8 * (m_lsbFirst ? i : m_bytes - 1 - i));
    }
    return pixel & 0xFFFFFFU;
}
