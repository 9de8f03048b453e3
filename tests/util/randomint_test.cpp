#include "util/randomint.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// The Park-Miller recurrence in 64-bit arithmetic, independent of the code
// under test: the state after n steps from seed.
std::int32_t StateAfter(std::int64_t seed, int n)
{
    for (int i = 0; i < n; ++i) {
        seed = seed * 16807 % 2147483647;
    }
    return static_cast<std::int32_t>(seed);
}

} // namespace

TEST(RandomInt, MinimalStandardGeneratorMatchesKnownAnswer)
{
    std::int32_t state = 1;
    for (int i = 0; i < 10000; ++i) {
        state = ParkMillerStep(state);
    }
    EXPECT_EQ(state, 1043618065); // Park and Miller's check value
    EXPECT_EQ(ParkMillerStep(2147483646), StateAfter(2147483646, 1));
}

TEST(RandomInt, TableAndDrawsFollowTheShuffle)
{
    RandomInt random(12345);
    EXPECT_EQ(SharedRandomState().state, -12345);
    random.SetRange(0, INT_MAX);
    // Independently: 8 discarded steps, table[31] down to table[0], then
    // each draw steps, picks the slot from the last output and refills it.
    std::int32_t table[RANDOM_TABLE_SIZE];
    for (int j = RANDOM_TABLE_SIZE - 1; j >= 0; --j) {
        table[j] = StateAfter(12345, 8 + RANDOM_TABLE_SIZE - j);
    }
    EXPECT_EQ(table[31], StateAfter(12345, 9));
    std::int32_t last = table[0];
    for (int draw = 1; draw <= 3; ++draw) {
        const int j = last / 67108864;
        last = table[j];
        table[j] = StateAfter(12345, 40 + draw);
        const double temp = last * 4.656612875245797e-10;
        EXPECT_EQ(random.Next(),
                  temp > 0.99999988 ? INT_MAX : static_cast<int>(temp * 2147483647.0));
    }
    EXPECT_EQ(SharedRandomState().last, last);
    EXPECT_EQ(std::memcmp(SharedRandomState().table, table, sizeof table), 0);
}

TEST(RandomInt, RangesAreInclusiveSharedAndRepeatable)
{
    RandomInt random(987);
    random.SetRange(7, 7);
    const std::int32_t before = SharedRandomState().state;
    EXPECT_EQ(random.Next(), 7);
    // A one-value range still advances the shared generator; here the
    // state first goes through the table's initialisation (40 steps).
    EXPECT_EQ(SharedRandomState().state, StateAfter(-before, 41));

    random.SetRange(1, 6);
    bool seen[7] = {};
    for (int i = 0; i < 2000; ++i) {
        const int value = random.Next();
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 6);
        seen[value] = true;
    }
    EXPECT_TRUE(seen[1] && seen[2] && seen[3] && seen[4] && seen[5] && seen[6]);

    // Two objects draw from one sequence: interleaving them gives what one
    // object gives for the same seed.
    int interleaved[6];
    RandomInt a(4242);
    RandomInt b(4242);
    a.SetRange(0, 1000);
    b.SetRange(0, 1000);
    for (int i = 0; i < 6; i += 2) {
        interleaved[i] = a.Next();
        interleaved[i + 1] = b.Next();
    }
    RandomInt c(4242);
    c.SetRange(0, 1000);
    for (int value : interleaved) {
        EXPECT_EQ(c.Next(), value);
    }
}

TEST(RandomInt, DefaultObjectReseedsFromTheSharedState)
{
    RandomInt seeded(555);
    seeded.Next();
    const std::int32_t state = SharedRandomState().state;
    RandomInt fresh;
    EXPECT_EQ(SharedRandomState().state, -state);
    EXPECT_EQ(fresh.GetHigh(), INT_MAX);
    EXPECT_GE(fresh.Next(), 0);
    RandomInt smallest(INT_MIN); // seeds like -1
    EXPECT_EQ(SharedRandomState().state, -1);
}

TEST(RandomIntDeathTest, BadRangesStop)
{
    const char* expected =
        "Assertion failed: 0<=low && low <= high, file util/randomint.cpp, line ";
    RandomInt random;
    EXPECT_DEATH(random.SetRange(-1, 5), expected);
    EXPECT_DEATH(random.SetRange(5, 4), expected);
    EXPECT_DEATH(RandomInt(3, 2), expected);
    random.SetRange(0, 0);
    EXPECT_EQ(random.Next(), 0);
}
