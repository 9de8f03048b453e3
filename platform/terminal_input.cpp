#include "platform/terminal_input.h"

#include "platform/terminal.h"

namespace {

TerminalByteSource g_source{&TerminalPollByte, &TerminalWaitByte};

// Keys typed in the graphics window, oldest first.
CKeyRing<TERMINAL_KEY_QUEUE_SIZE> g_windowKeys;

// A byte that TerminalKeyHit had to read to tell a waiting key from the end
// of input, kept until TerminalGetKey takes it; TERMINAL_NO_BYTE when none is
// kept.
int g_lookahead = TERMINAL_NO_BYTE;
bool g_inputEnded = false;

} // namespace

TerminalByteSource TerminalSetByteSource(TerminalByteSource source)
{
    const TerminalByteSource previous = g_source;
    g_source = source;
    return previous;
}

bool TerminalKeyHit()
{
    TerminalInit();
    if (!g_windowKeys.IsEmpty() || g_lookahead >= 0) {
        return true;
    }
    const int byte = g_source.poll();
    if (byte == TERMINAL_NO_BYTE) {
        return false;
    }
    g_inputEnded = byte < 0;
    if (g_inputEnded) {
        return false;
    }
    g_lookahead = byte;
    return true;
}

char TerminalGetKey()
{
    TerminalInit();
    if (!g_windowKeys.IsEmpty()) {
        return static_cast<char>(g_windowKeys.Pop());
    }
    if (g_lookahead >= 0) {
        const char key = static_cast<char>(g_lookahead);
        g_lookahead = TERMINAL_NO_BYTE;
        return key;
    }
    const int byte = g_source.wait();
    g_inputEnded = byte < 0;
    return g_inputEnded ? '\n' : static_cast<char>(byte);
}

bool TerminalInputEnded()
{
    return g_inputEnded;
}

void TerminalQueueKey(char key)
{
    g_windowKeys.Push(static_cast<unsigned char>(key));
}
