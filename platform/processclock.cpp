#include "platform/processclock.h"

#include <atomic>
#include <chrono>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Taken during static initialisation, so the clock reads zero at program
// start (and never goes backwards).
const SteadyClock::time_point g_programStart = SteadyClock::now();

long RealProcessClock()
{
    const auto sinceStart = SteadyClock::now() - g_programStart;
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

std::atomic<ProcessClockSource> g_source{&RealProcessClock};

// The hold. A signal handler may change it between any two reads of the main
// thread, so every change bumps the generation twice (odd while under way)
// and a reader that sees it move reads again.
std::atomic<unsigned long> g_generation{0};
std::atomic<bool> g_held{false};
std::atomic<long> g_holdStart{0};
std::atomic<long> g_heldTotal{0};

static_assert(std::atomic<long>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the hold is changed from signal handlers");

} // namespace

long ProcessClock()
{
    for (;;) {
        const unsigned long generation = g_generation.load();
        const long wall = g_held.load() ? g_holdStart.load() : g_source.load()();
        const long heldTotal = g_heldTotal.load();
        if (generation % 2 == 0 && generation == g_generation.load()) {
            return wall - heldTotal;
        }
    }
}

void SetProcessClockSource(ProcessClockSource source)
{
    g_source = source != nullptr ? source : &RealProcessClock;
}

void ProcessClockHold()
{
    if (g_held.load()) {
        return;
    }
    ++g_generation;
    g_holdStart = g_source.load()();
    g_held = true;
    ++g_generation;
}

void ProcessClockRelease()
{
    if (!g_held.load()) {
        return;
    }
    ++g_generation;
    g_heldTotal += g_source.load()() - g_holdStart.load();
    g_held = false;
    ++g_generation;
}

bool ProcessClockHeld()
{
    return g_held.load();
}
