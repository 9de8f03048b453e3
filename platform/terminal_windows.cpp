// The terminal layer on a Windows console.
//
// A console standard input is switched to raw keys (no line input, no echo;
// Ctrl+C still raises the console's interrupt). A reader thread waits on the
// console input and moves the events already waiting into a buffer of its
// own; it never leaves a read waiting, so that when the game ends the next
// program on the console gets every key typed after it. Keys the reader took
// and the game did not use go back to the console at the end. While the game
// waits for a key typed in the console, a visible console window gets the
// keyboard back from the game's own graphics window.
// A prompt that reads whole lines takes the console from the reader thread
// with a hand-over event of its own: the keys typed before it, those the game
// has not read yet included, reach the prompt in order.
//
// Console output gets processed output and virtual-terminal processing. The
// screen of a console is still cleared with the console functions, which
// every console host understands: some accept virtual-terminal processing
// and then show the clear sequence as text. The console is titled
// "Quorvadellix" while the game runs; its modes and its title come back on
// every way out.
//
// A pipe or a file on standard input is read byte by byte with the same
// end-of-input behaviour as on POSIX systems, and both standard streams are
// binary, so the bytes of a transcript are the same as there.
#include "platform/terminal_windows.h"
#include "platform/terminal.h"
#include "platform/terminal_input.h"

#include "util/assertion.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Console modes. The atomics are also read by the console control handler,
// which Windows runs on a thread of its own.
bool g_initDone = false;
HANDLE g_input = INVALID_HANDLE_VALUE;
HANDLE g_output = INVALID_HANDLE_VALUE;
bool g_inputIsConsole = false;
DWORD g_originalInput = 0;
DWORD g_originalOutput = 0;
DWORD g_gameInput = 0;
std::atomic<bool> g_modeActive{false};
std::atomic<bool> g_outputModeChanged{false};
// Set by TerminalRestore and the emergency paths: the game mode never comes
// back after it.
std::atomic<bool> g_finished{false};
bool g_outputIsConsole = false;
std::atomic<bool> g_titleChanged{false};
char g_originalTitle[MAX_PATH] = {};

// Characters typed in the console, shared by the console reader thread and
// the game. Allocated once and never destroyed, so the reader may still use
// them while the process ends.
struct ConsoleKeys
{
    std::mutex mutex;
    std::condition_variable changed;
    CKeyRing<TERMINAL_KEY_QUEUE_SIZE> keys;
    bool readerPaused = false;      // a prompt takes the console
    bool readerParked = false;      // the reader has read the prompt's hand-over event
    bool consoleEnded = false;      // the console input failed for good
    std::vector<INPUT_RECORD> late; // read after a prompt took the console
};

ConsoleKeys& Queue()
{
    static ConsoleKeys* const queue = new ConsoleKeys;
    return *queue;
}

// Binary standard streams from the start: no CR LF translation, no Ctrl+Z
// end of file, also for text written before the first console call.
const bool g_binaryStreams = [] {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
}();

// The oldest typed character, as a byte; the queue holds one. The caller
// holds the lock.
int PopKey(ConsoleKeys& queue)
{
    const int key = queue.keys.Pop();
    queue.changed.notify_all();
    return key;
}

void RestoreModes()
{
    if (g_modeActive.exchange(false)) {
        SetConsoleMode(g_input, g_originalInput);
    }
    if (g_outputModeChanged.exchange(false)) {
        SetConsoleMode(g_output, g_originalOutput);
    }
    if (g_titleChanged.exchange(false)) {
        SetConsoleTitleA(g_originalTitle);
    }
}

// The flag goes up before the call, so that a control event that arrives in
// between still restores (restoring unchanged modes is harmless).
void ApplyGameMode()
{
    g_modeActive = true;
    if (SetConsoleMode(g_input, g_gameInput) == 0) {
        g_modeActive = false;
    }
}

// Ends the game's reading of the console: once the queue's lock is taken,
// the reader reads no more events, and none of its reads is under way.
void StopReading()
{
    g_finished = true;
    if (g_inputIsConsole) {
        const std::lock_guard<std::mutex> lock(Queue().mutex);
    }
}

void EmergencyRestore()
{
    StopReading();
    RestoreModes();
}

// Ctrl+C, Ctrl+Break, closing the console, logging off, shutting down: put
// the console back, then let the default handling end the process.
BOOL WINAPI OnConsoleEvent(DWORD)
{
    EmergencyRestore();
    QvRunEmergencyCleanups();
    return FALSE;
}

void RestoreAtExit()
{
    TerminalRestore();
}

