// The terminal layer in a browser page.
//
// The page shows a terminal widget beside the game's canvas. Every byte the
// game writes goes to standard output (file descriptor 1) at once, unbuffered,
// and the page hands each byte to the widget as it comes; messages on standard
// error go the same way. Keys typed in the widget come in through qv_web_key,
// one byte at a time as a desktop terminal sends them (Enter as 13). There is
// no terminal mode to switch, and a page's keyboard never ends, so the input
// never reports an end.
//
// The page routes the keys typed in the game's window by what the game
// does: while it waits for a key ("line": the name prompt, the play-again
// question) or for play to start ("wait"), they go to the terminal;
// during play (render/framewindow.cpp tells "play" and "paused") they are the
// window's. This file tells the page the first two through Module.qvStage.
//
// This file also holds the browser side of the waiting loops' yields
// (platform/yield.h), and holds the process clock while the page is hidden:
// browsers give hidden pages no animation frames and slow their timers, and
// time nobody could play must not count.
#include "platform/processclock.h"
#include "platform/terminal.h"
#include "platform/terminal_input.h"
#include "platform/yield.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstring>

namespace {

// Keys typed in the page's terminal that the game has not read yet. A person
// cannot type this far ahead; beyond it keys are dropped.
CKeyRing<4096> g_pageKeys;

// How long a wait for a key sleeps at most before it looks again.
constexpr int KEY_WAIT_MS = 50;
// How long a loop that waits on a clock lets the browser run.
constexpr int TURN_MS = 10;

bool g_initDone = false;

// The stage the page was last told by this file.
const char* g_stage = "";

// clang-format off
EM_JS(void, qv_tell_stage, (const char* stage), {
    if (Module.qvStage) {
        Module.qvStage(UTF8ToString(stage));
    }
});
// clang-format on

void TellStage(const char* stage)
{
    if (std::strcmp(stage, g_stage) != 0) {
        g_stage = stage;
        qv_tell_stage(stage);
    }
}

// Ends a wait for a key at once (see qv_wait); nothing when none waits.
// clang-format off
EM_JS(void, qv_wake_waiter, (), {
    if (Module.qvWake) {
        Module.qvWake();
    }
});

// Suspends the game (the page runs meanwhile) until the next animation frame
// when frame is nonzero, otherwise for ms milliseconds or until a key comes.
EM_ASYNC_JS(void, qv_wait, (int frame, int ms), {
    await new Promise(function(resolve) {
        var timer = 0;
        var done = function() {
            Module.qvWake = null;
            clearTimeout(timer);
            resolve();
        };
        if (frame) {
            requestAnimationFrame(done);
        } else {
            Module.qvWake = done;
            timer = setTimeout(done, ms);
        }
    });
});
// clang-format on

// Lets the page stop the game for good when a new game replaces it: the
// module's abort ends every wait and callback of the game and throws a
// WebAssembly.RuntimeError to its caller. And the game's exit, which unwinds
// its stack with an ExitStatus, ends in the wait it resumed from once the
// exit is reported (onExit), instead of reaching the page as an unhandled
// promise rejection that browsers log as an uncaught exception.
// clang-format off
EM_JS(void, qv_install_page_hooks, (), {
    Module.qvStop = function(why) {
        abort(why);
    };
    Asyncify.handleAsync = function(startAsync) {
        return Asyncify.handleSleep(function(wakeUp) {
            startAsync().then(function(value) {
                try {
                    wakeUp(value);
                } catch (thrown) {
                    if (!(thrown instanceof ExitStatus)) {
                        throw thrown;
                    }
                }
            });
        });
    };
});
// clang-format on

EM_BOOL OnVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*)
{
    if (event->hidden != 0) {
        ProcessClockHold();
    } else {
        ProcessClockRelease();
    }
    return EM_FALSE;
}

} // namespace

/// A key typed in the page's terminal, one byte of what a desktop terminal
/// would send. Only touches memory, so the page may call it at any time, also
/// while the game is suspended in a wait.
extern "C" EMSCRIPTEN_KEEPALIVE void qv_web_key(int byte)
{
    g_pageKeys.Push(static_cast<unsigned char>(byte));
    qv_wake_waiter();
}

// Only the wait before a game yields turns.
void YieldTurn()
{
    TellStage("wait");
    qv_wait(0, TURN_MS);
}

void YieldFrame()
{
    qv_wait(1, 0);
}

void TerminalInit()
{
    if (g_initDone) {
        return;
    }
    g_initDone = true;
    qv_install_page_hooks();
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, &OnVisibilityChange);
    EmscriptenVisibilityChangeEvent status{};
    if (emscripten_get_visibility_status(&status) == EMSCRIPTEN_RESULT_SUCCESS &&
        status.hidden != 0) {
        ProcessClockHold();
    }
}

int TerminalPollByte()
{
    return g_pageKeys.IsEmpty() ? TERMINAL_NO_BYTE : g_pageKeys.Pop();
}

// Only the name prompt and the play-again question wait for keys.
int TerminalWaitByte()
{
    TellStage("line");
    while (g_pageKeys.IsEmpty()) {
        qv_wait(0, KEY_WAIT_MS);
    }
    return g_pageKeys.Pop();
}

void TerminalRestore() {}

bool TerminalModeActive()
{
    return false;
}

// A page has no line mode to lend: prompts read the page's keys as they are.
CTerminalLineInput::CTerminalLineInput() : m_suspended(false)
{
    TerminalInit();
}

CTerminalLineInput::~CTerminalLineInput()
{
    static_cast<void>(m_suspended);
}
