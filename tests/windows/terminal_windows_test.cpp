// Key events written into a console's input arrive as the game's keys; every way out restores
// the input and the output mode.
#include "platform/terminal.h"
#include "platform/terminal_windows.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {
constexpr DWORD LINE_MODE = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
constexpr DWORD VT = ENABLE_VIRTUAL_TERMINAL_PROCESSING;
HANDLE g_input = INVALID_HANDLE_VALUE, g_output = INVALID_HANDLE_VALUE;
DWORD g_outputMode = 0; // before the game
DWORD Mode(HANDLE console = g_input)
{
    DWORD mode = 0;
    GetConsoleMode(console, &mode);
    return mode;
}
HANDLE Open(const char* name) // inherited by death-test children
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherited, OPEN_EXISTING, 0, nullptr);
}
// A console in line mode as standard input and output. Under Wine without a terminal the
// console has no input and is replaced.
class WindowsConsole : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            g_input = Open("CONIN$");
            if (g_input != INVALID_HANDLE_VALUE || FreeConsole() == 0 || AllocConsole() == 0)
                break;
        }
        g_output = Open("CONOUT$");
        g_outputMode = Mode(g_output) & ~VT;
        ASSERT_NE(SetConsoleMode(g_input, LINE_MODE) && SetConsoleMode(g_output, g_outputMode), 0);
        FlushConsoleInputBuffer(g_input), SetConsoleTitleA("before");
        SetStdHandle(STD_INPUT_HANDLE, g_input), SetStdHandle(STD_OUTPUT_HANDLE, g_output);
    }
    static std::string Title()
    {
        char title[64] = {};
        return std::string(title, GetConsoleTitleA(title, sizeof title));
    }
    static bool Restored()
    {
        return Mode() == LINE_MODE && Mode(g_output) == g_outputMode && Title() == "before";
    }
    void ExpectRestored() { EXPECT_TRUE(Restored()); }
};
void Type(int down, int repeats, int key, int character)
{
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent = {down, WORD(repeats), WORD(key), 0, {}, 0};
    record.Event.KeyEvent.uChar.AsciiChar = static_cast<char>(character);
    DWORD written = 0;
    ASSERT_NE(WriteConsoleInputA(g_input, &record, 1, &written), 0);
}
const PHANDLER_ROUTINE Outlive = [](DWORD) -> BOOL { return TRUE; };
} // namespace
TEST_F(WindowsConsole, RawKeysWithoutEchoUntilRestored)
{
    TerminalInit();
    EXPECT_TRUE(TerminalModeActive() && Mode(g_output) == (g_outputMode | VT));
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    EXPECT_EQ(Title(), "Quorvadellix");
    // {down, repeats, virtual key, character}: releases and keys without a character type
    // nothing, except Alt's release after a character composed on the number pad.
    const int events[][4] = {{1, 1, 0, 'a'},     {0, 1, 0, 'a'},       {1, 1, VK_LEFT, 0},
                             {1, 1, VK_MENU, 0}, {0, 1, VK_MENU, 'A'}, {1, 1, VK_RETURN, '\r'},
                             {1, 3, 0, 'w'},     {1, 1, 0, 'd'}};
    for (const auto& [down, repeats, key, character] : events)
        Type(down, repeats, key, character);
    std::string keys; // up to the last key, so that a lost key fails rather than waits
    while (keys.empty() || keys.back() != 'd')
        keys += TerminalGetKey();
    EXPECT_EQ(keys, "aA\rwwwd");
    TerminalRestore(), ExpectRestored();
    Type(1, 1, 0, 'q'); // after the end: left for the next program on the console
    INPUT_RECORD record{};
    DWORD count = 0;
    ASSERT_EQ(WaitForSingleObject(g_input, 30000), WAIT_OBJECT_0);
    ASSERT_NE(ReadConsoleInputA(g_input, &record, 1, &count), 0);
    EXPECT_EQ(record.Event.KeyEvent.uChar.AsciiChar, 'q');
}
TEST_F(WindowsConsole, CtrlCAndFailedAssertionsEndTheGameAndRestoreTheConsole)
{
    EXPECT_DEATH((TerminalInit(), QV_ASSERT(Mode() == LINE_MODE)),
                 "Assertion failed: Mode\\(\\) == LINE_MODE");
    ExpectRestored();
    // Ctrl+C reaches every process on the console: this one outlives it, the game must not.
    SetConsoleCtrlHandler(Outlive, TRUE);
    EXPECT_EXIT(
        {
            SetConsoleCtrlHandler(Outlive, FALSE);
            SetConsoleCtrlHandler(nullptr, FALSE);
            QvRegisterEmergencyCleanup([] { std::fputs("cleaned up\n", stderr); });
            TerminalInit();
            if (Mode() != LINE_MODE && Mode(g_output) == (g_outputMode | VT))
                GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
            Sleep(60000); // only when the event was swallowed or not sent
            std::_Exit(7);
        },
        [](int status) { return status != 7; }, "cleaned up");
    ExpectRestored();
    // Windows sends Ctrl+Break and the closing of a console only from outside: the handler itself.
    for (const DWORD event :
         {CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT}) {
        EXPECT_EXIT(
            {
                QvRegisterEmergencyCleanup([] { std::fputs("cleaned up\n", stderr); });
                TerminalInit();
                const bool changed = Mode() != LINE_MODE && Mode(g_output) == (g_outputMode | VT);
                const BOOL answer = TerminalConsoleEventHandler()(event);
                std::fprintf(stderr, "changed %d, answer %d, restored %d\n", changed, answer,
                             Restored());
                std::_Exit(7);
            },
            ::testing::ExitedWithCode(7), "cleaned up\nchanged 1, answer 0, restored 1");
        ExpectRestored();
    }
}
// A prompt that takes the console reads every key typed before it, in order: the keys the game
// has not read, the one the reader holds while the game's queue is full, those still waiting.
TEST_F(WindowsConsole, APromptReadsTheKeysTypedBeforeItThenTheGameReadsAgain)
{
    TerminalInit();
    std::string typed;
    for (int i = 0; i < TERMINAL_KEY_QUEUE_SIZE + 6; ++i)
        typed += static_cast<char>('a' + i % 26), Type(1, 1, 0, typed.back());
    DWORD waiting = 0; // until the reader has filled the queue and holds one more key
    for (int waited = 0;
         waited < 20000 && GetNumberOfConsoleInputEvents(g_input, &waiting) && waiting > 5;
         ++waited)
        Sleep(1);
    typed += "xy\r", Type(1, 1, 0, 'x'), Type(1, 1, 0, 'y'), Type(1, 1, VK_RETURN, '\r');
    {
        const CTerminalLineInput lineInput;
        EXPECT_EQ(Mode(), LINE_MODE);
        INPUT_RECORD events[128];
        DWORD count = 0;
        PeekConsoleInputA(g_input, events, 128, &count);
        std::string given;
        for (DWORD i = 0; i < count; ++i)
            given +=
                events[i].EventType == KEY_EVENT ? events[i].Event.KeyEvent.uChar.AsciiChar : '?';
        ASSERT_EQ(given, typed);
        char line[128];
        ASSERT_NE(ReadConsoleA(g_input, line, sizeof line, &count, nullptr), 0);
        EXPECT_EQ(std::string(line, count), typed + "\n");
    }
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    Type(1, 1, 0, 'q');
    for (int waited = 0; waited < 20000 && !TerminalKeyHit(); ++waited)
        Sleep(1);
    ASSERT_TRUE(TerminalKeyHit());
    EXPECT_EQ(TerminalGetKey(), 'q');
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