// The character a console input event types, or 0 when it types none. Keys
// count when pressed; a character composed with Alt and the number pad
// arrives with the release of Alt.
char TypedCharacter(const INPUT_RECORD& record)
{
    if (record.EventType != KEY_EVENT) {
        return 0;
    }
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    if (key.bKeyDown == 0 && key.wVirtualKeyCode != VK_MENU) {
        return 0;
    }
    return key.uChar.AsciiChar;
}

// Puts events read too early back in front of the console's input, for the
// program or the prompt that reads it next: what waits there is read and
// written again after them.
void GiveBack(std::vector<INPUT_RECORD> events)
{
    DWORD waiting = 0;
    GetNumberOfConsoleInputEvents(g_input, &waiting);
    const std::size_t given = events.size();
    events.resize(given + waiting);
    DWORD count = 0;
    if (waiting == 0 || ReadConsoleInputA(g_input, &events[given], waiting, &count) == 0) {
        count = 0;
    }
    events.resize(given + count);
    DWORD written = 0;
    if (!events.empty()) {
        WriteConsoleInputA(g_input, events.data(), static_cast<DWORD>(events.size()), &written);
    }
}

// The key event that types a character the reader had queued.
INPUT_RECORD KeyRecord(int key)
{
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = TRUE;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = LOBYTE(VkKeyScanA(static_cast<char>(key)));
    record.Event.KeyEvent.uChar.AsciiChar = static_cast<char>(key);
    return record;
}

// Queues the character a key event types, as often as it repeats. When the
// queue is full the reader waits: keys typed ahead are never lost. When a
// prompt takes the console meanwhile, the repeats not yet queued are its.
void QueueKeys(ConsoleKeys& queue, std::unique_lock<std::mutex>& lock, INPUT_RECORD record)
{
    const char key = TypedCharacter(record);
    KEY_EVENT_RECORD& event = record.Event.KeyEvent;
    for (int repeats = event.wRepeatCount > 1 ? event.wRepeatCount : 1; key != 0 && repeats > 0;
         --repeats) {
        queue.changed.wait(lock, [&queue] { return !queue.keys.IsFull() || queue.readerPaused; });
        if (queue.readerPaused) {
            event.wRepeatCount = static_cast<WORD>(repeats);
            queue.late.push_back(record);
            break;
        }
        queue.keys.Push(static_cast<unsigned char>(key));
    }
    queue.changed.notify_all();
}

// Moves typed characters from the console into the queue. The reader only
// ever reads an event that already waits, under the queue's lock: it waits
// on the console input without reading, so when the game has ended no read
// of its own is outstanding, which would take the first key typed for the
// next program on the console (a process that ends does not take back a
// console read it started). Events read after a prompt took the console are
// kept for it, up to its hand-over event; then the reader parks until the
// game mode is back.
void ReadConsoleKeys()
{
    ConsoleKeys& queue = Queue();
    for (;;) {
        std::unique_lock<std::mutex> lock(queue.mutex);
        if (g_finished) {
            return; // what waits now is for the program that reads the console next
        }
        INPUT_RECORD record{};
        DWORD count = 0;
        if (PeekConsoleInputA(g_input, &record, 1, &count) == 0 ||
            (count == 1 && ReadConsoleInputA(g_input, &record, 1, &count) == 0)) {
            queue.consoleEnded = true;
            queue.changed.notify_all();
            return;
        }
        if (count == 0) {
            lock.unlock();
            // Signalled when an event arrives; the time-out sees the end of the game.
            WaitForSingleObject(g_input, 100);
            continue;
        }
        if (record.EventType == MENU_EVENT &&
            record.Event.MenuEvent.dwCommandId == TERMINAL_HAND_OVER_COMMAND) {
            queue.readerParked = true;
            queue.changed.notify_all();
            queue.changed.wait(lock, [&queue] { return !queue.readerPaused; });
            queue.readerParked = false;
        } else if (queue.readerPaused) {
            queue.late.push_back(record);
        } else {
            QueueKeys(queue, lock, record);
        }
    }
}

// One byte of a piped or redirected standard input, or TERMINAL_END_OF_INPUT
// at its end or on an error.
int ReadByte()
{
    unsigned char byte = 0;
    DWORD count = 0;
    if (ReadFile(g_input, &byte, 1, &count, nullptr) != 0 && count == 1) {
        return byte;
    }
    return TERMINAL_END_OF_INPUT;
}

// A pipe cannot be asked without waiting whether it holds a byte (Wine does
// not implement PeekNamedPipe for them), so a helper thread does the one
// blocking read of a byte when asked and hands it over. Like the POSIX
// layer, at most one byte is ever read ahead of the game.
bool g_pipeThreadStarted = false;
bool g_pipeReadAsked = false;
bool g_pipeReadDone = false;
int g_pipeByte = -1;

