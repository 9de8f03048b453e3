#include "support/xvfb.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point start)
{
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Waits up to timeoutMs for the process to end; true when it has (reaped).
bool WaitForPid(pid_t pid, int timeoutMs)
{
    const Clock::time_point start = Clock::now();
    for (;;) {
        int status = 0;
        const pid_t result = waitpid(pid, &status, WNOHANG);
        if (result == pid || (result < 0 && errno != EINTR)) {
            return true;
        }
        if (MillisecondsSince(start) > timeoutMs) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::uint32_t BigEndian32(const std::string& data, size_t offset)
{
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = (value << 8U) | static_cast<unsigned char>(data[offset + i]);
    }
    return value;
}

// The colour channel selected by mask, scaled to 8 bits.
std::uint32_t Channel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1U) == 0) {
        ++shift;
    }
    const std::uint32_t maximum = mask >> shift;
    return ((pixel & mask) >> shift) * 255U / maximum;
}

} // namespace

XvfbServer::~XvfbServer()
{
    Stop();
}

bool XvfbServer::Installed()
{
    int status = std::system("command -v Xvfb >/dev/null 2>&1");
    return status == 0;
}

bool XvfbServer::Start(int width, int height, int timeoutMs)
{
    Stop();
    int ready[2];
    if (pipe(ready) != 0) {
        m_error = "pipe failed";
        return false;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string readyFd = std::to_string(ready[1]);
    m_pid = fork();
    if (m_pid < 0) {
        close(ready[0]);
        close(ready[1]);
        m_error = "fork failed";
        return false;
    }
    if (m_pid == 0) {
        // The server picks a free display number itself and writes it to
        // the ready pipe once it accepts connections.
        close(ready[0]);
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
    const Clock::time_point start = Clock::now();
    bool done = false;
    while (!done) {
        const int left = timeoutMs - MillisecondsSince(start);
        pollfd pfd = {ready[0], POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, left) <= 0) {
            break;
        }
        char c = 0;
        if (read(ready[0], &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            done = true;
        } else {
            number += c;
        }
    }
    close(ready[0]);
    if (!done || number.empty()) {
        m_error = "Xvfb did not report a display within " + std::to_string(timeoutMs) + " ms";
        Stop();
        return false;
    }
    m_display = ":" + number;
    return true;
}

void XvfbServer::Stop()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        if (!WaitForPid(m_pid, 5000)) {
            kill(m_pid, SIGKILL);
            WaitForPid(m_pid, 5000);
        }
        m_pid = -1;
    }
    m_display.clear();
}

std::string XRunCommand(const std::string& display, const std::string& command, int* exitCode)
{
    const std::string line = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    std::string output;
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) {
        if (exitCode != nullptr) {
            *exitCode = -1;
        }
        return output;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, count);
    }
    const int status = pclose(pipe);
    if (exitCode != nullptr) {
        *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return output;
}

bool XFindWindow(const std::string& display, const std::string& title, XWindowInfo* info)
{
    int status = 0;
    const std::string output = XRunCommand(display, "xwininfo -name '" + title + "'", &status);
    if (status != 0 || output.find("Map State: IsViewable") == std::string::npos) {
        return false;
    }
    XWindowInfo found;
    bool haveId = false;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, colon);
        key.erase(0, key.find_first_not_of(' '));
        const char* value = line.c_str() + colon + 1;
        if (key == "xwininfo" && line.find("Window id: ") != std::string::npos) {
            found.id = std::strtoul(line.c_str() + line.find("Window id: ") + 11, nullptr, 0);
            haveId = true;
        } else if (key == "Absolute upper-left X") {
            found.x = std::atoi(value);
        } else if (key == "Absolute upper-left Y") {
            found.y = std::atoi(value);
        } else if (key == "Width") {
            found.width = std::atoi(value);
        } else if (key == "Height") {
            found.height = std::atoi(value);
        }
    }
    if (!haveId) {
        return false;
    }
    *info = found;
    return true;
}

