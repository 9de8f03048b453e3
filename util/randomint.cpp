#include "util/randomint.h"

#include "util/assertion.h"

#include <climits>
#include <cstdint>
#include <ctime>

namespace {

constexpr std::int32_t IA = 16807;
constexpr std::int32_t IM = 2147483647;
constexpr std::int32_t IQ = 127773;
constexpr std::int32_t IR = 2836;
constexpr std::int32_t NDIV = 1 + (IM - 1) / RANDOM_TABLE_SIZE;
constexpr double AM = 4.656612875245797e-10;
constexpr double RNMX = 0.99999988;
constexpr int WARM_UP_STEPS = 8;

// Seeds the shared generator from the calendar time before main runs.
const bool g_seeded = [] {
    SharedRandomState().state = static_cast<std::int32_t>(std::time(nullptr));
    return true;
}();

// One raw draw of the shuffled generator: a number in 0 .. 2^31 - 1.
std::int32_t RawDraw()
{
    RandomGeneratorState& g = SharedRandomState();
    if (g.state <= 0 || g.last == 0) {
        g.state = -g.state >= 1 ? -g.state : 1;
        for (int j = RANDOM_TABLE_SIZE + WARM_UP_STEPS - 1; j >= 0; --j) {
            g.state = ParkMillerStep(g.state);
            if (j < RANDOM_TABLE_SIZE) {
                g.table[j] = g.state;
            }
        }
        g.last = g.table[0];
    }
    g.state = ParkMillerStep(g.state);
    const int j = g.last / NDIV;
    g.last = g.table[j];
    g.table[j] = g.state;
    const double temp = AM * g.last;
    if (temp > RNMX) {
        return IM;
    }
    return static_cast<std::int32_t>(temp * static_cast<double>(IM));
}

} // namespace

RandomGeneratorState& SharedRandomState()
{
    static RandomGeneratorState state{};
    return state;
}

std::int32_t ParkMillerStep(std::int32_t state)
{
    const std::int32_t k = state / IQ;
    state = IA * (state - k * IQ) - IR * k;
    if (state < 0) {
        state += IM;
    }
    return state;
}

RandomInt::RandomInt() : m_low(0), m_high(0)
{
    Init(SharedRandomState().state, 0, INT_MAX);
}

RandomInt::RandomInt(int seed) : m_low(0), m_high(0)
{
    Init(seed, 0, INT_MAX);
}

RandomInt::RandomInt(int low, int high) : m_low(0), m_high(0)
{
    // clang-format off
    QV_ASSERT(0<=low && low <= high);
    // clang-format on
    // Two objects built within the same second differ through their
    // addresses; the address is folded to a positive int first.
    int perObject = static_cast<int>(reinterpret_cast<std::uintptr_t>(this) & 0x7FFFFFFFU);
    if (perObject == 0) {
        perObject = 1;
    }
    // The sum is formed in 64 bits and folded back below IM: in int it could overflow once
    // the time and the remainder are both large.
    const std::int64_t now = std::time(nullptr);
    const std::int64_t seed = std::time(nullptr) % perObject + now;
    Init(static_cast<int>(seed % IM), low, high);
}

void RandomInt::Init(int seed, int low, int high)
{
    (void)g_seeded;
    if (seed == INT_MIN) {
        seed %= IM;
    }
    if (seed > 0) {
        seed = -seed;
    }
    SharedRandomState().state = seed;
    m_low = low;
    m_high = high;
}

void RandomInt::SetRange(int low, int high)
{
    // clang-format off
    QV_ASSERT(0<=low && low <= high);
    // clang-format on
    m_low = low;
    m_high = high;
}

int RandomInt::Next()
{
    const std::int64_t span = static_cast<std::int64_t>(m_high) - m_low + 1;
    return static_cast<int>(RawDraw() % span) + m_low;
}
