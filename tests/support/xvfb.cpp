#include "support/xvfb.h"

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::uint32_t BigEndian32(const std::string& data, size_t field)
{
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = (value << 8U) | static_cast<unsigned char>(data[4 * field + i]);
    }
    return value;
}

bool FindWindow(const std::string& display, const std::string& title, XWindowInfo* info)
{
    int status = 0;
    const std::string output = XRunCommand(display, "xwininfo -name '" + title + "'", &status);
    if (status != 0 || output.find("Map State: IsViewable") == std::string::npos) {
        return false;
    }
    XWindowInfo found;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const char* text = line.c_str();
        (void)(std::sscanf(text, "xwininfo: Window id: %li", &found.id) == 1 ||
               std::sscanf(text, " Absolute upper-left X: %d", &found.x) == 1 ||
               std::sscanf(text, " Absolute upper-left Y: %d", &found.y) == 1 ||
               std::sscanf(text, " Width: %d", &found.width) == 1 ||
               std::sscanf(text, " Height: %d", &found.height) == 1);
    }
    *info = found;
    return found.id != 0;
}

} // namespace

XvfbServer::~XvfbServer()
{
    if (m_pid > 0) {
        // SIGTERM lets the server remove its lock file and socket.
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
    if (m_pid > 0 || pipe(ready) != 0) {
        m_error = "already started or pipe failed";
        return false;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string readyFd = std::to_string(ready[1]);
    m_pid = fork();
    if (m_pid == 0) {
        // The server picks a free display number and writes it to the pipe
        // once it accepts connections.
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execlp("Xvfb", "Xvfb", "-displayfd", readyFd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char c = 0;
    while (m_pid > 0 && c != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd pfd = {ready[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0 ||
            read(ready[0], &c, 1) != 1) {
            break;
        }
        number += c == '\n' ? "" : std::string(1, c);
    }
    close(ready[0]);
    if (c != '\n' || number.empty()) {
        m_error = "Xvfb did not report a display within " + std::to_string(timeoutMs) + " ms";
        return false;
    }
    m_display = ":" + number;
    return true;
}

std::string XRunCommand(const std::string& display, const std::string& command, int* exitCode)
{
    const std::string line = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    std::string output;
    int status = -1;
    if (FILE* pipe = popen(line.c_str(), "r")) {
        char buffer[4096];
        size_t count = 0;
        while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, count);
        }
        const int result = pclose(pipe);
        status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    }
    if (exitCode != nullptr) {
        *exitCode = status;
    }
    return output;
}

bool XWaitForWindow(const std::string& display, const std::string& title, XWindowInfo* info,
                    int timeoutMs, const XWindowInfo* wanted)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (FindWindow(display, title, info) &&
            (wanted == nullptr ||
             (info->x == wanted->x && info->y == wanted->y && info->width == wanted->width &&
              info->height == wanted->height))) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool XRequestClose(const std::string& display, unsigned long window)
{
    // Xlib is loaded at run time, so that the test programs need no link
    // dependency on it.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlib == nullptr) {
        return false;
    }
    auto internAtom = reinterpret_cast<decltype(&XInternAtom)>(dlsym(xlib, "XInternAtom"));
    auto sendEvent = reinterpret_cast<decltype(&XSendEvent)>(dlsym(xlib, "XSendEvent"));
    ::Display* connection =
        reinterpret_cast<decltype(&XOpenDisplay)>(dlsym(xlib, "XOpenDisplay"))(display.c_str());
    bool sent = false;
    if (connection != nullptr) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = internAtom(connection, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(internAtom(connection, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        sent = sendEvent(connection, window, False, NoEventMask, &event) != 0;
        // Closing the connection flushes the request.
        reinterpret_cast<decltype(&XCloseDisplay)>(dlsym(xlib, "XCloseDisplay"))(connection);
    }
    dlclose(xlib);
    return sent;
}

bool XScreenshot::Take(const std::string& display)
{
    int status = 0;
    const std::string data = XRunCommand(display, "xwd -root -silent", &status);
    if (status != 0 || data.size() < 25 * 4) {
        m_error = "xwd failed";
        return false;
    }
    // The header's fields are big-endian 32-bit words; only ZPixmaps of 24
    // or 32 bits per pixel with 8-bit channels are read.
    const std::uint32_t width = BigEndian32(data, 4);
    const std::uint32_t height = BigEndian32(data, 5);
    const bool lsbFirst = BigEndian32(data, 7) == 0;
    const std::uint32_t bytesPerPixel = BigEndian32(data, 11) / 8;
    const std::uint32_t bytesPerLine = BigEndian32(data, 12);
    const size_t start = BigEndian32(data, 0) + static_cast<size_t>(BigEndian32(data, 19)) * 12;
    if (BigEndian32(data, 2) != 2 || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        BigEndian32(data, 14) != 0xFF0000 || BigEndian32(data, 15) != 0xFF00 ||
        BigEndian32(data, 16) != 0xFF ||
        start + static_cast<size_t>(bytesPerLine) * height > data.size()) {
        m_error = "unexpected xwd layout";
        return false;
    }
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    m_pixels.assign(static_cast<size_t>(width) * height, 0);
    for (size_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < width; ++x) {
            const size_t offset = start + y * bytesPerLine + bytesPerPixel * x;
            std::uint32_t pixel = 0;
            for (size_t i = 0; i < bytesPerPixel; ++i) {
                const auto byte =
                    static_cast<std::uint32_t>(static_cast<unsigned char>(data[offset + i]));
                pixel |= byte << (8 * (lsbFirst ? i : bytesPerPixel - 1 - i));
            }
            m_pixels[y * width + x] = pixel & 0xFFFFFFU;
        }
    }
    return true;
}

std::uint32_t XScreenshot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return 0;
    }
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}
