// Bad input of every kind, end to end on the real binary: faulty pictures,
// standard input ending at each stage, and signals on a real terminal. Each
// case has a documented exit status and message, is bounded by a timeout,
// and on a terminal leaves its settings exactly as they were.
#include "support/child.h"
#include "support/jpegfixtures.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr int TIMEOUT_MS = 30000;
const char* const FIELD = "space_image.jpg";
const char* const WELCOME = "space_image_welcome.jpg";

ByteVector Jpeg(int width, int height, JpegKind kind = JpegKind::COLOUR)
{
    JpegFixtureOptions options;
    options.width = width;
    options.height = height;
    options.kind = kind;
    return MakeJpeg(options);
}

// The first two thirds of a picture: its headers and the top of its rows.
ByteVector Truncated(ByteVector data)
{
    data.resize(data.size() * 2 / 3);
    return data;
}

ChildOptions GameIn(const FixtureDirectory& folder, ChildInput input = ChildInput::Pipe)
{
    ChildOptions options;
    options.argv = {QV_GAME_BINARY};
    options.cwd = folder.Path();
    options.env = {"SDL_VIDEODRIVER=dummy"};
    options.input = input;
    return options;
}

void WritePictures(const FixtureDirectory& folder, const std::optional<ByteVector>& field,
                   const std::optional<ByteVector>& welcome)
{
    if (field) {
        ASSERT_TRUE(WriteBytes(folder.File(FIELD), *field));
    }
    if (welcome) {
        ASSERT_TRUE(WriteBytes(folder.File(WELCOME), *welcome));
    }
}

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

