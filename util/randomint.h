#ifndef QV_UTIL_RANDOMINT_H
#define QV_UTIL_RANDOMINT_H

#include <cstdint>

// Random whole numbers from inclusive ranges. Every RandomInt object draws
// from one program-wide generator: the minimal standard generator of Park
// and Miller (multiplier 16807, modulus 2^31 - 1, Schrage's factorisation)
// behind a Bays-Durham shuffle table of 32 entries. The generator is seeded
// from the calendar time before main runs.

constexpr int RANDOM_TABLE_SIZE = 32;

/// The shared generator's state.
struct RandomGeneratorState
{
    /// Park-Miller state; 0 or less makes the next draw rebuild the table.
    std::int32_t state;
    std::int32_t table[RANDOM_TABLE_SIZE];
    /// The last shuffled output.
    std::int32_t last;
};

/// The one program-wide generator state.
RandomGeneratorState& SharedRandomState();

/// One step of the Park-Miller recurrence for a state in 1 .. 2^31 - 2.
std::int32_t ParkMillerStep(std::int32_t state);

class RandomInt
{
public:
    /// Reseeds the shared generator from its own current state; range 0 .. 2^31 - 1.
    RandomInt();
    /// Reseeds the shared generator from seed; range 0 .. 2^31 - 1.
    explicit RandomInt(int seed);
    /// Reseeds the shared generator from the time and this object; range low .. high.
    RandomInt(int low, int high);

    void SetRange(int low, int high);
    // The range, for the tests.
    int GetLow() const { return m_low; }
    int GetHigh() const { return m_high; }

    /// A number in [low, high], both ends included.
    int Next();

private:
    void Init(int seed, int low, int high);

    int m_low;
    int m_high;
};

#endif
