#include "util/randomint.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

// The table-building part of the generator, written out independently of
// the code under test: 8 discarded steps, then table[31] down to table[0].
struct Expected
{
    std::int32_t table[RANDOM_TABLE_SIZE];
    std::int32_t state;
};

std::int32_t Step(std::int64_t s)
{
    return static_cast<std::int32_t>((s * 16807) % 2147483647);
}

Expected BuildTable(std::int32_t seed)
{
    Expected e{};
    std::int32_t s = seed;
    for (int i = 0; i < 8; ++i) {
        s = Step(s);
    }
    for (int j = RANDOM_TABLE_SIZE - 1; j >= 0; --j) {
        s = Step(s);
        e.table[j] = s;
    }
    e.state = s;
    return e;
}

} // namespace

TEST(RandomInt, MinimalStandardGeneratorMatchesKnownAnswer)
{
    // Park and Miller's check value: from 1, the 10000th state is 1043618065.
    std::int32_t state = 1;
    for (int i = 0; i < 10000; ++i) {
        state = ParkMillerStep(state);
    }
    EXPECT_EQ(state, 1043618065);
    // Schrage's factorisation agrees with 64-bit arithmetic near the modulus.
    EXPECT_EQ(ParkMillerStep(2147483646), Step(2147483646));
    EXPECT_EQ(ParkMillerStep(127773), Step(127773));
}

TEST(RandomInt, InitialisationFillsTableAndFirstDrawsFollowTheShuffle)
{
    RandomInt random(12345);
    EXPECT_EQ(SharedRandomState().state, -12345);
    const Expected e = BuildTable(12345);
    random.SetRange(0, INT_MAX);

    // Independent re-computation of three shuffled draws.
    std::int32_t table[RANDOM_TABLE_SIZE];
    std::copy(std::begin(e.table), std::end(e.table), table);
    std::int32_t last = table[0];
    std::int32_t state = e.state;
    for (int draw = 0; draw < 3; ++draw) {
        state = Step(state);
        const int j = last / 67108864;
        last = table[j];
        table[j] = state;
        const double temp = last * 4.656612875245797e-10;
        const int raw = temp > 0.99999988 ? INT_MAX : static_cast<int>(temp * 2147483647.0);
        EXPECT_EQ(random.Next(), raw);
    }
    EXPECT_EQ(SharedRandomState().state, state);
    EXPECT_EQ(SharedRandomState().last, last);
}

TEST(RandomInt, TableHoldsNinthAndFortiethStates)
{
    RandomInt random(1);
    random.SetRange(0, 0);
    EXPECT_EQ(random.Next(), 0);
    // Independently: state after n steps from 1.
    std::int64_t s = 1;
    std::int32_t after[42] = {};
    for (int n = 1; n <= 41; ++n) {
        s = (s * 16807) % 2147483647;
        after[n] = static_cast<std::int32_t>(s);
    }
    const RandomGeneratorState& g = SharedRandomState();
    EXPECT_EQ(g.state, after[41]); // 40 initialisation steps plus one draw
    // table[31] holds the 9th state unless the draw replaced that slot.
    const int used = after[40] / 67108864;
    if (used != 31) {
        EXPECT_EQ(g.table[31], after[9]);
    }
    if (used != 0) {
        EXPECT_EQ(g.table[0], after[40]);
    }
    EXPECT_EQ(g.table[used], after[41]);
}

TEST(RandomInt, RangesAreInclusiveAndEqualBoundsStillAdvance)
{
    RandomInt random(987);
    random.SetRange(7, 7);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(random.Next(), 7);
    }
    const std::int32_t before = SharedRandomState().state;
    random.Next();
    EXPECT_EQ(SharedRandomState().state, ParkMillerStep(before));

    random.SetRange(1, 6);
    bool seen[7] = {};
    for (int i = 0; i < 2000; ++i) {
        const int value = random.Next();
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 6);
        seen[value] = true;
    }
    for (int face = 1; face <= 6; ++face) {
        EXPECT_TRUE(seen[face]) << face;
    }
    random.SetRange(0, 0);
    EXPECT_EQ(random.GetLow(), 0);
    EXPECT_EQ(random.GetHigh(), 0);
}

TEST(RandomInt, ObjectsShareOneSequenceAndSameSeedRepeatsIt)
{
    int firstRun[6];
    {
        RandomInt a(4242);
        RandomInt b(4242); // reseeds the shared generator again
        a.SetRange(0, 1000);
        b.SetRange(0, 1000);
        for (int i = 0; i < 6; i += 2) {
            firstRun[i] = a.Next();
            firstRun[i + 1] = b.Next();
        }
    }
    RandomInt c(4242);
    c.SetRange(0, 1000);
    for (int value : firstRun) {
        EXPECT_EQ(c.Next(), value);
    }
}

TEST(RandomInt, DefaultObjectReseedsFromStateAndDrawsFullRange)
{
    RandomInt seeded(555);
    seeded.Next();
    const std::int32_t state = SharedRandomState().state;
    RandomInt fresh;
    EXPECT_EQ(SharedRandomState().state, -state);
    EXPECT_EQ(fresh.GetLow(), 0);
    EXPECT_EQ(fresh.GetHigh(), INT_MAX);
    for (int i = 0; i < 100; ++i) {
        EXPECT_GE(fresh.Next(), 0);
    }
    // The smallest int seeds like -1: the table is built from state 1.
    RandomInt smallest(INT_MIN);
    EXPECT_EQ(SharedRandomState().state, -1);
}

TEST(RandomIntDeathTest, BadRangesStop)
{
    const char* expected =
        "Assertion failed: 0<=low && low <= high, file util/randomint.cpp, line [0-9]+";
    RandomInt random;
    EXPECT_DEATH(random.SetRange(-1, 5), expected);
    EXPECT_DEATH(random.SetRange(5, 4), expected);
    EXPECT_DEATH(RandomInt(3, 2), expected);
}
