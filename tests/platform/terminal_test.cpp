// What every platform's terminal layer shares, run on each of them.
#include "platform/terminal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// In a child of its own: the first console call sets the terminal layer up once per process.
TEST(Terminal, WindowKeysWaitInOrderAndTheQueueDropsWhatDoesNotFit)
{
    EXPECT_EXIT(
        {
            for (int i = 0; i < TERMINAL_KEY_QUEUE_SIZE + 6; ++i)
                TerminalQueueKey(static_cast<char>('0' + i % 10));
            std::string keys;
            for (int i = 0; i < TERMINAL_KEY_QUEUE_SIZE; ++i)
                keys += TerminalGetKey();
            TerminalQueueKey('z'); // room again
            keys += TerminalGetKey();
            std::fprintf(stderr, "[%s]", keys.c_str());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "^\\[0123456789012345678901234567890123456789012345678901234567890123z\\]$");
}
