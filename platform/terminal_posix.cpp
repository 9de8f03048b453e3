// The terminal layer on Linux and other POSIX systems.
//
// A terminal on standard input is switched to game mode (no line editing, no
// echo, Enter as a carriage return, Ctrl+C still a signal) on first use, and
// put back on every way out: a normal exit, SIGINT, SIGTERM and SIGHUP (then
// re-raised), a failed assertion or an uncaught exception (through the
// emergency clean-ups of util/assertion.h). Ctrl+Z gives the shell its normal
// terminal and holds the process clock; fg brings both back. Standard input
// that is not a terminal is read as it is, byte by byte. Window keys and the
// read-ahead byte are kept by platform/terminal_input.cpp; this file only
// reads and waits for bytes of standard input.
#include "platform/processclock.h"
#include "platform/terminal.h"
#include "platform/terminal_input.h"

#include "util/assertion.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Terminal mode. Everything a signal handler reads or writes is a
// sig_atomic_t or is set once before the handlers are installed.
bool g_initDone = false;
termios g_original{};
termios g_gameMode{};
volatile std::sig_atomic_t g_modeActive = 0;
// Set by TerminalRestore and the emergency paths: the game mode never comes
// back after it.
volatile std::sig_atomic_t g_finished = 0;
// The game mode was on when the program was stopped with Ctrl+Z.
volatile std::sig_atomic_t g_resumeOnContinue = 0;

// Async-signal-safe.
void RestoreMode(int when)
{
    if (g_modeActive != 0) {
        g_modeActive = 0;
        tcsetattr(STDIN_FILENO, when, &g_original);
    }
}

// Async-signal-safe. The flag goes up before the call, so that a signal that
// arrives in between still restores (restoring unchanged settings is harmless).
void ApplyGameMode(int when)
{
    g_modeActive = 1;
    if (tcsetattr(STDIN_FILENO, when, &g_gameMode) != 0) {
        g_modeActive = 0;
    }
}

void EmergencyRestore()
{
    g_finished = 1;
    RestoreMode(TCSANOW);
}

void SetDisposition(int sig, void (*handler)(int))
{
    struct sigaction action
    {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

// SIGINT, SIGTERM, SIGHUP: restore, run the other clean-ups, then die of the
// same signal with its default action so that the exit status tells it.
void OnFatalSignal(int sig)
{
    EmergencyRestore();
    QvRunEmergencyCleanups();
    SetDisposition(sig, SIG_DFL);
    raise(sig);
}

// Async-signal-safe: the terminal's foreground process group is ours, so
// the player's keys reach the game.
bool InForeground()
{
    return tcgetpgrp(STDIN_FILENO) == getpgrp();
}

// Ctrl+Z: hand the shell a normal terminal, then really stop. The time
// stopped is no game time, nor is time run in the background after bg, where
// no key can reach the game: the process clock is held until the game runs
// in the foreground again.
void OnStop(int sig)
{
    const int savedErrno = errno;
    ProcessClockHold();
    g_resumeOnContinue = g_modeActive;
    RestoreMode(TCSANOW);
    SetDisposition(sig, SIG_DFL);
    sigset_t stopOnly;
    sigemptyset(&stopOnly);
    sigaddset(&stopOnly, sig);
    sigprocmask(SIG_UNBLOCK, &stopOnly, nullptr);
    raise(sig); // stops here until SIGCONT
    if (InForeground()) {
        ProcessClockRelease();
    }
    SetDisposition(sig, &OnStop);
    errno = savedErrno;
}

// Continued after a stop: back in the foreground (fg) the game clock and the
// game mode return; in the background (bg) both wait for the fg that follows.
void OnContinue(int)
{
    const int savedErrno = errno;
    if (InForeground()) {
        ProcessClockRelease();
        if (g_resumeOnContinue != 0 && g_finished == 0) {
            g_resumeOnContinue = 0;
            ApplyGameMode(TCSANOW);
        }
    }
    errno = savedErrno;
}

void RestoreAtExit()
{
    TerminalRestore();
}

// Installs a handler unless the signal is ignored (as nohup or a shell's
// background job asks): an ignored signal stays ignored.
void InstallHandler(int sig, void (*handler)(int))
{
    struct sigaction previous
    {
    };
    if (sigaction(sig, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
        return;
    }
    SetDisposition(sig, handler);
}

// One byte of standard input, or TERMINAL_END_OF_INPUT at its end or on an
// error that cannot be retried.
int ReadByte()
{
    for (;;) {
        unsigned char byte = 0;
        const ssize_t count = read(STDIN_FILENO, &byte, 1);
        if (count == 1) {
            return byte;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Standard input was left non-blocking by someone else: wait.
            pollfd waitFor{STDIN_FILENO, POLLIN, 0};
            poll(&waitFor, 1, -1);
            continue;
        }
        return TERMINAL_END_OF_INPUT;
    }
}

} // namespace

void TerminalInit()
{
    if (g_initDone) {
        return;
    }
    g_initDone = true;
    if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &g_original) != 0) {
        return;
    }
    g_gameMode = g_original;
    g_gameMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    g_gameMode.c_iflag &= ~static_cast<tcflag_t>(ICRNL);
    g_gameMode.c_cc[VMIN] = 1;
    g_gameMode.c_cc[VTIME] = 0;

    std::atexit(&RestoreAtExit);
    QvRegisterEmergencyCleanup(&EmergencyRestore);
    InstallHandler(SIGINT, &OnFatalSignal);
    InstallHandler(SIGTERM, &OnFatalSignal);
    InstallHandler(SIGHUP, &OnFatalSignal);
    InstallHandler(SIGTSTP, &OnStop);
    InstallHandler(SIGCONT, &OnContinue);
    ApplyGameMode(TCSADRAIN);
}

int TerminalPollByte()
{
    pollfd ready{STDIN_FILENO, POLLIN, 0};
    int result = 0;
    do {
        result = poll(&ready, 1, 0);
    } while (result < 0 && errno == EINTR);
    if (result <= 0) {
        return TERMINAL_NO_BYTE;
    }
    if ((ready.revents & POLLNVAL) != 0) {
        return TERMINAL_END_OF_INPUT;
    }
    // Readable or hung up, so a read does not block. Reading the byte now is
    // the only way to tell a waiting byte from the end of a pipe or a file.
    return ReadByte();
}

int TerminalWaitByte()
{
    return ReadByte();
}

void TerminalRestore()
{
    g_finished = 1;
    RestoreMode(TCSADRAIN);
}

bool TerminalModeActive()
{
    return g_modeActive != 0;
}

CTerminalLineInput::CTerminalLineInput() : m_suspended(false)
{
    TerminalInit();
    if (g_modeActive != 0) {
        RestoreMode(TCSADRAIN);
        m_suspended = true;
    }
}

CTerminalLineInput::~CTerminalLineInput()
{
    if (m_suspended && g_finished == 0) {
        ApplyGameMode(TCSADRAIN);
    }
}
