#include "render/framewindow_menu.h"
#include "support/child.h"
#include "support/jpegfixtures.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

namespace {

constexpr int TIMEOUT_MS = 20000;

class GameWindow : public testing::Test
{
protected:
    // The game, paused in its first pass by 'p' typed during the start delay.
    void SetUp() override
    {
        if (!XvfbServer::Installed()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(m_server.Start(1600, 1200)) << m_server.Error();
        std::ifstream file(std::string(QV_BINARY_DIR) + "/space_image.jpg", std::ios::binary);
        m_field = DecodeWithLibjpeg({std::istreambuf_iterator<char>(file), {}});
        ASSERT_TRUE(m_field.ok && m_field.width == 640 && m_field.height == 480);
        // SDL's system libraries under X keep blocks to the end: leaks are checked elsewhere.
        ASSERT_TRUE(m_game.Start({{QV_GAME_BINARY},
                                  {"DISPLAY=" + m_server.Display(), "SDL_VIDEODRIVER=x11",
                                   "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0"},
                                  QV_BINARY_DIR,
                                  ChildInput::Pty}));
        ASSERT_TRUE(m_game.WaitForOutput("name: ", TIMEOUT_MS));
        ASSERT_TRUE(m_game.Write("Ann\rp") && m_game.WaitInputRead(TIMEOUT_MS));
        ASSERT_TRUE(Shows(1));
    }

    void X(std::string command)
    {
        int status = -1;
        command.replace(command.find("%w"), 2, std::to_string(m_window.id));
        XRunCommand(m_server.Display(), "xdotool " + command, &status);
        EXPECT_EQ(status, 0) << command;
    }

    // Until the window, titled and centred, is z times the pictures and shows
    // the field picture, top line first, with the white ship at its centre
    // (and the zoom menu's background at (102, 102) when menu is set).
    bool Shows(int z, bool menu = false)
    {
        const XWindowInfo wanted = {0, (1600 - 640 * z) / 2, (1200 - 480 * z) / 2, 640 * z,
                                    480 * z};
        if (!XWaitForWindow(m_server.Display(), "Quorvadellix", &m_window, TIMEOUT_MS, &wanted)) {
            ADD_FAILURE() << m_window.x << ", " << m_window.y << ": " << m_window.width << " x "
                          << m_window.height;
            return false;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
        for (XScreenshot shot; std::chrono::steady_clock::now() < end;) {
            const auto at = [&](int col, int top) {
                return shot.At(m_window.x + col * z, m_window.y + top * z);
            };
            bool shown =
                shot.Take(m_server.Display()) &&
                (!menu || shot.At(m_window.x + 102, m_window.y + 102) == ZOOM_MENU_BACKGROUND);
            for (const auto& [col, row] : {std::pair{320, 240}, {315, 235}, {325, 235}}) {
                shown = shown && at(col, 479 - row) == 0xFFFFFF; // the notch and rear corners
            }
            int near = 0, total = 0; // up to the outlines and the menu
            for (int p = 0; p < 640 * 480; p += 331, ++total) {
                int off = 0;
                for (int channel = 0; channel < 3; ++channel) {
                    const int shownChannel =
                        static_cast<int>(at(p % 640, p / 640) >> (16 - 8 * channel) & 0xFF);
                    off = std::max(off, std::abs(shownChannel - m_field.samples[p * 3 + channel]));
                }
                near += off <= 2 ? 1 : 0;
            }
            if (shown && near > total * 95 / 100) {
                return true;
            }
            m_seen =
                std::to_string(near) + " of " + std::to_string(total) + " " + std::to_string(shown);
        }
        ADD_FAILURE() << "the window does not show the field: " << m_seen;
        return false;
    }

    void ExpectEndWithTheTerminalRestored()
    {
        ASSERT_TRUE(m_game.WaitExit(TIMEOUT_MS)) << m_game.Output();
        EXPECT_EQ(m_game.ExitCode(), 0) << m_game.Error();
        EXPECT_TRUE(SameSettings(m_game.Terminal()->Settings(), PseudoTerminal().Settings()));
    }

    XvfbServer m_server;
    ReferenceDecode m_field;
    ChildProcess m_game;
    XWindowInfo m_window;
    std::string m_seen;
};

} // namespace

TEST_F(GameWindow, RightClickMenuAndKeysZoomAndEscapeEndsTheGame)
{
    X("mousemove --window %w 100 100 click 3");
    EXPECT_TRUE(Shows(1, true));
    X("windowfocus %w key Escape"); // closes only the menu
    EXPECT_TRUE(Shows(1));
    X("mousemove --window %w 100 100 click 3");
    CZoomMenu menu;
    menu.Open(100, 100, 640, 480);
    X("mousemove --window %w " + std::to_string(menu.EntryCentreX()) + " " +
      std::to_string(menu.EntryCentreY(1)) + " click 1");
    EXPECT_TRUE(Shows(2));
    X("windowfocus %w key 1");
    EXPECT_TRUE(Shows(1));
    X("windowfocus %w key 2");
    EXPECT_TRUE(Shows(2));
    X("windowfocus %w key Escape");
    ExpectEndWithTheTerminalRestored();
}

TEST_F(GameWindow, KeysTypedInItSteerTheGameAndClosingItEndsTheGame)
{
    X("windowfocus %w key x k"); // quits, also while paused
    ASSERT_TRUE(m_game.WaitForOutput("Good Job, Ann !", TIMEOUT_MS));
    ASSERT_TRUE(m_game.Write("yh") && m_game.WaitInputRead(TIMEOUT_MS)); // the next game plays
    ASSERT_TRUE(XRequestClose(m_server.Display(), m_window.id));
    ExpectEndWithTheTerminalRestored();
}
