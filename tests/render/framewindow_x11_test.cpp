// The graphics window on a private X server, in a child process that may end.

#include "platform/terminal.h"
#include "render/cbuffer2d.h"
#include "render/framewindow.h"
#include "render/framewindow_menu.h"
#include "support/child.h"
#include "support/xvfb.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int TIMEOUT_MS = 20000;
using Probes = std::vector<std::array<int, 3>>; // x, y in the frame, colour shown there

// Shows, top line first, a green 32 x 32 block at the top left of a red band over
// a blue band over "no colour"; reports "shown" and every key the game gets.
const Probes FRAME = {{31, 31, 0xFF00}, {33, 33, 0xFF0000}, {320, 240, 0xFF}, {639, 479, 0xFFFFFF}};
int RunWindow()
{
    QvRegisterEmergencyCleanup([] { (void)!write(STDOUT_FILENO, "cleanup\n", 8); });
    std::vector<PixelType> frame(640 * 480);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = i / 640 < 32 && i % 640 < 32 ? 0x00FF00
                   : i / 640 < 160              ? 0xFF0000
                   : i / 640 < 320              ? 0x0000FF
                                                : NO_COLOUR;
    }
    FrameWindowOpen("Window", 640, 480);
    for (bool first = true;; first = false) { // until the window ends the process
        FrameWindowUpdate(frame.data());
        std::printf("%s", first ? "shown\n" : "");
        while (TerminalKeyHit()) {
            std::printf("key %c\n", TerminalGetKey());
        }
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

class FrameWindowX11 : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!XvfbServer::Installed()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(m_server.Start(1280, 1024)) << m_server.Error();
        ChildOptions options;
        options.env = {"DISPLAY=" + m_server.Display(), "SDL_VIDEODRIVER=x11"};
        options.input = ChildInput::Null;
        ASSERT_TRUE(m_child.StartFunction(RunWindow, options));
        ASSERT_TRUE(m_child.WaitForOutput("shown\n", TIMEOUT_MS)) << m_child.Error();
        ASSERT_TRUE(XWaitForWindow(m_server.Display(), "Window", &m_window, TIMEOUT_MS));
    }

    // Runs xdotool on the window (its id replaces "%w").
    void X(std::string command)
    {
        int status = -1;
        command.replace(command.find("%w"), 2, std::to_string(m_window.id));
        XRunCommand(m_server.Display(), "xdotool " + command, &status);
        EXPECT_EQ(status, 0) << command;
    }

    // The client area is z times the frame, centred, and shows the probes z
    // times as far from its corner (polled: a resized window may show stale
    // content for a moment).
    void Expect(int z, const Probes& probes)
    {
        const XWindowInfo wanted = {0, (1280 - 640 * z) / 2, (1024 - 480 * z) / 2, 640 * z,
                                    480 * z};
        ASSERT_TRUE(XWaitForWindow(m_server.Display(), "Window", &m_window, TIMEOUT_MS, &wanted))
            << m_window.width << " x " << m_window.height;
        const auto text = [&](bool shown) {
            std::string s;
            for (const auto& [x, y, c] : probes) {
                s += std::to_string(shown ? m_shot.At(m_window.x + x * z, m_window.y + y * z) : c) +
                     " ";
            }
            return s;
        };
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
        std::string seen, want = text(false);
        while ((seen = m_shot.Take(m_server.Display()) ? text(true) : m_shot.Error()) != want &&
               std::chrono::steady_clock::now() < end) {
        }
        EXPECT_EQ(seen, want);
    }

    void ExpectEndedWithStatusZero()
    {
        ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
        EXPECT_EQ(m_child.ExitCode(), 0);
        EXPECT_NE(m_child.Output().find("cleanup\n"), std::string::npos) << m_child.Output();
    }

    XvfbServer m_server;
    ChildProcess m_child;
    XWindowInfo m_window;
    XScreenshot m_shot;
};

TEST_F(FrameWindowX11, ShowsTheFrameCentredZoomsTakesGameKeysAndEndsOnEscape)
{
    Expect(1, FRAME);
    X("mousemove --window %w 100 100 click 3");
    Expect(1, {{102, 102, int(ZOOM_MENU_BACKGROUND)}});
    CZoomMenu menu;
    menu.Open(100, 100, 640, 480);
    ASSERT_STREQ(CZoomMenu::EntryText(1), "Zoom 2 x 2");
    X("mousemove --window %w " + std::to_string(menu.EntryCentreX()) + " " +
      std::to_string(menu.EntryCentreY(1)) + " click 1");
    Expect(2, FRAME);
    for (const int z : {1, 2}) {
        X("windowfocus %w key " + std::to_string(z));
        Expect(z, FRAME);
    }
    X("windowfocus %w key w x shift+w F1 space d"); // only the game keys reach the game, in order
    ASSERT_TRUE(m_child.WaitForOutput("key d\n", TIMEOUT_MS)) << m_child.Output();
    EXPECT_EQ(m_child.Output(), "shown\nkey w\nkey d\n");
    X("windowfocus %w key Escape");
    ExpectEndedWithStatusZero();
}

TEST_F(FrameWindowX11, CloseRequestFromTheWindowManagerEndsTheProcessWithStatusZero)
{
    ASSERT_TRUE(XRequestClose(m_server.Display(), m_window.id));
    ExpectEndedWithStatusZero();
}

} // namespace
