// Key events written into a console's input arrive as the game's keys; every way out restores
// the line mode.
#include "platform/terminal.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
constexpr DWORD LINE_MODE = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
HANDLE g_input = INVALID_HANDLE_VALUE;
DWORD Mode()
{
    DWORD mode = 0;
    GetConsoleMode(g_input, &mode);
    return mode;
}
// A console in line mode as standard input. Under Wine without a terminal the console has no
// input and is replaced.
class WindowsConsole : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            g_input =
                CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (g_input != INVALID_HANDLE_VALUE || FreeConsole() == 0 || AllocConsole() == 0)
                break;
        }
        ASSERT_NE(SetConsoleMode(g_input, LINE_MODE), 0);
        FlushConsoleInputBuffer(g_input);
        SetStdHandle(STD_INPUT_HANDLE, g_input);
    }
};
} // namespace
TEST_F(WindowsConsole, RawKeysWithoutEchoUntilRestored)
{
    TerminalInit();
    EXPECT_TRUE(TerminalModeActive());
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    // {down, repeats, virtual key, character}: releases and keys without a character type nothing.
    const int events[][4] = {{1, 1, 0, 'a'},          {0, 1, 0, 'a'}, {1, 1, VK_LEFT, 0},
                             {1, 1, VK_RETURN, '\r'}, {1, 3, 0, 'w'}, {1, 1, 0, 'd'}};
    for (const auto& [down, repeats, key, character] : events) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent = {down, WORD(repeats), WORD(key), 0, {}, 0};
        record.Event.KeyEvent.uChar.AsciiChar = static_cast<char>(character);
        DWORD written = 0;
        ASSERT_NE(WriteConsoleInputA(g_input, &record, 1, &written), 0);
    }
    std::string keys; // up to the last key, so that a lost key fails rather than waits
    while (keys.empty() || keys.back() != 'd')
        keys += TerminalGetKey();
    EXPECT_EQ(keys, "a\rwwwd");
    {
        const CTerminalLineInput lineInput;
        EXPECT_EQ(Mode(), LINE_MODE);
    }
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    TerminalRestore();
    EXPECT_EQ(Mode(), LINE_MODE);
}
TEST_F(WindowsConsole, FailedAssertionRestoresTheConsole)
{
    EXPECT_DEATH((TerminalInit(), QV_ASSERT(Mode() == LINE_MODE)),
                 "Assertion failed: Mode\\(\\) == LINE_MODE");
    EXPECT_EQ(Mode(), LINE_MODE);
}
// A console input that fails for good ends the input, as the end of a pipe does, so that a game
// does not run on unattended. A screen buffer passes for a console, but its input cannot be read.
TEST_F(WindowsConsole, AConsoleReadThatFailsForGoodEndsTheInput)
{
    g_input = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CONSOLE_TEXTMODE_BUFFER, nullptr);
    ASSERT_NE(g_input, INVALID_HANDLE_VALUE);
    ASSERT_NE(Mode(), 0U); // a console, not a file
    SetStdHandle(STD_INPUT_HANDLE, g_input);
    for (int waited = 0; waited < 20000 && !TerminalInputEnded(); ++waited) {
        EXPECT_FALSE(TerminalKeyHit());
        Sleep(1); // until the reader thread has met the failure
    }
    EXPECT_TRUE(TerminalInputEnded());
    EXPECT_EQ(TerminalGetKey(), '\n');
}
