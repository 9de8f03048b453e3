#include "platform/terminal.h"
#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Feeds std::cin from a text and collects std::cout while it lives.
struct StandardStreams
{
    explicit StandardStreams(const std::string& input) : in(input) { std::cin.clear(); }
    ~StandardStreams()
    {
        std::cin.rdbuf(oldIn);
        std::cout.rdbuf(oldOut);
        std::cin.clear();
    }

    std::istringstream in;
    std::ostringstream out;
    std::streambuf* oldIn = std::cin.rdbuf(in.rdbuf());
    std::streambuf* oldOut = std::cout.rdbuf(out.rdbuf());
};

const std::string YES_NO_COMPLAINT = "You must enter yes or no [y/n].  Please try again: ";
const std::string INT_COMPLAINT = "You must enter an integer value.  Please try again: ";

} // namespace

TEST(HandyFunctions, RandomVectorAndPointFollowTheSharedSequence)
{
    // References first: making a generator reseeds the shared sequence.
    RandomInt first;
    RandomInt second;
    RandomVector(50.0, 100.0, 0.0, 2 * PI); // makes the functions' own generators
    RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
    RandomInt(4711);
    const RandomGeneratorState seeded = SharedRandomState();
    CVector2D vectors[20];
    CPoint2D points[20];
    for (int i = 0; i < 20; ++i) {
        vectors[i] = RandomVector(50.0, 100.0, 0.0, 2 * PI);
        points[i] = RandomPointInRect(CPoint2D(10.4, 20.6), CPoint2D(639.5, 479.2));
    }
    SharedRandomState() = seeded;
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        // The direction in thousandths before the whole magnitude; y before x,
        // in whole pixels of the corners.
        first.SetRange(0, 6283);
        EXPECT_DOUBLE_EQ(vectors[i].Direction(), first.Next() / 1000.0);
        second.SetRange(50, 100);
        EXPECT_DOUBLE_EQ(vectors[i].Magnitude(), second.Next());
        EXPECT_DOUBLE_EQ(vectors[i].Limit(), HALF_PI);
        first.SetRange(21, 479);
        EXPECT_EQ(points[i].Yd(), first.Next());
        second.SetRange(10, 640);
        EXPECT_EQ(points[i].Xd(), second.Next());
    }
    for (int i = 0; i < 20; ++i) {
        const CVector2D narrow = RandomVector(70.2, 70.9, 1.0, 1.0005);
        EXPECT_EQ(narrow.Magnitude(), 70.0);
        EXPECT_DOUBLE_EQ(narrow.Direction(), 1.0);
        const CPoint2D single = RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
        EXPECT_EQ(single.Xd() * 10 + single.Yd(), 34.0);
    }
}

TEST(HandyFunctionsDeathTest, RandomPointInRectNeedsOrderedCorners)
{
    EXPECT_DEATH(RandomPointInRect(CPoint2D(1, 9), CPoint2D(4, 8)),
                 "Assertion failed: lowerLeft\\.X\\(\\) <= topRight\\.X\\(\\) && "
                 "lowerLeft\\.Y\\(\\) <= topRight\\.Y\\(\\), file util/handyfunctions\\.cpp, line "
                 "[0-9]+");
}

TEST(HandyFunctions, ConsolePromptsReadAnswersAndNumbers)
{
    struct Case
    {
        const char* input;
        bool yesNo; // AskYesNo("Q?") rather than AskInt()
        int answer;
        std::string shown;
        const char* rest;
    };
    const std::string question = "\nQ? [y/n] :";
    const Case cases[] = {
        {"maybe\n  N\n", true, 0, question + YES_NO_COMPLAINT, ""},
        {"\n\n   yes please\nrest\n", true, 1, question, "rest\n"},
        {"m\n", true, 0, question + YES_NO_COMPLAINT, ""}, // input ends: no
        {"abc\n42\ny\n", false, 42, INT_COMPLAINT, "\ny\n"},
        {"12abc\n", false, 12, "", "abc\n"},
        {"-7\n", false, -7, "", "\n"},
        {"x\nz", false, 0, INT_COMPLAINT + INT_COMPLAINT, ""}, // input ends: 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        StandardStreams streams(c.input);
        EXPECT_EQ(c.yesNo ? static_cast<int>(AskYesNo("Q?")) : AskInt(), c.answer);
        EXPECT_EQ(streams.out.str(), c.shown);
        std::string rest;
        std::getline(std::cin, rest, '\0');
        EXPECT_EQ(rest, c.rest);
    }
    // The line end AskInt leaves behind is skipped by the next question.
    StandardStreams streams("5\ny\n");
    EXPECT_EQ(AskInt(), 5);
    EXPECT_TRUE(AskYesNo("Go?"));
    ShowCommands();
    EXPECT_EQ(streams.out.str(), "\nGo? [y/n] :\n\nThe following commands are available: \n"
                                 "   q : to Quit\n   p : to Pause\n\n");
}

TEST(HandyFunctions, CheckCommandsPausesOnPAndQuitsOnQ)
{
    FakeClock clock;
    EXPECT_TRUE(CheckCommands()); // nothing waiting: at once
    for (const char key : {'x', 'p', 'P', 'Q', 'p', 'q'}) {
        TerminalQueueKey(key);
    }
    // Only the lower-case keys act; the clock is paused after the first p.
    for (const bool paused : {false, true, true, true, false}) {
        EXPECT_TRUE(CheckCommands());
        EXPECT_EQ(CTimer::IsPaused(), paused);
    }
    EXPECT_FALSE(CheckCommands());
    EXPECT_TRUE(CheckCommands());
}
