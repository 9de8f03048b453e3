// The Windows console layer's raw-key path, on a console of the test's own:
// key events written into its input arrive as the game's keys.
#include "platform/terminal.h"
#include "util/assertion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD LINE_MODE = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;

INPUT_RECORD Key(char c, bool down, WORD virtualKey = 0, WORD repeats = 1)
{
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
    record.Event.KeyEvent.wRepeatCount = repeats;
    record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
    record.Event.KeyEvent.uChar.AsciiChar = c;
    return record;
}

class WindowsConsole : public ::testing::Test
{
protected:
    // A console in line mode as standard input, before the layer's first use.
    void SetUp() override
    {
        // A death test's child shares its parent's console; a process under
        // Wine without a terminal has a console without input: replace it.
        m_input = OpenInput();
        if (m_input == INVALID_HANDLE_VALUE && FreeConsole() != 0 && AllocConsole() != 0) {
            m_input = OpenInput();
        }
        ASSERT_NE(m_input, INVALID_HANDLE_VALUE);
        ASSERT_NE(SetConsoleMode(m_input, LINE_MODE), 0);
        FlushConsoleInputBuffer(m_input);
        SetStdHandle(STD_INPUT_HANDLE, m_input);
    }

    static HANDLE OpenInput()
    {
        return CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    DWORD Mode() const
    {
        DWORD mode = 0;
        GetConsoleMode(m_input, &mode);
        return mode;
    }

    void Type(std::vector<INPUT_RECORD> records) const
    {
        DWORD written = 0;
        ASSERT_NE(WriteConsoleInputA(m_input, records.data(), static_cast<DWORD>(records.size()),
                                     &written),
                  0);
        ASSERT_EQ(written, records.size());
    }

    HANDLE m_input = INVALID_HANDLE_VALUE;
};

} // namespace

TEST_F(WindowsConsole, RawKeysWithoutEchoUntilRestored)
{
    TerminalInit();
    EXPECT_TRUE(TerminalModeActive());
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));

    // Key releases and keys without a character type nothing; a held key
    // repeats; Enter arrives as a carriage return.
    Type({Key('a', true), Key('a', false), Key(0, true, VK_LEFT), Key('\r', true, VK_RETURN),
          Key('w', true, 0, 3), Key('d', true)});
    std::string keys;
    for (int i = 0; i < 6; ++i) {
        keys += TerminalGetKey();
    }
    EXPECT_EQ(keys, "a\rwwwd");

    TerminalQueueKey('k');
    EXPECT_TRUE(TerminalKeyHit());
    EXPECT_EQ(TerminalGetKey(), 'k');

    {
        const CTerminalLineInput lineInput;
        EXPECT_EQ(Mode(), LINE_MODE);
        EXPECT_FALSE(TerminalModeActive());
    }
    EXPECT_EQ(Mode() & LINE_MODE, static_cast<DWORD>(ENABLE_PROCESSED_INPUT));

    TerminalRestore();
    EXPECT_EQ(Mode(), LINE_MODE);
    { // and the game mode does not come back
        const CTerminalLineInput lineInput;
    }
    EXPECT_EQ(Mode(), LINE_MODE);
}

TEST_F(WindowsConsole, FailedAssertionRestoresTheConsole)
{
    EXPECT_DEATH(
        {
            TerminalInit();
            QV_ASSERT(TerminalModeActive() && Mode() == LINE_MODE);
        },
        "Assertion failed: TerminalModeActive\\(\\) && Mode\\(\\) == LINE_MODE");
    EXPECT_EQ(Mode(), LINE_MODE);
}
