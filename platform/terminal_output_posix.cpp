// The output side of the terminal layers that write to file descriptor 1: a
// POSIX terminal, pipe or file, and a page's terminal, which emscripten feeds
// from it.
#include "platform/terminal.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

void TerminalWrite(const char* bytes, std::size_t count)
{
    TerminalInit();
    std::fflush(stdout);
    while (count > 0) {
        const ssize_t written = write(STDOUT_FILENO, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd waitFor{STDOUT_FILENO, POLLOUT, 0};
            poll(&waitFor, 1, -1);
        } else {
            return; // the terminal or the page is gone: nothing left to tell
        }
    }
}

void TerminalPutChar(char c)
{
    TerminalWrite(&c, 1);
}

void TerminalClear()
{
    TerminalWrite(TERMINAL_CLEAR_SEQUENCE, sizeof TERMINAL_CLEAR_SEQUENCE - 1);
}
