#ifndef QV_UTIL_ASSERTION_H
#define QV_UTIL_ASSERTION_H

// Fail-stop checks of preconditions. They are always compiled in, whatever
// NDEBUG says: a broken precondition means the program can no longer be
// trusted, so it reports the condition and stops.
//
// On failure the message "Assertion failed: <condition>, file <file>, line
// <line>" goes to standard error, the registered emergency clean-up hooks run
// (the terminal layer restores the terminal there), and the program aborts.

/// Reports a failed condition and aborts; never returns.
[[noreturn]] void QvAssertFailed(const char* condition, const char* file, int line);

/// Registers a hook that runs when the program is about to die abnormally
/// (failed assertion, fatal signal, uncaught exception: the first registration
/// installs a terminate handler that runs them). Hooks must be
/// async-signal-safe. Registering the same hook twice keeps one copy.
void QvRegisterEmergencyCleanup(void (*hook)());

/// Runs every registered hook once, most recently registered first. Safe to
/// call from a signal handler; later calls do nothing.
void QvRunEmergencyCleanups();

#define QV_ASSERT(condition)                                                                       \
    ((condition) ? static_cast<void>(0) : QvAssertFailed(#condition, __FILE__, __LINE__))

#endif