// A picture the game cannot use stops it with status 1 and one message on
// standard error that names the file and the reason; nothing else is shown.
// Pictures it can use (a truncated file still decodes; grey and CMYK
// pictures are converted) start the game as usual.
TEST(BadInputMatrix, Pictures)
{
    const ByteVector good = Jpeg(64, 48);
    ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const ByteVector noise = RandomBytes(600, 3);
    png.insert(png.end(), noise.begin(), noise.end());
    struct Case
    {
        const char* name;
        std::optional<ByteVector> field;
        std::optional<ByteVector> welcome;
        int status;
        const char* message; // the start of standard error; nullptr: nothing but libjpeg's warning
    };
    const Case cases[] = {
        {"missing", std::nullopt, good, 1,
         "quorvadellix: space_image.jpg: cannot open the picture: No such file or directory\n"},
        {"missing welcome", good, std::nullopt, 1,
         "quorvadellix: space_image_welcome.jpg: cannot open the picture: No such file or "
         "directory\n"},
        {"empty", ByteVector{}, good, 1,
         "quorvadellix: space_image.jpg: not a picture that can be read (the file is empty)\n"},
        {"random bytes", RandomBytes(4096, 11), good, 1,
         "quorvadellix: space_image.jpg: not a picture that can be read (Decode: Unknown or "
         "wrong format)\n"},
        {"png", good, png, 1,
         "quorvadellix: space_image_welcome.jpg: not a picture that can be read (Decode: "
         "Unknown or wrong format)\n"},
        {"1025 x 768", Jpeg(1025, 768), Jpeg(1025, 768), 1,
         "quorvadellix: space_image.jpg: the picture is 1025 x 768 pixels; pictures may be at "
         "most 1024 x 768\n"},
        {"1024 x 769", Jpeg(1024, 769), Jpeg(1024, 769), 1,
         "quorvadellix: space_image.jpg: the picture is 1024 x 769 pixels; pictures may be at "
         "most 1024 x 768\n"},
        {"different sizes", good, Jpeg(64, 49), 1,
         "quorvadellix: space_image_welcome.jpg: the picture is 64 x 49 pixels but "
         "space_image.jpg is 64 x 48; both pictures must have the same size\n"},
        {"65000 x 65000", MakeJpegDeclaringSize(65000, 65000), good, 1,
         "quorvadellix: space_image.jpg: not a picture that can be read"},
        {"truncated", Truncated(Jpeg(320, 240)), Jpeg(320, 240), 0, nullptr},
        {"greyscale", Jpeg(64, 48, JpegKind::GREY), good, 0, ""},
        {"cmyk", good, Jpeg(64, 48, JpegKind::CMYK_ADOBE), 0, ""},
        {"largest", Jpeg(1024, 768), Jpeg(1024, 768), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureDirectory folder;
        WritePictures(folder, c.field, c.welcome);
        ChildProcess game;
        ASSERT_TRUE(game.Start(GameIn(folder)));
        game.CloseInput(); // a game that starts ends at once
        ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
        ASSERT_TRUE(game.Exited());
        EXPECT_EQ(game.ExitCode(), c.status);
        if (c.status != 0) {
            EXPECT_EQ(game.Output(), "");
            EXPECT_EQ(game.Error().rfind(c.message, 0), 0U) << game.Error();
            EXPECT_EQ(game.Error().find('\n'), game.Error().size() - 1) << "one line only";
        } else {
            EXPECT_EQ(game.Output().rfind("**********", 0), 0U) << "the banner comes first";
            EXPECT_NE(game.Output().find("Would you like to play again"), std::string::npos);
            if (c.message != nullptr) {
                EXPECT_EQ(game.Error(), c.message);
            } else {
                EXPECT_EQ(game.Error(), "Premature end of JPEG file\n");
            }
        }
    }
}

// Standard input that ends anywhere ends the run with status 0: an empty
// name at the prompt, the game ended as if quit during play, and "no" at the
// play-again question.
TEST(BadInputMatrix, InputClosedAtEachStage)
{
    FixtureDirectory folder;
    WritePictures(folder, Jpeg(64, 48), Jpeg(64, 48));
    const std::string question = "Would you like to play again (Y/N)?: \n";
    const struct
    {
        const char* stage;
        const char* keys;
        std::string waitFor;
        int thenMs; // 4500: past the start delay, the game is running
        const char* shown;
    } cases[] = {
        {"at the name prompt", "", "Please enter your name: \n", 0, "Good Job,  !\nGame Over!"},
        {"during play", "Ann\r", "HELP MENU", 4500, "Good Job, Ann !\nGame Over!"},
        {"at the play-again question", "Ann\rk", question, 0, "Good Job, Ann !\nGame Over!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stage);
        ChildProcess game;
        ASSERT_TRUE(game.Start(GameIn(folder)));
        ASSERT_TRUE(game.Write(c.keys));
        ASSERT_TRUE(game.WaitForOutput(c.waitFor, TIMEOUT_MS));
        Pause(c.thenMs);
        game.CloseInput();
        ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
        EXPECT_EQ(game.ExitCode(), 0);
        EXPECT_EQ(game.Error(), "");
        const std::string& output = game.Output();
        EXPECT_EQ(output.find("Good Job"), output.find(c.shown)) << output;
        EXPECT_EQ(output.substr(output.size() - question.size()), question);
    }
}

// Ctrl+C, a kill and a hang-up end the game by that signal, during the start
// delay and during play, and the terminal's settings come back exactly.
TEST(BadInputMatrix, SignalsOnATerminalRestoreItsSettings)
{
    FixtureDirectory folder;
    WritePictures(folder, Jpeg(64, 48), Jpeg(64, 48));
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        for (const bool duringPlay : {false, true}) {
            SCOPED_TRACE(std::string(strsignal(sig)) + (duringPlay ? " during play" : " in wait"));
            ChildProcess game;
            ASSERT_TRUE(game.Start(GameIn(folder, ChildInput::Pty)));
            ASSERT_NE(game.Terminal(), nullptr);
            const termios before = game.Terminal()->Settings();
            ASSERT_TRUE(game.Write("Ann\r"));
            ASSERT_TRUE(game.WaitForOutput("HELP MENU", TIMEOUT_MS));
            EXPECT_TRUE(IsGameMode(game.Terminal()->Settings()));
            Pause(duringPlay ? 4000 : 200);
            ASSERT_TRUE(game.Running());
            ASSERT_TRUE(game.Signal(sig));
            ASSERT_TRUE(game.WaitExit(TIMEOUT_MS));
            EXPECT_TRUE(game.Signalled());
            EXPECT_EQ(game.TermSignal(), sig);
            EXPECT_TRUE(SameSettings(game.Terminal()->Settings(), before));
        }
    }
}
