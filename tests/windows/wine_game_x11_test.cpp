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
#include <sstream>
#include <string>

namespace {

constexpr int TIMEOUT_MS = 60000;
const std::string EXE = QV_WINDOWS_EXE;
const std::string PROMPT = "Please enter your name: \n";
const std::string GAME_END = "Would you like to play again (Y/N)?: \n";

// The game under Wine, in its prefix beside the exe, with an SDL video driver.
ChildOptions WineOptions(const std::string& cwd, const std::string& driver)
{
    const std::string prefix = EXE.substr(0, EXE.rfind('/')) + "/wineprefix";
    return {{QV_WINE_RUN, prefix, EXE}, {"SDL_VIDEODRIVER=" + driver}, cwd, ChildInput::Pipe};
}

// Starts the game under Wine in folder with keys on its input; bad names a
// picture that is not one.
void Start(ChildProcess& child, const FixtureDirectory& folder, const std::string& keys,
           bool bad = false)
{
    const ByteVector picture = MakeJpeg({});
    ASSERT_TRUE(WriteBytes(folder.File("space_image_welcome.jpg"), picture));
    ASSERT_TRUE(WriteBytes(folder.File("space_image.jpg"), bad ? ByteVector(9, 'x') : picture));
    ASSERT_TRUE(child.Start(WineOptions(folder.Path(), "dummy")));
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
    // One line (binary standard error: no CR) that names the file.
    EXPECT_EQ(error.find_first_of("\r\n", at), error.size() - 1) << error;
    EXPECT_NE(error.find("space_image.jpg", at), std::string::npos) << error;

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
    const std::string system =
        " ADVAPI32.DLL GDI32.DLL IMM32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL "
        "OLEAUT32.DLL SETUPAPI.DLL SHELL32.DLL USER32.DLL VERSION.DLL WINMM.DLL ";
    int status = 0;
    const std::string dump = XRunCommand(
        "", "x86_64-w64-mingw32-objdump -p '" + EXE + "' | sed -n 's/.*DLL Name: //p' | tr a-z A-Z",
        &status);
    std::istringstream names(dump);
    for (std::string name; std::getline(names, name);) {
        EXPECT_NE(system.find(" " + name + " "), std::string::npos) << name;
    }
    EXPECT_NE(dump.find("KERNEL32.DLL"), std::string::npos) << dump;
}

TEST(WineGame, WindowCentredShowsTheWelcomePictureAndEndsOnEscape)
{
    const char* const variable = std::getenv("DISPLAY");
    const std::string display = variable != nullptr ? variable : "";
    std::ifstream file(std::string(QV_BINARY_DIR) + "/space_image_welcome.jpg", std::ios::binary);
    const ReferenceDecode welcome = DecodeWithLibjpeg(
        ByteVector((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    ASSERT_TRUE(welcome.ok && welcome.components == 3);
    ChildProcess game;
    ASSERT_TRUE(game.Start(WineOptions(QV_BINARY_DIR, "windows")));
    int status = 0;
    const std::string root = XRunCommand(display, "xwininfo -root", &status);
    const int rootWidth = std::atoi(root.c_str() + root.find("Width:") + 6);
    const int rootHeight = std::atoi(root.c_str() + root.find("Height:") + 7);
    // Centred with a client area of the picture's size (no window manager
    // here, so no frame around it).
    const XWindowInfo wanted = {0, (rootWidth - welcome.width) / 2,
                                (rootHeight - welcome.height) / 2, welcome.width, welcome.height};
    XWindowInfo window;
    EXPECT_TRUE(XWaitForWindow(display, "Quorvadellix", &window, TIMEOUT_MS, &wanted))
        << window.x << "," << window.y << " " << window.width << "x" << window.height;

    // Wine paints in its own time: compare until the picture is there.
    int wrong = -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TIMEOUT_MS);
    while (wrong != 0 && std::chrono::steady_clock::now() < end) {
        XScreenshot shot;
        wrong = shot.Take(display) ? 0 : 1;
        for (int i = 0; i < welcome.width * welcome.height; i += 331) {
            const unsigned char* rgb = &welcome.samples[i * 3];
            wrong += shot.At(window.x + i % welcome.width, window.y + i / welcome.width) !=
                     static_cast<std::uint32_t>(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
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