void ReadPipeBytes()
{
    ConsoleKeys& queue = Queue();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(queue.mutex);
            queue.changed.wait(lock, [] { return g_pipeReadAsked && !g_pipeReadDone; });
        }
        const int byte = ReadByte();
        const std::lock_guard<std::mutex> lock(queue.mutex);
        g_pipeByte = byte;
        g_pipeReadDone = true;
        queue.changed.notify_all();
        if (byte < 0) {
            return;
        }
    }
}

// Asks the pipe thread for a byte unless a read is under way; with wait,
// waits for it. Returns the byte, TERMINAL_END_OF_INPUT at the end or
// TERMINAL_NO_BYTE while still waiting.
int PipeByte(bool wait)
{
    ConsoleKeys& queue = Queue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    if (!g_pipeReadAsked) {
        g_pipeReadAsked = true;
        queue.changed.notify_all();
        if (!g_pipeThreadStarted) {
            g_pipeThreadStarted = true;
            std::thread(&ReadPipeBytes).detach();
        }
    }
    if (wait) {
        queue.changed.wait(lock, [] { return g_pipeReadDone; });
    }
    if (!g_pipeReadDone) {
        return TERMINAL_NO_BYTE;
    }
    g_pipeReadAsked = false;
    g_pipeReadDone = false;
    return g_pipeByte;
}

// Gives the console the keyboard back from the game's own window or from no
// window, where that cannot harm: never from another program's window. A console window the
// player can see is brought to the front (a console host such as Windows
// Terminal shows the console in a window of its own and keeps a hidden one
// here). Under Wine the keyboard may stay with the game's window all the
// same, so the window gives it back its own way too, once per wait: a click into the window
// during the wait is the player's choice. The game's window is shown without
// taking the keyboard, so this matters only after a click into it.
std::atomic<void (*)()> g_keyboardHandBack{nullptr};

void GiveConsoleTheKeyboard(bool windowMayHandBack)
{
    const HWND console = GetConsoleWindow();
    const HWND front = GetForegroundWindow();
    DWORD owner = 0;
    GetWindowThreadProcessId(front, &owner);
    const bool nobodys = front == nullptr || front == GetDesktopWindow();
    if ((owner != GetCurrentProcessId() && !nobodys) || front == console) {
        return;
    }
    if (console != nullptr && IsWindowVisible(console) != 0) {
        SetForegroundWindow(console);
    }
    void (*const handBack)() = g_keyboardHandBack;
    if (windowMayHandBack && handBack != nullptr && !nobodys) {
        handBack();
    }
}

void ClearWithConsoleFunctions()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(g_output, &info) == 0) {
        return;
    }
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    const COORD home{0, 0};
    DWORD done = 0;
    FillConsoleOutputCharacterA(g_output, ' ', cells, home, &done);
    FillConsoleOutputAttribute(g_output, info.wAttributes, cells, home, &done);
    SetConsoleCursorPosition(g_output, home);
}

} // namespace

void TerminalInit()
{
    if (g_initDone) {
        return;
    }
    g_initDone = true;
    g_input = GetStdHandle(STD_INPUT_HANDLE);
    g_output = GetStdHandle(STD_OUTPUT_HANDLE);
    g_inputIsConsole = GetConsoleMode(g_input, &g_originalInput) != 0;
    g_outputIsConsole = GetConsoleMode(g_output, &g_originalOutput) != 0;
    if (!g_inputIsConsole && !g_outputIsConsole) {
        return;
    }
    std::atexit(&RestoreAtExit);
    QvRegisterEmergencyCleanup(&EmergencyRestore);
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);

    GetConsoleTitleA(g_originalTitle, sizeof g_originalTitle);
    g_titleChanged = true;
    SetConsoleTitleA("Quorvadellix");
    if (g_outputIsConsole) {
        const DWORD wanted =
            g_originalOutput | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
        if (wanted != g_originalOutput) {
            g_outputModeChanged = true;
            g_outputModeChanged = SetConsoleMode(g_output, wanted) != 0;
        }
    }
    if (g_inputIsConsole) {
        g_gameInput =
            (g_originalInput & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) |
            ENABLE_PROCESSED_INPUT;
        ApplyGameMode();
        std::thread(&ReadConsoleKeys).detach();
    }
}

// Console keys come from the reader thread, which records a console input
// that failed for good as the end. A file or a device never makes a read
// wait, so a poll reads one byte of it; a pipe is read by its own thread.
int TerminalPollByte()
{
    if (g_inputIsConsole) {
        ConsoleKeys& queue = Queue();
        const std::lock_guard<std::mutex> lock(queue.mutex);
        if (!queue.keys.IsEmpty()) {
            return PopKey(queue);
        }
        return queue.consoleEnded ? TERMINAL_END_OF_INPUT : TERMINAL_NO_BYTE;
    }
    if (TerminalInputEnded()) {
        return TERMINAL_END_OF_INPUT; // the pipe's thread has stopped
    }
    return GetFileType(g_input) == FILE_TYPE_PIPE ? PipeByte(false) : ReadByte();
}

