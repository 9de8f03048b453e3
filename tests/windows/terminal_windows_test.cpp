// Key events written into a console's input arrive as the game's keys; every way out restores
// the input and the output mode.
#include "platform/terminal.h"
#include "platform/terminal_windows.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <io.h>
#include <string>
#include <vector>

namespace {
constexpr DWORD LINE_MODE = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
constexpr DWORD VT = ENABLE_VIRTUAL_TERMINAL_PROCESSING;
HANDLE g_input = INVALID_HANDLE_VALUE, g_output = INVALID_HANDLE_VALUE;
DWORD g_outputMode = 0, g_mode = 0, g_count = 0; // before the game, the last read, a count
char g_title[64] = {};
HANDLE Open(const char* name, DWORD how = OPEN_EXISTING) // inherited by death-test children
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherited, how, 0, nullptr);
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
    static DWORD Mode(HANDLE c = g_input) { return GetConsoleMode(c, &g_mode) ? g_mode : 0; }
    static std::string Title() { return std::string(g_title, GetConsoleTitleA(g_title, 64)); }
    static bool Restored()
    {
        return Mode() == LINE_MODE && Mode(g_output) == g_outputMode && Title() == "before";
    }
    template <class Done> static bool Until(Done done) // a state, within 20 s or so
    {
        for (int waited = 0; waited < 20000 && !done(); ++waited)
            Sleep(1);
        return done();
    }
    static void Type(int down, int repeats, int key, const std::string& characters) // at once
    {
        std::vector<INPUT_RECORD> records;
        for (const char c : characters) // (the Unicode character's low byte is the ANSI one)
            records.push_back({KEY_EVENT, {{down, WORD(repeats), WORD(key), 0, {WCHAR(c)}, 0}}});
        ASSERT_NE(WriteConsoleInputA(g_input, records.data(), DWORD(records.size()), &g_count), 0);
    }
};
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
        Type(down, repeats, key, std::string(1, static_cast<char>(character)));
    std::string keys; // up to the last key, so that a lost key fails rather than waits
    while (keys.empty() || keys.back() != 'd')
        keys += TerminalGetKey();
    EXPECT_EQ(keys, "aA\rwwwd");
    Type(1, 1, 0, "q"); // taken by the reader, unused: it goes back to the console at the end
    ASSERT_TRUE(Until([] { return GetNumberOfConsoleInputEvents(g_input, &g_count) && !g_count; }));
    EXPECT_TRUE((TerminalRestore(), Restored()));
    Type(1, 1, 0, "r"); // after the end: left for the next program on the console
    INPUT_RECORD r[2]{};
    ASSERT_TRUE(Until([&] { return PeekConsoleInputA(g_input, r, 2, &g_count) && g_count == 2; }));
    EXPECT_EQ(std::string() + r[0].Event.KeyEvent.uChar.AsciiChar +
                  r[1].Event.KeyEvent.uChar.AsciiChar,
              "qr");
}
TEST_F(WindowsConsole, CtrlCAndFailedAssertionsEndTheGameAndRestoreTheConsole)
{
    EXPECT_DEATH((TerminalInit(), QV_ASSERT(Mode() == LINE_MODE)),
                 "Assertion failed: Mode\\(\\) == LINE_MODE");
    EXPECT_TRUE(Restored());
    // Ctrl+C reaches every process on the console: this one outlives it, the game must not.
    // Windows sends Ctrl+Break and the closing of a console only from outside: the handler itself.
    SetConsoleCtrlHandler(Outlive, TRUE);
    for (const DWORD event : {CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT,
                              CTRL_SHUTDOWN_EVENT}) {
        EXPECT_EXIT(
            {
                (SetConsoleCtrlHandler(Outlive, FALSE), SetConsoleCtrlHandler(nullptr, FALSE));
                QvRegisterEmergencyCleanup([] { std::fputs("cleaned up\n", stderr); });
                TerminalInit();
                const bool changed = Mode() != LINE_MODE && Mode(g_output) == (g_outputMode | VT);
                if (event == CTRL_C_EVENT && changed)
                    (GenerateConsoleCtrlEvent(event, 0), Sleep(60000)); // only when swallowed
                const BOOL answer = TerminalConsoleEventHandler()(event);
                std::fprintf(stderr, "changed %d, answer %d, restored %d\n", changed, answer,
                             Restored());
                std::_Exit(7);
            },
            [event](int status) { return (status == 7) == (event != CTRL_C_EVENT); },
            event == CTRL_C_EVENT ? "cleaned up" : "cleaned up\nchanged 1, answer 0, restored 1");
        EXPECT_TRUE(Restored());
    }
}
// A prompt that takes the console reads every key typed before it, in order: the keys the game
// has not read, the one the reader holds while the game's queue is full, those still waiting.
TEST_F(WindowsConsole, APromptReadsTheKeysTypedBeforeItThenTheGameReadsAgain)
{
    TerminalInit();
    std::string typed;
    for (int i = 0; i < TERMINAL_KEY_QUEUE_SIZE + 6; ++i) // an Enter closes the queue's keys
        typed += static_cast<char>(i == TERMINAL_KEY_QUEUE_SIZE - 1 ? '\r' : 'a' + i % 26);
    Type(1, 1, 0, typed);
    // Until the reader has filled the queue and holds one more key; then a hand-over event ahead
    // of the prompt's own: the keys after it are still in the console when the others go back.
    Until([] { return GetNumberOfConsoleInputEvents(g_input, &g_count) && g_count == 5; });
    INPUT_RECORD handOver{MENU_EVENT, {}};
    handOver.Event.MenuEvent.dwCommandId = TERMINAL_HAND_OVER_COMMAND;
    WriteConsoleInputA(g_input, &handOver, 1, &g_count);
    typed += "xy\r", Type(1, 1, 0, "xy"), Type(1, 1, VK_RETURN, "\r");
    {
        const CTerminalLineInput lineInput;
        EXPECT_EQ(Mode(), LINE_MODE);
        char line[128]; // two lines: the first ends with the queue's Enter
        ASSERT_NE(ReadConsoleA(g_input, line, sizeof line, &g_count, nullptr), 0);
        ASSERT_EQ(std::string(line, g_count), typed.substr(0, TERMINAL_KEY_QUEUE_SIZE) + "\n");
        ASSERT_NE(ReadConsoleA(g_input, line, sizeof line, &g_count, nullptr), 0);
        EXPECT_EQ(std::string(line, g_count), typed.substr(TERMINAL_KEY_QUEUE_SIZE) + "\n");
    }
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));
    typed = typed.substr(0, TERMINAL_KEY_QUEUE_SIZE + 2); // the game's again, past a full queue
    Type(1, 1, 0, typed);
    std::string got;
    Until([&] { return (TerminalKeyHit() && (got += TerminalGetKey()) == typed) || got == typed; });
    EXPECT_EQ(got, typed);
}
// A console input that fails for good ends the input, as the end of a pipe does, so that a game
// does not run on unattended (a screen buffer passes for a console, but its input cannot be read).
// Output to a file gets the bytes as written, in blocks of any size, after what the C library
// holds, and the clear sequence.
TEST_F(WindowsConsole, AFailedConsoleReadEndsTheInputAndAFileGetsTheOutputAsWritten)
{
    g_input = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CONSOLE_TEXTMODE_BUFFER, nullptr);
    const HANDLE file = Open("qv-output.tmp", CREATE_ALWAYS);
    ASSERT_NE(Mode(), 0U); // a console, not a file
    SetStdHandle(STD_INPUT_HANDLE, g_input), SetStdHandle(STD_OUTPUT_HANDLE, file);
    ASSERT_TRUE(Until([] { return TerminalKeyHit() || TerminalInputEnded(); }) &&
                !TerminalKeyHit());
    EXPECT_EQ(TerminalGetKey(), '\n');
    EXPECT_EQ(Title(), "Quorvadellix"); // a console on one side is enough
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0), out = _dup(1);
    _dup2(fd, 1), std::printf("w"); // the C library's standard output into the file too
    const std::string text = std::string(150000, 'x') + "y";
    TerminalWrite(text.data(), text.size()), TerminalClear(), TerminalPutChar('z');
    std::string written(text.size() + 20, '\0');
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ReadFile(file, written.data(), static_cast<DWORD>(written.size()), &g_count, nullptr);
    EXPECT_EQ(written.substr(0, g_count), "w" + text + TERMINAL_CLEAR_SEQUENCE + "z");
    TerminalRestore(), _dup2(out, 1), _close(fd), DeleteFileA("qv-output.tmp");
}
// A pipe is read when the game asks, one byte at a time and never in a poll that waits, up to its
// end, which stays the end.
TEST_F(WindowsConsole, APipeIsReadByteByByteWithoutWaitingUpToItsEnd)
{
    HANDLE pipe = nullptr, writer = nullptr;
    ASSERT_NE(CreatePipe(&pipe, &writer, nullptr, 0), 0);
    SetStdHandle(STD_INPUT_HANDLE, pipe);
    EXPECT_FALSE(TerminalKeyHit()); // empty
    WriteFile(writer, "ab", 2, &g_count, nullptr), CloseHandle(writer);
    ASSERT_TRUE(Until([] { return TerminalKeyHit(); }));
    for (const char key : std::string("ab\n\n"))
        EXPECT_EQ(TerminalGetKey(), key);
    EXPECT_TRUE(TerminalInputEnded() && !TerminalKeyHit());
}
