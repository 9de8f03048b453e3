#include "util/randomint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

namespace {

// The minimal standard generator with its shuffle table, in 64-bit arithmetic, written apart
// from the code under test.
struct Model
{
    std::int64_t state;
    std::int64_t table[32] = {};
    std::int64_t last = 0;
    std::int64_t Step() { return state = state * 16807 % 2147483647; }
    int Raw()
    {
        if (state <= 0 || last == 0) {
            state = std::max<std::int64_t>(-state, 1);
            for (int j = 39; j >= 0; --j) {
                Step();
                table[j < 32 ? j : 0] = j < 32 ? state : table[0];
            }
            last = table[0];
        }
        Step();
        const int j = static_cast<int>(last / 67108864);
        last = table[j];
        table[j] = state;
        const double temp = last * 4.656612875245797e-10;
        return temp > 0.99999988 ? INT_MAX : static_cast<int>(temp * 2147483647.0);
    }
};

} // namespace

TEST(RandomInt, DrawsFollowTheShuffledMinimalStandardSequenceInInclusiveRanges)
{
    std::int32_t state = 1;
    for (int i = 0; i < 10000; ++i)
        state = ParkMillerStep(state);
    EXPECT_EQ(state, 1043618065); // Park and Miller's check value
    EXPECT_EQ(ParkMillerStep(2147483646), 2147483647 - 16807);
    // Objects share one sequence; a seed is negated, and the next draw builds the table from it.
    RandomInt a(0);
    EXPECT_EQ(SharedRandomState().state, 0);
    Model zero{0};
    EXPECT_EQ(a.Next(), zero.Raw());
    RandomInt b(1), c(12345);
    EXPECT_EQ(SharedRandomState().state, -12345);
    RandomInt(1); // a positive seed, however small, is negated
    Model model{-1};
    const int ranges[][2] = {{0, INT_MAX}, {7, 7}, {1, 6}, {0, 0}, {100, 163}, {0, 1}, {5, 1000}};
    for (int n = 0; n < 700; ++n) {
        RandomInt& object = n % 3 == 0 ? a : (n % 3 == 1 ? b : c);
        const auto& [low, high] = ranges[n % 7];
        object.SetRange(low, high);
        const int raw = model.Raw();
        ASSERT_EQ(object.Next(), high == INT_MAX ? raw : raw % (high - low + 1) + low) << n;
    }
    EXPECT_EQ(SharedRandomState().table[31], model.table[31]);
    EXPECT_EQ(SharedRandomState().last, model.last);
    // A default object reseeds from the current state and draws over the full range.
    const std::int32_t now = SharedRandomState().state;
    RandomInt fresh;
    EXPECT_EQ(SharedRandomState().state, -now);
    EXPECT_EQ(fresh.GetLow() + 0L + fresh.GetHigh(), INT_MAX);
    Model reseeded{-now};
    EXPECT_EQ(fresh.Next(), reseeded.Raw());
    RandomInt smallest(INT_MIN); // seeds like -1
    EXPECT_EQ(SharedRandomState().state, -1);
    // Outputs near the top of the range are taken as the top itself.
    std::fill(std::begin(SharedRandomState().table), std::end(SharedRandomState().table), INT_MAX - 1);
    SharedRandomState().state = 5;
    EXPECT_EQ(fresh.Next(), INT_MAX);
    RandomInt bounded(3, 9);
    EXPECT_EQ(bounded.GetLow() * 10 + bounded.GetHigh(), 39);
    EXPECT_LE(SharedRandomState().state, 0);
}

TEST(RandomIntDeathTest, BadRangesStop)
{
    const char* expected =
        "Assertion failed: 0<=low && low <= high, file util/randomint.cpp, line [0-9]+";
    RandomInt random;
    EXPECT_DEATH(random.SetRange(-1, 5), expected);
    EXPECT_DEATH(random.SetRange(5, 4), expected);
    EXPECT_DEATH(RandomInt(3, 2), expected);
    EXPECT_DEATH(RandomInt(-1, 2), expected);
}
