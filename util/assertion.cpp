#include "util/assertion.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int MAX_HOOKS = 8;
void (*g_hooks[MAX_HOOKS])() = {};
int g_hookCount = 0;
std::atomic<bool> g_cleanupsRan{false};
bool g_terminateInstalled = false;
std::terminate_handler g_previousTerminate = nullptr;

// Writes a whole C string to standard error without stdio, so that the
// message is complete even when the failure happens inside stdio itself.
void WriteError(const char* text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
#ifdef _WIN32
        const int written = _write(2, text, static_cast<unsigned>(left));
#else
        const ssize_t written = write(STDERR_FILENO, text, left);
#endif
        if (written <= 0) {
            return;
        }
        text += written;
        left -= static_cast<size_t>(written);
    }
}

// Strips the project folder from a compiler-given path, so that messages
// name "util/ctimer.cpp" wherever the project was checked out.
const char* ProjectRelative(const char* file)
{
#ifdef QV_SOURCE_DIR
    const size_t prefixLength = std::strlen(QV_SOURCE_DIR);
    if (std::strncmp(file, QV_SOURCE_DIR, prefixLength) == 0) {
        return file + prefixLength;
    }
#endif
    return file;
}

// An uncaught exception: the clean-ups first, then the standard handler,
// which reports the exception and aborts.
[[noreturn]] void OnTerminate()
{
    QvRunEmergencyCleanups();
    if (g_previousTerminate != nullptr) {
        g_previousTerminate();
    }
    std::abort();
}

} // namespace

void QvRegisterEmergencyCleanup(void (*hook)())
{
    for (int i = 0; i < g_hookCount; ++i) {
        if (g_hooks[i] == hook) {
            return;
        }
    }
    if (g_hookCount < MAX_HOOKS) {
        g_hooks[g_hookCount++] = hook;
    }
    if (!g_terminateInstalled) {
        g_terminateInstalled = true;
        g_previousTerminate = std::set_terminate(&OnTerminate);
    }
}

void QvRunEmergencyCleanups()
{
    if (g_cleanupsRan.exchange(true)) {
        return;
    }
    for (int i = g_hookCount - 1; i >= 0; --i) {
        g_hooks[i]();
    }
}

void QvAssertFailed(const char* condition, const char* file, int line)
{
    char number[16];
    int length = 0;
    char digits[16];
    unsigned value = line < 0 ? 0U : static_cast<unsigned>(line);
    do {
        digits[length++] = static_cast<char>('0' + value % 10U);
        value /= 10U;
    } while (value != 0U && length < 15);
    for (int i = 0; i < length; ++i) {
        number[i] = digits[length - 1 - i];
    }
    number[length] = '\0';

    WriteError("Assertion failed: ");
    WriteError(condition);
    WriteError(", file ");
    WriteError(ProjectRelative(file));
    WriteError(", line ");
    WriteError(number);
    WriteError("\n");
    QvRunEmergencyCleanups();
    std::abort();
}
