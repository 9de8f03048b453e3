// Fullscreen of the graphics window on a private X server wider than the
// frame's shape, so that the frame must stand between black bars left and
// right. Desktop fullscreen is the window manager's work: a minimal one runs.
#include "render/framewindow.h"
#include "support/child.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int TIMEOUT_MS = 20000, SCREEN_W = 1600, SCREEN_H = 1000;
const char* const WM = "/usr/bin/evilwm";
using Probes = std::vector<std::array<int, 3>>; // x, y on the screen, colour shown there

// Top line first: a green 32 x 32 corner on a red band, then blue, then white.
int ShowFrame()
{
    std::vector<PixelType> frame(640 * 480, -1);
    for (size_t i = 0; i < 640 * 320; ++i) {
        frame[i] = i / 640 < 32 && i % 640 < 32 ? 0xFF00 : i / 640 < 160 ? 0xFF0000 : 0xFF;
    }
    FrameWindowOpen("Full", 640, 480);
    for (;;) { // until Escape ends the process
        FrameWindowUpdate(frame.data());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The frame at scale z with its top-left corner at (x, y) on the screen.
Probes FrameAt(double x, double y, double z)
{
    const auto at = [&](int fx, int fy, int c) {
        return std::array<int, 3>{int(x + fx * z), int(y + fy * z), c};
    };
    return {at(29, 29, 0xFF00), at(35, 35, 0xFF0000), at(320, 240, 0xFF), at(637, 477, 0xFFFFFF)};
}

} // namespace

TEST(FullscreenX11, TogglesKeepingTheFrameShapeAndRestoresTheWindow)
{
    if (!XvfbServer::Installed() || access(WM, X_OK) != 0) {
        GTEST_SKIP() << "Xvfb or " << WM << " is not installed";
    }
    XvfbServer server;
    ASSERT_TRUE(server.Start(SCREEN_W, SCREEN_H)) << server.Error();
    const std::string display = server.Display();
    ChildOptions options;
    options.env = {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11"};
    options.input = ChildInput::Null;
    options.argv = {WM, "--bw", "0", "--fn", "fixed"}; // no frames: client area = window
    ChildProcess wm, game;
    ASSERT_TRUE(wm.Start(options));
    int status = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
    while (
        XRunCommand(display, "xprop -root _NET_SUPPORTING_WM_CHECK", &status).find("window id") ==
        std::string::npos) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "no window manager";
    }
    ASSERT_TRUE(game.StartFunction(ShowFrame, options));
    XWindowInfo window;
    XScreenshot shot;
    ASSERT_TRUE(XWaitForWindow(display, "Full", &window, TIMEOUT_MS));
    const auto key = [&](const std::string& name) {
        XRunCommand(display, "xdotool windowfocus " + std::to_string(window.id) + " key " + name,
                    &status);
    };
    // Waits for the client area at (x, y, w x h), then for the probes (a
    // changed window may show stale content for a moment).
    const auto expect = [&](int x, int y, int w, int h, const Probes& probes) {
        const XWindowInfo wanted = {0, x, y, w, h};
        ASSERT_TRUE(XWaitForWindow(display, "Full", &window, TIMEOUT_MS, &wanted)) << window.width;
        std::string seen, want;
        for (const auto& probe : probes) {
            want += std::to_string(probe[2]) + " ";
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
        do {
            seen = shot.Take(display) ? "" : shot.Error();
            for (const auto& probe : probes) {
                seen += std::to_string(shot.At(probe[0], probe[1])) + " ";
            }
        } while (seen != want && std::chrono::steady_clock::now() < until);
        EXPECT_EQ(seen, want);
    };
    const int x = (SCREEN_W - 640) / 2, y = (SCREEN_H - 480) / 2;
    expect(x, y, 640, 480, FrameAt(x, y, 1));
    // The frame is 1000 * 4 / 3 = 1333 pixels wide, from x = 133; black on either side.
    Probes full = FrameAt((SCREEN_W - SCREEN_H * 4.0 / 3) / 2, 0, SCREEN_H / 480.0);
    full.insert(full.end(), {{60, 500, 0}, {1540, 500, 0}});
    key("F11");
    expect(0, 0, SCREEN_W, SCREEN_H, full);
    key("F11");
    expect(x, y, 640, 480, FrameAt(x, y, 1));
    // A zoom key leaves fullscreen first; Escape ends the game in fullscreen too.
    key("alt+Return");
    expect(0, 0, SCREEN_W, SCREEN_H, {{60, 500, 0}, {800, 500, 0xFF}});
    key("2");
    expect(160, 20, 1280, 960, FrameAt(160, 20, 2));
    key("F11");
    expect(0, 0, SCREEN_W, SCREEN_H, {{1540, 500, 0}});
    key("Escape");
    ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(game.ExitCode(), 0);
}