bool XWaitForWindow(const std::string& display, const std::string& title, XWindowInfo* info,
                    int timeoutMs, const XWindowInfo* wanted)
{
    const Clock::time_point start = Clock::now();
    for (;;) {
        if (XFindWindow(display, title, info) &&
            (wanted == nullptr ||
             (info->x == wanted->x && info->y == wanted->y && info->width == wanted->width &&
              info->height == wanted->height))) {
            return true;
        }
        if (MillisecondsSince(start) > timeoutMs) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool XRequestClose(const std::string& display, unsigned long window)
{
    // Xlib is loaded at run time, so that the test programs need no link
    // dependency of their own on it.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (xlib == nullptr) {
        return false;
    }
    auto openDisplay = reinterpret_cast<decltype(&XOpenDisplay)>(dlsym(xlib, "XOpenDisplay"));
    auto internAtom = reinterpret_cast<decltype(&XInternAtom)>(dlsym(xlib, "XInternAtom"));
    auto sendEvent = reinterpret_cast<decltype(&XSendEvent)>(dlsym(xlib, "XSendEvent"));
    auto sync = reinterpret_cast<decltype(&XSync)>(dlsym(xlib, "XSync"));
    auto closeDisplay = reinterpret_cast<decltype(&XCloseDisplay)>(dlsym(xlib, "XCloseDisplay"));
    bool sent = false;
    if (openDisplay != nullptr && internAtom != nullptr && sendEvent != nullptr &&
        sync != nullptr && closeDisplay != nullptr) {
        ::Display* connection = openDisplay(display.c_str());
        if (connection != nullptr) {
            XEvent event;
            std::memset(&event, 0, sizeof event);
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = internAtom(connection, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] =
                static_cast<long>(internAtom(connection, "WM_DELETE_WINDOW", False));
            event.xclient.data.l[1] = CurrentTime;
            sent = sendEvent(connection, window, False, NoEventMask, &event) != 0;
            sync(connection, False);
            closeDisplay(connection);
        }
    }
    dlclose(xlib);
    return sent;
}

bool XScreenshot::Take(const std::string& display)
{
    int status = 0;
    const std::string data = XRunCommand(display, "xwd -root -silent", &status);
    constexpr size_t FIELDS = 25;
    if (status != 0 || data.size() < FIELDS * 4) {
        m_error = "xwd failed";
        return false;
    }
    const std::uint32_t headerSize = BigEndian32(data, 0);
    const std::uint32_t format = BigEndian32(data, 2 * 4);
    const std::uint32_t width = BigEndian32(data, 4 * 4);
    const std::uint32_t height = BigEndian32(data, 5 * 4);
    const std::uint32_t byteOrder = BigEndian32(data, 7 * 4);
    const std::uint32_t bitsPerPixel = BigEndian32(data, 11 * 4);
    const std::uint32_t bytesPerLine = BigEndian32(data, 12 * 4);
    const std::uint32_t redMask = BigEndian32(data, 14 * 4);
    const std::uint32_t greenMask = BigEndian32(data, 15 * 4);
    const std::uint32_t blueMask = BigEndian32(data, 16 * 4);
    const std::uint32_t colours = BigEndian32(data, 19 * 4);
    const size_t start = static_cast<size_t>(headerSize) + static_cast<size_t>(colours) * 12;
    // Only the ZPixmap layouts of true-colour screens are read.
    if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) ||
        start + static_cast<size_t>(bytesPerLine) * height > data.size()) {
        m_error = "unexpected xwd layout";
        return false;
    }
    const std::uint32_t bytesPerPixel = bitsPerPixel / 8;
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    m_pixels.assign(static_cast<size_t>(width) * height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const size_t offset = start + static_cast<size_t>(y) * bytesPerLine + x * bytesPerPixel;
            std::uint32_t pixel = 0;
            for (std::uint32_t i = 0; i < bytesPerPixel; ++i) {
                const std::uint32_t byte = static_cast<unsigned char>(data[offset + i]);
                // Byte order 0 is least significant byte first.
                pixel |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (bytesPerPixel - 1 - i));
            }
            m_pixels[static_cast<size_t>(y) * width + x] = Channel(pixel, redMask) << 16U |
                                                           Channel(pixel, greenMask) << 8U |
                                                           Channel(pixel, blueMask);
        }
    }
    return true;
}

bool XScreenshot::SavePpm(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", m_width, m_height);
    for (const std::uint32_t pixel : m_pixels) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16U),
                                      static_cast<unsigned char>(pixel >> 8U),
                                      static_cast<unsigned char>(pixel)};
        std::fwrite(rgb, 1, 3, file);
    }
    return std::fclose(file) == 0;
}

std::uint32_t XScreenshot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return 0;
    }
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}
