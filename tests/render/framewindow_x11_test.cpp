// The graphics window on a private X server. Each window lives in a child
// process, so that the ways the window ends the process can be watched.

#include "platform/terminal.h"
#include "render/cbuffer2d.h"
#include "render/framewindow.h"
#include "render/framewindow_menu.h"
#include "support/child.h"
#include "support/xvfb.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int TIMEOUT_MS = 20000;

void ReportCleanup()
{
    const char text[] = "cleanup\n";
    (void)!write(STDOUT_FILENO, text, sizeof text - 1);
}

// Shows, top line first, a red band over a blue band over "no colour", with
// a green 32 x 32 block at the top left, as the game's loop does; reports
// "shown" and every key that reaches the game on standard output.
int RunWindow(const char* title)
{
    QvRegisterEmergencyCleanup(ReportCleanup);
    std::vector<PixelType> frame(640 * 480);
    for (size_t i = 0; i < frame.size(); ++i) {
        const size_t line = i / 640;
        frame[i] = line < 32 && i % 640 < 32 ? 0x00FF00
                   : line < 160              ? 0xFF0000
                   : line < 320              ? 0x0000FF
                                             : NO_COLOUR;
    }
    FrameWindowOpen(title, 640, 480);
    for (int pass = 0; pass < 12000; ++pass) {
        FrameWindowUpdate(frame.data());
        if (pass == 0) {
            std::printf("shown\n");
        }
        while (TerminalKeyHit()) {
            std::printf("key %c\n", TerminalGetKey());
        }
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 3;
}

class FrameWindowX11 : public testing::Test
{
protected:
    // Starts Xvfb and a window titled after the test, shown on screen.
    void SetUp() override
    {
        if (!XvfbServer::Installed()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(m_server.Start(1280, 1024)) << m_server.Error();
        m_title = testing::UnitTest::GetInstance()->current_test_info()->name();
        ChildOptions options;
        options.env = {"DISPLAY=" + m_server.Display(), "SDL_VIDEODRIVER=x11"};
        options.input = ChildInput::Null;
        const std::string title = m_title;
        ASSERT_TRUE(m_child.StartFunction([title]() { return RunWindow(title.c_str()); }, options));
        ASSERT_TRUE(m_child.WaitForOutput("shown\n", TIMEOUT_MS)) << m_child.Error();
        ASSERT_TRUE(XWaitForWindow(m_server.Display(), m_title, &m_window, TIMEOUT_MS));
    }

    void X(const std::string& command)
    {
        int status = -1;
        XRunCommand(m_server.Display(), "xdotool " + command, &status);
        EXPECT_EQ(status, 0) << command;
    }

    void Click(int button, int x, int y)
    {
        X("mousemove " + std::to_string(m_window.x + x) + " " + std::to_string(m_window.y + y) +
          " click " + std::to_string(button));
    }

    // Polls the screen until every probe (x, y, colour) matches, since a
    // window that was just resized may show stale content for a moment.
    void ExpectColours(const std::vector<std::vector<int>>& probes)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
        bool matched = false;
        while (!matched && std::chrono::steady_clock::now() < end) {
            matched = m_shot.Take(m_server.Display());
            for (const auto& probe : probes) {
                matched = matched && m_shot.At(probe[0], probe[1]) == std::uint32_t(probe[2]);
            }
        }
        for (const auto& probe : probes) {
            EXPECT_EQ(m_shot.At(probe[0], probe[1]), std::uint32_t(probe[2]))
                << "at (" << probe[0] << ", " << probe[1] << ") " << m_shot.Error();
        }
    }

    // The window's client area is z times the frame's size, centred, and
    // shows the frame stretched.
    void ExpectZoom(int z)
    {
        XWindowInfo wanted;
        wanted.width = 640 * z;
        wanted.height = 480 * z;
        wanted.x = (1280 - wanted.width) / 2;
        wanted.y = (1024 - wanted.height) / 2;
        ASSERT_TRUE(XWaitForWindow(m_server.Display(), m_title, &m_window, TIMEOUT_MS, &wanted))
            << m_window.width << " x " << m_window.height << " at " << m_window.x << ", "
            << m_window.y;
        const int x = m_window.x;
        const int y = m_window.y;
        ExpectColours({{x + 2, y + 2, 0x00FF00},
                       {x + 31 * z, y + 31 * z, 0x00FF00},
                       {x + 33 * z, y + 33 * z, 0xFF0000},
                       {x + 320 * z, y + 240 * z, 0x0000FF},
                       {x + 320 * z, y + 321 * z, 0xFFFFFF},
                       {x + 639 * z, y + 479 * z, 0xFFFFFF}});
    }

    void ExpectEndedWithStatusZero()
    {
        ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
        EXPECT_TRUE(m_child.Exited());
        EXPECT_EQ(m_child.ExitCode(), 0);
        EXPECT_NE(m_child.Output().find("cleanup\n"), std::string::npos) << m_child.Output();
    }

    XvfbServer m_server;
    ChildProcess m_child;
    std::string m_title;
    XWindowInfo m_window;
    XScreenshot m_shot;
};

TEST_F(FrameWindowX11, ShowsTheFrameCentredZoomsTakesGameKeysAndEndsOnEscape)
{
    ExpectZoom(1);

    Click(3, 100, 100);
    ExpectColours({{m_window.x + 102, m_window.y + 102, int(ZOOM_MENU_BACKGROUND)}});
    CZoomMenu menu;
    menu.Open(100, 100, 640, 480);
    ASSERT_STREQ(CZoomMenu::EntryText(1), "Zoom 2 x 2");
    Click(1, menu.EntryCentreX(), menu.EntryCentreY(1));
    ExpectZoom(2);

    X("windowfocus " + std::to_string(m_window.id) + " key 1");
    ExpectZoom(1);
    X("windowfocus " + std::to_string(m_window.id) + " key 2");
    ExpectZoom(2);

    // Only the game keys reach the game, in order.
    X("windowfocus " + std::to_string(m_window.id) + " key w x shift+w F1 space d");
    ASSERT_TRUE(m_child.WaitForOutput("key d\n", TIMEOUT_MS)) << m_child.Output();
    EXPECT_EQ(m_child.Output(), "shown\nkey w\nkey d\n");

    X("key Escape");
    ExpectEndedWithStatusZero();
}

TEST_F(FrameWindowX11, CloseRequestFromTheWindowManagerEndsTheProcessWithStatusZero)
{
    ASSERT_TRUE(XRequestClose(m_server.Display(), m_window.id));
    ExpectEndedWithStatusZero();
}

} // namespace
