#include "util/handyfunctions.h"

#include "util/ctimer.h"

void Wait(double nSeconds)
{
    const CCountdown countdown(nSeconds);
    while (!countdown.IsDone()) {
    }
}
