// The real game in a real window under Xvfb: what a player sees during play.
#include "support/child.h"
#include "support/jpegfixtures.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

ByteVector ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Near(std::uint32_t shown, const unsigned char* rgb)
{
    for (int channel = 0; channel < 3; ++channel) {
        const int value = static_cast<int>((shown >> (16 - 8 * channel)) & 0xFF);
        if (std::abs(value - rgb[channel]) > 2) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(GameWindow, ShowsThePlayingFieldWithTheWhiteShipAtTheCentre)
{
    if (!XvfbServer::Installed()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    XvfbServer server;
    ASSERT_TRUE(server.Start(1024, 768)) << server.Error();

    // The game's own pictures, as the build made them.
    FixtureDirectory folder;
    const ByteVector field = ReadFile(std::string(QV_BINARY_DIR) + "/space_image.jpg");
    ASSERT_FALSE(field.empty());
    ASSERT_TRUE(WriteBytes(folder.File("space_image.jpg"), field));
    ASSERT_TRUE(WriteBytes(folder.File("space_image_welcome.jpg"),
                           ReadFile(std::string(QV_BINARY_DIR) + "/space_image_welcome.jpg")));
    const ReferenceDecode expected = DecodeWithLibjpeg(field);
    ASSERT_TRUE(expected.ok);

    ChildProcess game;
    ChildOptions options;
    options.argv = {QV_GAME_BINARY};
    options.cwd = folder.Path();
    // Under a real X server SDL loads system libraries (D-Bus among them) that
    // keep small blocks for the life of the process and are unloaded before
    // the leak check can name them; the game's own memory is checked by the
    // dummy-driver runs and by valgrind, so this run leaves leaks unchecked.
    options.env = {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                   "ASAN_OPTIONS=halt_on_error=1:detect_leaks=0"};
    ASSERT_TRUE(game.Start(options)) << game.Error();
    XWindowInfo window;
    ASSERT_TRUE(XWaitForWindow(server.Display(), "Quorvadellix", &window, 15000));
    EXPECT_EQ(window.width, expected.width);
    EXPECT_EQ(window.height, expected.height);

    // The pause key, typed during the start delay, freezes the first frames
    // of play: the ship at the centre, one asteroid well away from it.
    ASSERT_TRUE(game.Write("Ann\rp"));
    ASSERT_TRUE(game.WaitForOutput("HELP MENU", 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(4000));

    XScreenshot shot;
    ASSERT_TRUE(shot.Take(server.Display())) << shot.Error();
    const auto shown = [&](int col, int row) { // row 0 at the bottom of the frame
        return shot.At(window.x + col, window.y + expected.height - 1 - row);
    };
    // Lines of the dart: the notch at the centre and the rear edge towards it.
    EXPECT_EQ(shown(320, 240), 0xFFFFFFU);
    EXPECT_EQ(shown(315, 235), 0xFFFFFFU);
    EXPECT_EQ(shown(325, 235), 0xFFFFFFU);

    // Everywhere else the playing-field picture, up to the outlines drawn on it.
    int matching = 0;
    int total = 0;
    for (int top = 0; top < expected.height; top += 7) {
        for (int col = 0; col < expected.width; col += 7) {
            const unsigned char* rgb = &expected.samples[(top * expected.width + col) * 3];
            matching += Near(shot.At(window.x + col, window.y + top), rgb) ? 1 : 0;
            ++total;
        }
    }
    EXPECT_GT(matching, total * 97 / 100) << matching << " of " << total;

    ASSERT_TRUE(game.Write("kn"));
    ASSERT_TRUE(game.WaitExit(15000));
    EXPECT_EQ(game.ExitCode(), 0) << game.Error();
    EXPECT_NE(game.Output().find("Good Job, Ann !"), std::string::npos);
}
