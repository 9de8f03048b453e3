// The cross-built game under Wine: the console dialogue over pipes, the DLLs
// it imports, and its window on the X server that DISPLAY names.
#include "support/child.h"
#include "support/dialogue.h"
#include "support/jpegfixtures.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

constexpr int TIMEOUT_MS = 60000;
const std::string EXE = QV_WINDOWS_EXE;
const std::string END_OF_GAME = "Would you like to play again (Y/N)?: \n";

class WineGame : public ::testing::Test
{
protected:
    void Start(const std::string& cwd, bool window)
    {
        ChildOptions options;
        options.argv = {QV_WINE_RUN, EXE.substr(0, EXE.rfind('/')) + "/wineprefix", EXE};
        options.cwd = cwd;
        options.env = {window ? "SDL_VIDEODRIVER=windows" : "SDL_VIDEODRIVER=dummy"};
        ASSERT_TRUE(m_child.Start(options));
    }
    void Pictures(const std::string& background)
    {
        const ByteVector picture = MakeJpeg({});
        ASSERT_TRUE(WriteBytes(m_folder.File("space_image_welcome.jpg"), picture));
        ASSERT_TRUE(WriteBytes(
            m_folder.File("space_image.jpg"),
            background.empty() ? picture : ByteVector(background.begin(), background.end())));
    }

    FixtureDirectory m_folder;
    ChildProcess m_child;
};

} // namespace

TEST_F(WineGame, SameTranscriptAsOnLinux)
{
    Pictures("");
    Start(m_folder.Path(), false);
    ASSERT_TRUE(m_child.Write("Ann\rkykn"));
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS)) << m_child.Output();
    EXPECT_EQ(m_child.ExitCode(), 0);
    const std::string game =
        ExpectedHelp() + "\a\a\a\a" + ExpectedReport("Ann", 0, 0) + END_OF_GAME;
    EXPECT_EQ(m_child.Output(), ExpectedBanner() + "Please enter your name: \nAnn\n" + game +
                                    "Game will restart in 3 seconds \n" + game);
}

TEST_F(WineGame, BadPictureAndClosedInput)
{
    Pictures("not a picture");
    Start(m_folder.Path(), false);
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(m_child.ExitCode(), 1);
    EXPECT_EQ(m_child.Output(), "");
    const std::string& error = m_child.Error();
    const size_t at = error.find("quorvadellix: ");
    ASSERT_NE(at, std::string::npos) << error;
    EXPECT_EQ(error.find("quorvadellix: ", at + 1), std::string::npos) << error;
    EXPECT_NE(error.find("space_image.jpg", at), std::string::npos) << error;

    // Input that ends while a game runs ends that game and the run.
    Pictures("");
    Start(m_folder.Path(), false);
    ASSERT_TRUE(m_child.Write("Ann\r"));
    ASSERT_TRUE(m_child.WaitForOutput(ExpectedHelp(), TIMEOUT_MS)) << m_child.Output();
    m_child.CloseInput();
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(m_child.ExitCode(), 0);
    const std::string& output = m_child.Output();
    EXPECT_EQ(output.substr(output.size() - std::min(output.size(), END_OF_GAME.size())),
              END_OF_GAME);
}

TEST_F(WineGame, ImportsOnlySystemDlls)
{
    const std::set<std::string> system = {
        "ADVAPI32.DLL", "GDI32.DLL",    "IMM32.DLL",   "KERNEL32.DLL", "MSVCRT.DLL",  "OLE32.DLL",
        "OLEAUT32.DLL", "SETUPAPI.DLL", "SHELL32.DLL", "USER32.DLL",   "VERSION.DLL", "WINMM.DLL"};
    std::set<std::string> imported;
    int status = 0;
    const std::string dump =
        XRunCommand("", "x86_64-w64-mingw32-objdump -p '" + EXE + "' | grep 'DLL Name:'", &status);
    for (size_t at = dump.find("DLL Name: "); at != std::string::npos;
         at = dump.find("DLL Name: ", at + 1)) {
        std::string name = dump.substr(at + 10, dump.find('\n', at) - at - 10);
        for (char& c : name) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        imported.insert(name);
        EXPECT_EQ(system.count(name), 1U) << name;
    }
    EXPECT_EQ(imported.count("KERNEL32.DLL"), 1U) << dump;
}

TEST_F(WineGame, WindowShowsTheWelcomePictureCentredAndEndsOnEscape)
{
    const char* display = std::getenv("DISPLAY");
    ASSERT_NE(display, nullptr);
    std::ifstream file(std::string(QV_BINARY_DIR) + "/space_image_welcome.jpg", std::ios::binary);
    const ByteVector bytes((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const ReferenceDecode welcome = DecodeWithLibjpeg(bytes);
    ASSERT_TRUE(welcome.ok && welcome.components == 3);
    Start(QV_BINARY_DIR, true);
    XWindowInfo window;
    ASSERT_TRUE(XWaitForWindow(display, "Quorvadellix", &window, TIMEOUT_MS));
    EXPECT_EQ(window.width, welcome.width);
    EXPECT_EQ(window.height, welcome.height);
    int status = 0;
    const std::string root =
        XRunCommand(display, "xwininfo -root | grep -E 'Width|Height'", &status);
    int rootWidth = 0, rootHeight = 0;
    ASSERT_EQ(std::sscanf(root.c_str(), " Width: %d Height: %d", &rootWidth, &rootHeight), 2);
    // The whole window is centred: its client area lies within a frame's
    // width of the middle.
    EXPECT_NEAR(window.x + window.width / 2, rootWidth / 2, 40);
    EXPECT_NEAR(window.y + window.height / 2, rootHeight / 2, 40);

    ASSERT_TRUE(m_child.WaitForOutput("Please enter your name: \n", TIMEOUT_MS));
    XScreenshot shot;
    ASSERT_TRUE(shot.Take(display)) << shot.Error();
    int wrong = 0;
    for (int y = 0; y < welcome.height; y += 37) {
        for (int x = 0; x < welcome.width; x += 29) {
            const unsigned char* rgb = &welcome.samples[(y * welcome.width + x) * 3];
            const std::uint32_t shown = shot.At(window.x + x, window.y + y);
            for (int c = 0; c < 3; ++c) {
                wrong += std::abs(static_cast<int>((shown >> (16 - 8 * c)) & 0xFF) - rgb[c]) > 8;
            }
        }
    }
    EXPECT_EQ(wrong, 0);

    XRunCommand(display, "xdotool windowfocus --sync " + std::to_string(window.id) + " key Escape",
                &status);
    ASSERT_TRUE(m_child.WaitExit(TIMEOUT_MS));
    EXPECT_EQ(m_child.ExitCode(), 0);
}
