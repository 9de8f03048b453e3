#ifndef QV_PLATFORM_TERMINAL_INPUT_H
#define QV_PLATFORM_TERMINAL_INPUT_H

// The input side that every terminal layer shares, behind platform/terminal.h:
// the queue of window keys (read before anything else), the byte that
// TerminalKeyHit reads ahead, and the end-of-input state. terminal_input.cpp
// defines TerminalKeyHit, TerminalGetKey, TerminalInputEnded and
// TerminalQueueKey on top of a byte source; each platform's terminal file
// supplies that source with its own system calls, as TerminalPollByte and
// TerminalWaitByte.

/// A fixed ring of key bytes, oldest first: the window-key queue here, and
/// the keys a platform's own input buffers before the game reads them. Not
/// synchronised: a ring shared between threads is guarded by its owner's lock.
template <int Size> class CKeyRing
{
public:
    bool IsEmpty() const { return m_count == 0; }
    bool IsFull() const { return m_count == Size; }

    /// Appends a byte; a full ring drops it and answers false.
    bool Push(unsigned char key)
    {
        if (IsFull()) {
            return false;
        }
        m_keys[(m_head + m_count) % Size] = key;
        ++m_count;
        return true;
    }

    /// Takes the oldest byte (0 to 255). Only for a ring that is not empty.
    int Pop()
    {
        const int key = m_keys[m_head];
        m_head = (m_head + 1) % Size;
        --m_count;
        return key;
    }

private:
    unsigned char m_keys[Size] = {};
    int m_head = 0;
    int m_count = 0;
};

/// A byte source's answer when no byte is waiting yet.
constexpr int TERMINAL_NO_BYTE = -2;
/// A byte source's answer at the end of its input or on an error that cannot
/// be retried.
constexpr int TERMINAL_END_OF_INPUT = -1;

/// Where the keys typed in the terminal come from.
struct TerminalByteSource
{
    /// Without waiting: the next byte (0 to 255), TERMINAL_NO_BYTE or
    /// TERMINAL_END_OF_INPUT.
    int (*poll)();
    /// Waits for the next byte: the byte or TERMINAL_END_OF_INPUT.
    int (*wait)();
};

/// The platform's own source, defined by its terminal file.
int TerminalPollByte();
int TerminalWaitByte();

/// Reads from the given source from now on and returns the one it replaces
/// (the platform's own at first); lets the shared logic run on a scripted
/// source.
TerminalByteSource TerminalSetByteSource(TerminalByteSource source);

#endif