int TerminalWaitByte()
{
    if (g_inputIsConsole) {
        ConsoleKeys& queue = Queue();
        std::unique_lock<std::mutex> lock(queue.mutex);
        const auto arrived = [&queue] { return !queue.keys.IsEmpty() || queue.consoleEnded; };
        for (bool first = true; !arrived(); first = false) {
            lock.unlock();
            GiveConsoleTheKeyboard(first);
            lock.lock();
            queue.changed.wait_for(lock, std::chrono::milliseconds(100), arrived);
        }
        return queue.keys.IsEmpty() ? TERMINAL_END_OF_INPUT : PopKey(queue);
    }
    if (TerminalInputEnded()) {
        return TERMINAL_END_OF_INPUT;
    }
    return GetFileType(g_input) == FILE_TYPE_PIPE ? PipeByte(true) : ReadByte();
}

void TerminalWrite(const char* bytes, std::size_t count)
{
    TerminalInit();
    std::fflush(stdout);
    while (count > 0) {
        DWORD written = 0;
        const DWORD chunk = count > 65536 ? 65536 : static_cast<DWORD>(count);
        if (WriteFile(g_output, bytes, chunk, &written, nullptr) == 0 || written == 0) {
            return; // the console or the pipe is gone: nothing left to tell
        }
        bytes += written;
        count -= written;
    }
}

void TerminalPutChar(char c)
{
    TerminalWrite(&c, 1);
}

void TerminalClear()
{
    TerminalInit();
    if (g_outputIsConsole) {
        std::fflush(stdout);
        ClearWithConsoleFunctions();
        return;
    }
    TerminalWrite(TERMINAL_CLEAR_SEQUENCE, sizeof TERMINAL_CLEAR_SEQUENCE - 1);
}

// The keys the reader took after the game's last answer (it reads no more
// keys then, but may have taken some before the end) go back to the console,
// for the program that reads it next.
void TerminalRestore()
{
    StopReading();
    RestoreModes();
    if (g_inputIsConsole) {
        ConsoleKeys& queue = Queue();
        const std::lock_guard<std::mutex> lock(queue.mutex);
        std::vector<INPUT_RECORD> events;
        while (!queue.keys.IsEmpty()) {
            events.push_back(KeyRecord(queue.keys.Pop()));
        }
        events.insert(events.end(), queue.late.begin(), queue.late.end());
        queue.late.clear();
        if (!events.empty()) {
            GiveBack(std::move(events));
        }
    }
}

void TerminalSetKeyboardHandBack(void (*handBack)())
{
    g_keyboardHandBack = handBack;
}

PHANDLER_ROUTINE TerminalConsoleEventHandler()
{
    return &OnConsoleEvent;
}

bool TerminalModeActive()
{
    return g_modeActive;
}

// The prompt reads what was typed before it, in order: the keys the game has
// not read yet (as the terminal's own buffer holds them for a prompt on
// POSIX systems), the events the reader took meanwhile, then the console's.
CTerminalLineInput::CTerminalLineInput() : m_suspended(false)
{
    TerminalInit();
    if (!g_modeActive) {
        return;
    }
    GiveConsoleTheKeyboard(true);
    ConsoleKeys& queue = Queue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    queue.readerPaused = true;
    queue.changed.notify_all(); // a reader waiting for room in the queue stops
    INPUT_RECORD handOver{};
    handOver.EventType = MENU_EVENT;
    handOver.Event.MenuEvent.dwCommandId = TERMINAL_HAND_OVER_COMMAND;
    DWORD written = 0;
    if (WriteConsoleInputA(g_input, &handOver, 1, &written) != 0 && written == 1) {
        queue.changed.wait(lock, [&queue] { return queue.readerParked || queue.consoleEnded; });
    }
    std::vector<INPUT_RECORD> events;
    while (!queue.keys.IsEmpty()) {
        events.push_back(KeyRecord(queue.keys.Pop()));
    }
    events.insert(events.end(), queue.late.begin(), queue.late.end());
    queue.late.clear();
    GiveBack(std::move(events));
    if (g_modeActive.exchange(false)) {
        SetConsoleMode(g_input, g_originalInput);
    }
    m_suspended = true;
}

CTerminalLineInput::~CTerminalLineInput()
{
    if (!m_suspended || g_finished) {
        return;
    }
    ApplyGameMode();
    ConsoleKeys& queue = Queue();
    const std::lock_guard<std::mutex> lock(queue.mutex);
    queue.readerPaused = false;
    queue.changed.notify_all();
}
