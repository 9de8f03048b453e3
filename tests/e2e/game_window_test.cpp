// The real game in a real window under Xvfb: what a player sees during play.
#include "support/child.h"
#include "support/jpegfixtures.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

TEST(GameWindow, ShowsThePlayingFieldWithTheWhiteShipAtTheCentre)
{
    if (!XvfbServer::Installed()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    XvfbServer server;
    ASSERT_TRUE(server.Start(1024, 768)) << server.Error();
    std::ifstream file(std::string(QV_BINARY_DIR) + "/space_image.jpg", std::ios::binary);
    const ReferenceDecode field =
        DecodeWithLibjpeg({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
    ASSERT_TRUE(field.ok);

    // The game with the pictures the build made. Under a real X server SDL
    // loads system libraries (D-Bus among them) that keep blocks to the end
    // and are unloaded before the leak check can name them; the game's own
    // memory is checked by the dummy-driver runs and valgrind instead.
    ChildProcess game;
    ChildOptions options;
    options.argv = {QV_GAME_BINARY};
    options.cwd = QV_BINARY_DIR;
    options.env = {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                   "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0"};
    ASSERT_TRUE(game.Start(options));
    XWindowInfo window;
    ASSERT_TRUE(XWaitForWindow(server.Display(), "Quorvadellix", &window, 15000));
    EXPECT_EQ(window.width, field.width);
    EXPECT_EQ(window.height, field.height);
    // The pause key typed during the start delay freezes the first frame of
    // play: the ship at the centre, one asteroid well away from it.
    ASSERT_TRUE(game.Write("Ann\rp"));
    ASSERT_TRUE(game.WaitForOutput("HELP MENU", 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(4000));
    XScreenshot shot;
    ASSERT_TRUE(shot.Take(server.Display())) << shot.Error();

    // The dart's notch at the centre and its rear edges are white (row 0 is
    // the bottom of the frame).
    for (const int col : {320, 315, 325}) {
        const int row = col == 320 ? 240 : 235;
        EXPECT_EQ(shot.At(window.x + col, window.y + field.height - 1 - row), 0xFFFFFFU) << col;
    }
    // Everywhere else the playing-field picture, up to the outlines on it.
    int matching = 0;
    int total = 0;
    for (int top = 0; top < field.height; top += 7) {
        for (int col = 0; col < field.width; col += 7, ++total) {
            const unsigned char* rgb = &field.samples[(top * field.width + col) * 3];
            const std::uint32_t shown = shot.At(window.x + col, window.y + top);
            bool near = true;
            for (int channel = 0; channel < 3; ++channel) {
                near = near && std::abs(static_cast<int>((shown >> (16 - 8 * channel)) & 0xFF) -
                                        rgb[channel]) <= 2;
            }
            matching += near ? 1 : 0;
        }
    }
    EXPECT_GT(matching, total * 97 / 100) << matching << " of " << total;

    ASSERT_TRUE(game.Write("kn"));
    ASSERT_TRUE(game.WaitExit(15000));
    EXPECT_EQ(game.ExitCode(), 0) << game.Error();
    EXPECT_NE(game.Output().find("Good Job, Ann !"), std::string::npos);
}
