#ifndef QV_UTIL_HANDYFUNCTIONS_H
#define QV_UTIL_HANDYFUNCTIONS_H

/// Waits nSeconds of process-clock time by polling a countdown. It spins: no
/// sleep and no key handling. nSeconds must be greater than 0.
void Wait(double nSeconds);

#endif
