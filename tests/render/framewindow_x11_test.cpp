// End-to-end tests of the graphics window on a private X server: what the
// window shows, where it is, how it zooms, and how keys and close requests
// reach the game. Each window lives in a child process, so that the paths
// that end the process can be observed from outside.

#include "platform/terminal.h"
#include "render/framewindow.h"
#include "render/framewindow_menu.h"
#include "support/child.h"
#include "support/xvfb.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int SCREEN_WIDTH = 1280;
constexpr int SCREEN_HEIGHT = 1024;
constexpr int FRAME_WIDTH = 640;
constexpr int FRAME_HEIGHT = 480;
constexpr int TIMEOUT_MS = 20000;

constexpr std::uint32_t RED = 0xFF0000;
constexpr std::uint32_t GREEN = 0x00FF00;
constexpr std::uint32_t BLUE = 0x0000FF;
constexpr std::uint32_t WHITE = 0xFFFFFF;

// The test frame, top line first: a red band over a blue band over a band of
// "no colour", with a green 32 x 32 block in the top-left corner.
std::vector<PixelType> TestFrame()
{
    std::vector<PixelType> frame(static_cast<size_t>(FRAME_WIDTH) * FRAME_HEIGHT);
    for (int line = 0; line < FRAME_HEIGHT; ++line) {
        for (int col = 0; col < FRAME_WIDTH; ++col) {
            PixelType colour = -1;
            if (line < 32 && col < 32) {
                colour = 0x0000FF00;
            } else if (line < 160) {
                colour = 0x00FF0000;
            } else if (line < 320) {
                colour = 0x000000FF;
            }
            frame[static_cast<size_t>(line) * FRAME_WIDTH + col] = colour;
        }
    }
    return frame;
}

void ReportCleanup()
{
    const char text[] = "cleanup\n";
    (void)!write(STDOUT_FILENO, text, sizeof text - 1);
}

