#include "support/xvfb.h"

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

XvfbServer::~XvfbServer()
{
    if (m_pid > 0) { // SIGTERM lets the server remove its lock file and socket
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

bool XvfbServer::Installed()
{
    return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

bool XvfbServer::Start(int width, int height, int timeoutMs)
{
    int ready[2];
    (void)!pipe(ready);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string readyFd = std::to_string(ready[1]);
    if ((m_pid = fork()) == 0) { // the server writes its display number once it accepts clients
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd) {
            dup2(null, fd);
        }
        // No key repeat: on a busy machine a key sent as press and release
        // could otherwise arrive as two presses.
        execlp("Xvfb", "Xvfb", "-displayfd", readyFd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", "-r", "-ardelay", "60000",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char c = 0;
    pollfd pfd = {ready[0], POLLIN, 0};
    while (poll(&pfd, 1, timeoutMs) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') {
        m_display += c;
    }
    close(ready[0]);
    m_error = c == '\n' && !m_display.empty() ? "" : "Xvfb reported no display";
    m_display = ":" + m_display;
    return m_error.empty();
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
    if (xlib != nullptr) {
        dlclose(xlib);
    }
    return sent;
}

bool XScreenshot::Take(const std::string& display)
{
    int status = 0;
    const std::string data = XRunCommand(display, "xwd -root -silent", &status);
    // The header's fields are big-endian 32-bit words; our server's pictures
    // are ZPixmaps of 24 or 32 bits per pixel, 8 bits per channel.
    const auto field = [&data](size_t index) {
        std::uint32_t value = 0;
        for (size_t i = 4 * index; i < 4 * index + 4 && data.size() >= 100; ++i) {
            value = (value << 8U) | static_cast<unsigned char>(data[i]);
        }
        return value;
    };
    const std::uint32_t width = field(4), height = field(5), bytes = field(11) / 8;
    const bool lsbFirst = field(7) == 0;
    const size_t perLine = field(12), start = field(0) + static_cast<size_t>(field(19)) * 12;
    if (status != 0 || width == 0 || (bytes != 3 && bytes != 4) ||
        start + perLine * height > data.size()) {
        m_error = "xwd failed or gave an unexpected layout";
        return false;
    }
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    m_pixels.assign(static_cast<size_t>(width) * height, 0);
    for (size_t p = 0; p < m_pixels.size(); ++p) {
        for (size_t i = 0; i < bytes; ++i) {
            const std::uint32_t byte = static_cast<unsigned char>(
                data[start + p / width * perLine + bytes * (p % width) + i]);
            m_pixels[p] |= (byte << (8 * (lsbFirst ? i : bytes - 1 - i))) & 0xFFFFFFU;
        }
    }
    return true;
}

std::uint32_t XScreenshot::At(int x, int y) const
{
    return x < 0 || y < 0 || x >= m_width || y >= m_height
               ? 0
               : m_pixels[static_cast<size_t>(y) * m_width + x];
}
