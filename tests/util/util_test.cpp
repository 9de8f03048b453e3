#include "platform/terminal.h"
#include "support/fakeclock.h"
#include "support/pixels.h"
#include "util/bitmapfont.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

#include <cstdint>
#include <iostream>
#include <sstream>

namespace {
// The minimal standard generator with its shuffle table, in 64-bit arithmetic.
struct Model
{
    std::int64_t state, table[32] = {}, last = 0;
    void Step() { state = state * 16807 % 2147483647; }
    int Raw()
    {
        if (state <= 0 || last == 0) {
            state = std::max<std::int64_t>(-state, 1);
            for (int j = 39; j >= 0; --j)
                Step(), table[j < 32 ? j : 0] = state;
            last = table[0];
        }
        Step();
        const int j = static_cast<int>(last / 67108864);
        last = std::exchange(table[j], state);
        const double temp = last * 4.656612875245797e-10;
        return temp > 0.99999988 ? INT_MAX : static_cast<int>(temp * 2147483647.0);
    }
};
} // namespace
// Stopwatches stand still while paused; a pause is left out once, however often it is asked for.
TEST(GameClock, PausesFreezeStopwatchesOnceHeldTimeIsLeftOutAndCountdownsIgnorePauses)
{
    FakeClock clock(5000);
    CTimer first;
    clock.Advance(2000);
    CTimer second;
    clock.Advance(500);
    CTimer::Resume(); // not paused: nothing happens
    const double now = CTimer::Now();
    for (const long ms : {400, 6600})
        CTimer::Pause(), clock.Advance(ms);
    CTimer pausedStart;
    EXPECT_TRUE(CTimer::IsPaused() && CTimer::Now() == now);
    EXPECT_DOUBLE_EQ(first.Elapsed() * 10 + second.Elapsed() + pausedStart.Elapsed(), 25.5);
    CTimer::Resume(), clock.Advance(1000), CTimer::Pause(), clock.Advance(300), CTimer::Resume();
    EXPECT_FALSE(CTimer::IsPaused());
    EXPECT_NEAR(first.Elapsed() * 100 + second.Elapsed() * 10 + pausedStart.Elapsed() +
                    CTimer::Now() - now,
                367, 1e-9);
    // Held time (Ctrl+Z, a hidden page) never counts: the clock stands, then goes on without a
    // jump, a paused game stays paused, and a countdown waits the held time out too.
    CTimer game;
    CCountdown countdown(1.5);
    clock.Advance(1000);
    for (const long ms : {8000, 700}) // a second hold is the same hold
        ProcessClockHold(), clock.Advance(ms);
    EXPECT_TRUE(ProcessClockHeld());
    EXPECT_DOUBLE_EQ(game.Elapsed(), 1.0);
    for (const long ms : {250, 50}) // releasing a running clock changes nothing
        ProcessClockRelease(), clock.Advance(ms);
    EXPECT_DOUBLE_EQ(game.Elapsed(), 1.3);
    EXPECT_FALSE(countdown.IsDone());
    CTimer::Pause(), ProcessClockHold(), clock.Advance(3000);
    ProcessClockRelease(), clock.Advance(200);
    EXPECT_TRUE(CTimer::IsPaused() && !ProcessClockHeld());
    EXPECT_DOUBLE_EQ(game.Elapsed(), 1.3);
    CTimer::Resume(), clock.Advance(100);
    EXPECT_DOUBLE_EQ(game.Elapsed(), 1.4);
    EXPECT_TRUE(countdown.IsDone());
    // Deadlines in whole milliseconds on the process clock, which pausing the game does not stop.
    EXPECT_TRUE(CCountdown(0.0005).IsDone());
    CCountdown twoSeconds(2.0009);
    CTimer::Pause(), clock.Advance(1999);
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.Advance(1);
    EXPECT_TRUE(twoSeconds.IsDone());
    twoSeconds.Restart(), clock.Advance(1999);
    EXPECT_FALSE(twoSeconds.IsDone());
    clock.SetAdvancePerRead(1);
    const long start = clock.Now();
    Wait(1.5); // reads the clock until 1500 ms have passed
    EXPECT_EQ(clock.Now() - start, 1501);
    for (const double length : {0.0, 0.0 / 0.0})
        EXPECT_DEATH(CCountdown{length}, Death("nSeconds > 0", "util/ctimer\\.cpp"));
    EXPECT_DEATH(Wait(0.0), Death("nSeconds > 0", "util/ctimer\\.cpp"));
}
TEST(RandomInt, DrawsFollowTheShuffledMinimalStandardSequenceAsDoRandomVectorsAndPoints)
{
    // Objects share one sequence; a seed is negated, and the next draw builds the table from it.
    RandomInt a(0);
    Model zero{0};
    EXPECT_TRUE(SharedRandomState().state == 0 && a.Next() == zero.Raw());
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
    // A default object reseeds from the current state and draws over the full range.
    const std::int32_t now = SharedRandomState().state;
    RandomInt fresh;
    Model reseeded{-now};
    EXPECT_TRUE(SharedRandomState().state == -now && fresh.Next() == reseeded.Raw());
    // Outputs near the top of the range are taken as the top itself.
    std::fill(std::begin(SharedRandomState().table), std::end(SharedRandomState().table),
              INT_MAX - 1);
    SharedRandomState().state = 5;
    EXPECT_EQ(fresh.Next(), INT_MAX);
    RandomInt smallest(INT_MIN); // seeds like -1
    EXPECT_EQ(SharedRandomState().state, -1);
    RandomInt bounded(3, 9);
    EXPECT_TRUE(bounded.GetLow() == 3 && bounded.GetHigh() == 9 && SharedRandomState().state <= 0);
    for (const auto& [low, high] : {std::pair{-1, 5}, {5, 4}}) {
        EXPECT_DEATH(bounded.SetRange(low, high),
                     Death("0<=low && low <= high", "util/randomint\\.cpp"));
        EXPECT_DEATH(RandomInt(low, high), Death("0<=low && low <= high", "util/randomint\\.cpp"));
    }
    // Vectors: the direction in thousandths, then the whole magnitude; points: y, then x, in whole
    // pixels. Making a generator reseeds the sequence: this one first, then the functions' own.
    RandomInt r;
    RandomVector(50.0, 100.0, 0.0, 2 * PI), RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
    const auto draw = [&r](int low, int high) { return r.SetRange(low, high), r.Next() * 1.0; };
    for (int i = 0; i < 20; ++i) {
        const RandomGeneratorState state = SharedRandomState();
        const CVector2D vector = RandomVector(50.0, 100.0, 0.0, 2 * PI);
        const CPoint2D point = RandomPointInRect(CPoint2D(10.4, 20.6), CPoint2D(639.5, 479.2));
        const CVector2D narrow = RandomVector(70.6, 70.9, 1.0, 1.0005);
        const CPoint2D single = RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
        SharedRandomState() = state; // the same draws again, in order
        EXPECT_EQ(std::round(vector.Direction() * 1000), draw(0, 6283));
        EXPECT_EQ(vector.Magnitude(), draw(50, 100));
        EXPECT_EQ(point.Yd(), draw(21, 479));
        EXPECT_EQ(point.Xd(), draw(10, 640));
        EXPECT_EQ((std::vector<double>{vector.Limit(), narrow.Magnitude(), narrow.Direction(),
                                       single.Xd(), single.Yd()}),
                  (std::vector<double>{HALF_PI, 70, 1, 3, 4}));
    }
    for (const double x : {4.0, 1.0})
        EXPECT_DEATH(RandomPointInRect(CPoint2D(5, x), CPoint2D(x, 8)),
                     Death("lowerLeft\\.X\\(\\) <= topRight\\.X\\(\\) && "
                           "lowerLeft\\.Y\\(\\) <= topRight\\.Y\\(\\)",
                           "util/handyfunctions\\.cpp"));
}
TEST(HandyFunctions, PromptsAskUntilTheAnswerFitsAndCommandsPauseOrQuit)
{
    const std::string yesNo = "You must enter yes or no [y/n].  Please try again: ";
    const std::string integer = "You must enter an integer value.  Please try again: ";
    const std::string commands =
        "\n\nThe following commands are available: \n   q : to Quit\n   p : to Pause\n\n";
    // Input, what is left of it, the answer (of AskYesNo("Q?") or of AskInt()), the output.
    const std::tuple<const char*, const char*, int, std::string> cases[] = {
        {"maybe\n  N\n", "", 0, "\nQ? [y/n] :" + yesNo},
        {"\n\n   yes please\nrest\n", "rest\n", 1, "\nQ? [y/n] :"},
        {"m\n", "", 0, "\nQ? [y/n] :" + yesNo}, // input ends: no
        {"abc\n42\ny\n", "\ny\n", 42, integer + commands},
        {"12abc\n", "abc\n", 12, ""},
        {"-7\n", "\n", -7, ""},
        {"x\nz", "", 0, integer + integer}, // input ends: 0
    };
    for (const auto& [input, rest, answer, shown] : cases) {
        std::istringstream in(input);
        std::ostringstream out;
        std::streambuf* const oldIn = std::cin.rdbuf(in.rdbuf());
        std::streambuf* const oldOut = std::cout.rdbuf(out.rdbuf());
        EXPECT_EQ(shown.rfind("\nQ?", 0) == 0 ? AskYesNo("Q?") : AskInt(), answer) << input;
        if (answer == 42)
            ShowCommands();
        std::cin.rdbuf(oldIn), std::cout.rdbuf(oldOut), std::cin.clear();
        EXPECT_EQ(out.str() + "|" + std::string(std::istreambuf_iterator<char>(in), {}),
                  shown + "|" + rest);
    }
    FakeClock clock;
    EXPECT_TRUE(CheckCommands()); // nothing waiting: at once
    for (const char key : {'x', 'p', 'P', 'Q', 'p', 'q'})
        TerminalQueueKey(key);
    // Only the lower-case keys act; the clock is paused after the first p.
    for (const bool paused : {false, true, true, true, false})
        EXPECT_TRUE(CheckCommands() && CTimer::IsPaused() == paused);
    EXPECT_FALSE(CheckCommands());
}
TEST(BitmapFont, RowsOutsideTheCellAreEmpty)
{
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(FontGlyphRow(char(c), -1) | FontGlyphRow(char(c), FONT_GLYPH_HEIGHT), 0U) << c;
}