// The child: shows the test frame like the game's loop does and reports on
// standard output when it is shown and every key that reaches the game.
int RunWindow(const char* title)
{
    QvRegisterEmergencyCleanup(ReportCleanup);
    const std::vector<PixelType> frame = TestFrame();
    FrameWindowOpen(title, FRAME_WIDTH, FRAME_HEIGHT);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool reported = false;
    while (std::chrono::steady_clock::now() < end) {
        FrameWindowUpdate(frame.data());
        if (!reported) {
            std::printf("shown\n");
            std::fflush(stdout);
            reported = true;
        }
        while (TerminalKeyHit()) {
            std::printf("key %c\n", TerminalGetKey());
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 3;
}

class FrameWindowX11 : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (XvfbServer::Installed()) {
            s_server = std::make_unique<XvfbServer>();
            if (!s_server->Start(SCREEN_WIDTH, SCREEN_HEIGHT)) {
                s_startError = s_server->Error();
                s_server.reset();
            }
        }
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        if (!XvfbServer::Installed()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(s_server) << "Xvfb did not start: " << s_startError;
    }

    const std::string& Display() const { return s_server->Display(); }

    // Starts the window in a child and waits until it is shown on screen.
    void StartWindow(const char* title)
    {
        ChildOptions options;
        options.env = {"DISPLAY=" + Display(), "SDL_VIDEODRIVER=x11"};
        options.input = ChildInput::Null;
        ASSERT_TRUE(m_child.StartFunction([title]() { return RunWindow(title); }, options));
        ASSERT_TRUE(m_child.WaitForOutput("shown\n", TIMEOUT_MS)) << m_child.Error();
        ASSERT_TRUE(XWaitForWindow(Display(), title, &m_window, TIMEOUT_MS));
    }

    std::string X(const std::string& command)
    {
        int status = -1;
        std::string output = XRunCommand(Display(), command, &status);
        EXPECT_EQ(status, 0) << command;
        return output;
    }

    struct Probe
    {
        int x;
        int y;
        std::uint32_t colour;
    };

    // Waits until the screen shows every probe's colour (a window that was
    // just resized may show stale content for a moment), then checks them.
    bool WaitForColours(const std::vector<Probe>& probes)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
        bool matched = false;
        while (!matched && std::chrono::steady_clock::now() < end) {
            if (m_shot.Take(Display())) {
                matched = true;
                for (const Probe& probe : probes) {
                    matched = matched && m_shot.At(probe.x, probe.y) == probe.colour;
                }
            }
            if (!matched) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        for (const Probe& probe : probes) {
            EXPECT_EQ(m_shot.At(probe.x, probe.y), probe.colour)
                << "at (" << probe.x << ", " << probe.y << ")";
        }
        return matched;
    }

    bool WaitForColour(int x, int y, std::uint32_t colour)
    {
        return WaitForColours({{x, y, colour}});
    }

    // With QV_SCREENSHOT_DIR set, keeps the last screenshot there as
    // <name>.ppm, for looking at what the window showed.
    void SaveScreenshot(const char* name) const
    {
        if (const char* folder = std::getenv("QV_SCREENSHOT_DIR")) {
            m_shot.SavePpm(std::string(folder) + "/" + name + ".ppm");
        }
    }

    // Waits until the window has the given client size at the centre.
    void ExpectCentredSize(const char* title, int width, int height)
    {
        XWindowInfo wanted;
        wanted.x = (SCREEN_WIDTH - width) / 2;
        wanted.y = (SCREEN_HEIGHT - height) / 2;
        wanted.width = width;
        wanted.height = height;
        ASSERT_TRUE(XWaitForWindow(Display(), title, &m_window, TIMEOUT_MS, &wanted))
            << "window is " << m_window.width << " x " << m_window.height << " at (" << m_window.x
            << ", " << m_window.y << "), wanted " << width << " x " << height << " at (" << wanted.x
            << ", " << wanted.y << ")";
    }

    // The frame's bands and corner block at zoom factor z.
    void ExpectFrameShown(int z)
    {
        const int x = m_window.x;
        const int y = m_window.y;
        EXPECT_TRUE(WaitForColours({{x + 2, y + 2, GREEN},
                                    {x + 31 * z, y + 31 * z, GREEN},
                                    {x + 33 * z, y + 33 * z, RED},
                                    {x + 320 * z, y + 80 * z, RED},
                                    {x + 600 * z, y + 5 * z, RED},
                                    {x + 320 * z, y + 240 * z, BLUE},
                                    {x + 5 * z, y + 319 * z, BLUE},
                                    {x + 320 * z, y + 321 * z, WHITE},
                                    {x + 639 * z, y + 479 * z, WHITE}}));
    }

    static std::unique_ptr<XvfbServer> s_server;
    static std::string s_startError;
    ChildProcess m_child;
    XWindowInfo m_window;
    XScreenshot m_shot;
};

std::unique_ptr<XvfbServer> FrameWindowX11::s_server;
std::string FrameWindowX11::s_startError;

TEST_F(FrameWindowX11, ShowsTheFrameCentredTopLineFirstAndZoomsByMenuAndKeys)
{
    const char* title = "Quorvadellix zoom";
    StartWindow(title);
    ExpectCentredSize(title, FRAME_WIDTH, FRAME_HEIGHT);
    ExpectFrameShown(1);
    SaveScreenshot("frame");

    // "Zoom 2 x 2" from the pop-up menu.
    const int clickX = m_window.x + 100;
    const int clickY = m_window.y + 100;
    X("xdotool mousemove " + std::to_string(clickX) + " " + std::to_string(clickY) + " click 3");
    ASSERT_TRUE(WaitForColour(clickX + 2, clickY + 2, ZOOM_MENU_BACKGROUND));
    EXPECT_EQ(m_shot.At(clickX, clickY), ZOOM_MENU_FRAME);
    SaveScreenshot("menu");
    CZoomMenu menu;
    menu.Open(clickX - m_window.x, clickY - m_window.y, FRAME_WIDTH, FRAME_HEIGHT);
    X("xdotool mousemove " + std::to_string(m_window.x + menu.EntryCentreX()) + " " +
      std::to_string(m_window.y + menu.EntryCentreY(1)) + " click 1");
    ExpectCentredSize(title, 2 * FRAME_WIDTH, 2 * FRAME_HEIGHT);
    ExpectFrameShown(2);

    // The keys 1, 2 and 4 in the window.
    X("xdotool windowfocus " + std::to_string(m_window.id));
    X("xdotool key 1");
    ExpectCentredSize(title, FRAME_WIDTH, FRAME_HEIGHT);
    ExpectFrameShown(1);
    X("xdotool key 4");
    ExpectCentredSize(title, 4 * FRAME_WIDTH, 4 * FRAME_HEIGHT);
    X("xdotool key 2");
    ExpectCentredSize(title, 2 * FRAME_WIDTH, 2 * FRAME_HEIGHT);
    ExpectFrameShown(2);

    // "Zoom 1 x 1" returns to the opened size.
    X("xdotool mousemove " + std::to_string(m_window.x + 400) + " " +
      std::to_string(m_window.y + 300) + " click 3");
    ASSERT_TRUE(WaitForColour(m_window.x + 402, m_window.y + 302, ZOOM_MENU_BACKGROUND));
    menu.Open(400, 300, 2 * FRAME_WIDTH, 2 * FRAME_HEIGHT);
    X("xdotool mousemove " + std::to_string(m_window.x + menu.EntryCentreX()) + " " +
      std::to_string(m_window.y + menu.EntryCentreY(0)) + " click 1");
    ExpectCentredSize(title, FRAME_WIDTH, FRAME_HEIGHT);
    ExpectFrameShown(1);
    EXPECT_TRUE(m_child.Running());

    X("xdotool windowfocus " + std::to_string(m_window.id) + " key Escape");
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
    EXPECT_TRUE(m_child.Exited());
    EXPECT_EQ(m_child.ExitCode(), 0);
    EXPECT_NE(m_child.Output().find("cleanup\n"), std::string::npos) << m_child.Output();
}

TEST_F(FrameWindowX11, GameKeysTypedInTheWindowReachTheGameAndEscapeFirstClosesTheMenu)
{
    const char* title = "Quorvadellix keys";
    StartWindow(title);
    const std::string window = std::to_string(m_window.id);
    // Shift+w and other keys do nothing; the game keys arrive in order.
    X("xdotool windowfocus " + window + " key w x shift+w F1 space d a s p k h");
    ASSERT_TRUE(m_child.WaitForOutput("key h\n", TIMEOUT_MS)) << m_child.Output();
    EXPECT_EQ(m_child.Output(), "shown\nkey w\nkey d\nkey a\nkey s\nkey p\nkey k\nkey h\n");

    // Escape with the menu open only closes the menu.
    const int clickX = m_window.x + 50;
    const int clickY = m_window.y + 200;
    X("xdotool mousemove " + std::to_string(clickX) + " " + std::to_string(clickY) + " click 3");
    ASSERT_TRUE(WaitForColour(clickX + 2, clickY + 2, ZOOM_MENU_BACKGROUND));
    X("xdotool key Escape");
    ASSERT_TRUE(WaitForColour(clickX + 2, clickY + 2, BLUE));
    EXPECT_TRUE(m_child.Running());

    // A click outside an open menu closes it and changes nothing else.
    X("xdotool click 3 mousemove " + std::to_string(m_window.x + 600) + " " +
      std::to_string(m_window.y + 20) + " click 1");
    ASSERT_TRUE(WaitForColour(clickX + 2, clickY + 2, BLUE));
    ExpectCentredSize(title, FRAME_WIDTH, FRAME_HEIGHT);
    EXPECT_TRUE(m_child.Running());

    X("xdotool key Escape");
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
    EXPECT_TRUE(m_child.Exited());
    EXPECT_EQ(m_child.ExitCode(), 0);
}

TEST_F(FrameWindowX11, CloseRequestFromTheWindowManagerEndsTheProcessWithStatusZero)
{
    const char* title = "Quorvadellix close";
    StartWindow(title);
    ASSERT_TRUE(XRequestClose(Display(), m_window.id));
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
    EXPECT_TRUE(m_child.Exited());
    EXPECT_EQ(m_child.ExitCode(), 0);
    EXPECT_NE(m_child.Output().find("cleanup\n"), std::string::npos) << m_child.Output();
}

} // namespace
