// The cross-built game under Wine: the console dialogue over pipes, the DLLs
// it imports, and its window on the X server that DISPLAY names.
#include "support/child.h"
#include "support/dialogue.h"
#include "support/jpegfixtures.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

constexpr int TIMEOUT_MS = 60000;
const std::string EXE = QV_WINDOWS_EXE;
const std::string PROMPT = "Please enter your name: \n";
const std::string GAME_END = "Would you like to play again (Y/N)?: \n";

// Starts the game under Wine in folder with keys on its input; bad names a
// picture that is not one.
void Start(ChildProcess& child, const FixtureDirectory& folder, const std::string& keys,
           bool bad = false)
{
    const ByteVector picture = MakeJpeg({});
    ASSERT_TRUE(WriteBytes(folder.File("space_image_welcome.jpg"), picture));
    ASSERT_TRUE(WriteBytes(folder.File("space_image.jpg"), bad ? ByteVector(9, 'x') : picture));
    ChildOptions options;
    options.argv = {QV_WINE_RUN, EXE.substr(0, EXE.rfind('/')) + "/wineprefix", EXE};
    options.cwd = folder.Path();
    options.env = {"SDL_VIDEODRIVER=dummy"};
    ASSERT_TRUE(child.Start(options));
    ASSERT_TRUE(child.Write(keys));
}

} // namespace

TEST(WineGame, ConsoleOverPipesAsOnLinux)
{
    FixtureDirectory folder;
    ChildProcess game, bad, closed;
    Start(game, folder, "Ann\rkykn");
    ASSERT_TRUE(game.WaitExit(TIMEOUT_MS)) << game.Output();
    EXPECT_EQ(game.ExitCode(), 0);
    const std::string one = ExpectedHelp() + "\a\a\a\a" + ExpectedReport("Ann", 0, 0) + GAME_END;
    EXPECT_EQ(game.Output(), ExpectedBanner() + PROMPT + "Ann\n" + one +
                                 "Game will restart in 3 seconds \n" + one);

    // A bad picture: one message that names it, status 1.
    Start(bad, folder, "", true);
    ASSERT_TRUE(bad.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(bad.ExitCode(), 1);
    const std::string& error = bad.Error();
    const size_t at = error.find("quorvadellix: ");
    EXPECT_EQ(bad.Output(), "");
    EXPECT_NE(error.find("space_image.jpg", at), std::string::npos) << error;
    EXPECT_EQ(error.find("quorvadellix: ", at + 1), std::string::npos) << error;

    // Input that ends while a game runs ends that game and the run.
    Start(closed, folder, "Ann\r");
    ASSERT_TRUE(closed.WaitForOutput(ExpectedHelp(), TIMEOUT_MS)) << closed.Output();
    closed.CloseInput();
    ASSERT_TRUE(closed.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(closed.ExitCode(), 0);
    EXPECT_EQ(closed.Output().substr(closed.Output().size() - GAME_END.size()), GAME_END);
}

TEST(WineGame, ImportsOnlySystemDlls)
{
    const std::set<std::string> system = {"ADVAPI32", "GDI32",  "IMM32",    "KERNEL32",
                                          "MSVCRT",   "OLE32",  "OLEAUT32", "SETUPAPI",
                                          "SHELL32",  "USER32", "VERSION",  "WINMM"};
    int status = 0;
    const std::string dump = XRunCommand(
        "", "x86_64-w64-mingw32-objdump -p '" + EXE + "' | sed -n 's/.*DLL Name: //p'", &status);
    std::set<std::string> imported;
    for (size_t at = 0, end = 0; (end = dump.find(".dll\n", at)) != std::string::npos;
         at = end + 5) {
        std::string name = dump.substr(at, end - at);
        for (char& c : name) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(system.count(name), 1U) << name;
        imported.insert(name);
    }
    EXPECT_EQ(imported.count("KERNEL32"), 1U) << dump;
}

TEST(WineGame, WindowCentredShowsTheWelcomePictureAndEndsOnEscape)
{
    const std::string display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
    std::ifstream file(std::string(QV_BINARY_DIR) + "/space_image_welcome.jpg", std::ios::binary);
    const ReferenceDecode welcome = DecodeWithLibjpeg(
        ByteVector((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    ASSERT_TRUE(welcome.ok && welcome.components == 3);
    ChildProcess game;
    ChildOptions options;
    options.argv = {QV_WINE_RUN, EXE.substr(0, EXE.rfind('/')) + "/wineprefix", EXE};
    options.cwd = QV_BINARY_DIR;
    options.env = {"SDL_VIDEODRIVER=windows"};
    ASSERT_TRUE(game.Start(options));
    XWindowInfo window;
    ASSERT_TRUE(XWaitForWindow(display, "Quorvadellix", &window, TIMEOUT_MS));
    int status = 0;
    const std::string root = XRunCommand(display, "xwininfo -root", &status);
    const int rootWidth = std::atoi(root.c_str() + root.find("Width:") + 6);
    const int rootHeight = std::atoi(root.c_str() + root.find("Height:") + 7);
    EXPECT_EQ(window.width, welcome.width);
    EXPECT_EQ(window.height, welcome.height);
    // Centred, as far as the frame Wine may draw around the client allows.
    EXPECT_NEAR(window.x, (rootWidth - welcome.width) / 2, 16);
    EXPECT_NEAR(window.y, (rootHeight - welcome.height) / 2, 32);

    // Wine paints in its own time: compare until the picture is there.
    int wrong = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
    while (wrong != 0 && std::chrono::steady_clock::now() < end) {
        XScreenshot shot;
        wrong = shot.Take(display) ? 0 : 1;
        for (int i = 0; i < welcome.width * welcome.height; i += 997) {
            const std::uint32_t shown =
                shot.At(window.x + i % welcome.width, window.y + i / welcome.width);
            for (int c = 0; c < 3; ++c) {
                wrong += std::abs(static_cast<int>(shown >> (16 - 8 * c) & 0xFF) -
                                  welcome.samples[i * 3 + c]) > 8;
            }
        }
    }
    EXPECT_EQ(wrong, 0);

    // The window reacts while the game presents frames, that is during play.
    ASSERT_TRUE(game.Write("Ann\r"));
    ASSERT_TRUE(game.WaitForOutput(ExpectedHelp(), TIMEOUT_MS));
    XRunCommand(display, "xdotool windowfocus --sync " + std::to_string(window.id) + " key Escape",
                &status);
    ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(game.ExitCode(), 0);
    EXPECT_EQ(game.Output().find(GAME_END), std::string::npos);
}
