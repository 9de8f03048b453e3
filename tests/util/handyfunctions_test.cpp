#include "platform/terminal.h"
#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

TEST(HandyFunctions, RandomVectorAndPointFollowTheSharedSequence)
{
    RandomInt first, second; // first: making a generator reseeds the shared sequence
    RandomVector(50.0, 100.0, 0.0, 2 * PI); // makes the functions' own generators
    RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
    for (int i = 0; i < 20; ++i) {
        const RandomGeneratorState state = SharedRandomState();
        const CVector2D vector = RandomVector(50.0, 100.0, 0.0, 2 * PI);
        const CPoint2D point = RandomPointInRect(CPoint2D(10.4, 20.6), CPoint2D(639.5, 479.2));
        const CVector2D narrow = RandomVector(70.6, 70.9, 1.0, 1.0005);
        const CPoint2D single = RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
        SharedRandomState() = state;
        // The direction in thousandths before the whole magnitude; y before x, in whole pixels
        // of the corners.
        first.SetRange(0, 6283);
        second.SetRange(50, 100);
        EXPECT_DOUBLE_EQ(vector.Direction() * 1000, first.Next());
        EXPECT_DOUBLE_EQ(vector.Magnitude(), second.Next());
        EXPECT_DOUBLE_EQ(vector.Limit(), HALF_PI);
        first.SetRange(21, 479);
        second.SetRange(10, 640);
        EXPECT_EQ(point.Yd(), first.Next());
        EXPECT_EQ(point.Xd(), second.Next());
        EXPECT_EQ(narrow.Magnitude() * 10 + narrow.Direction(), 701.0);
        EXPECT_EQ(single.Xd() * 10 + single.Yd(), 34.0);
    }
    EXPECT_DEATH(RandomPointInRect(CPoint2D(1, 9), CPoint2D(4, 8)),
                 "Assertion failed: lowerLeft\\.X\\(\\) <= topRight\\.X\\(\\) && "
                 "lowerLeft\\.Y\\(\\) <= topRight\\.Y\\(\\), file util/handyfunctions\\.cpp");
    EXPECT_DEATH(RandomPointInRect(CPoint2D(5, 1), CPoint2D(4, 8)), "lowerLeft");
}

TEST(HandyFunctions, PromptsAskUntilTheAnswerFitsAndCommandsPauseOrQuit)
{
    const std::string yesNo = "You must enter yes or no [y/n].  Please try again: ";
    const std::string integer = "You must enter an integer value.  Please try again: ";
    const struct
    {
        const char *input, *rest;
        int answer; // of AskYesNo("Q?") (0 or 1), or else of AskInt()
        std::string shown;
    } cases[] = {
        {"maybe\n  N\n", "", 0, "\nQ? [y/n] :" + yesNo},
        {"\n\n   yes please\nrest\n", "rest\n", 1, "\nQ? [y/n] :"},
        {"m\n", "", 0, "\nQ? [y/n] :" + yesNo}, // input ends: no
        {"abc\n42\ny\n", "\ny\n", 42, integer},
        {"12abc\n", "abc\n", 12, ""},
        {"-7\n", "\n", -7, ""},
        {"x\nz", "", 0, integer + integer}, // input ends: 0
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::ostringstream out;
        std::streambuf* const oldIn = std::cin.rdbuf(in.rdbuf());
        std::streambuf* const oldOut = std::cout.rdbuf(out.rdbuf());
        const int answer = c.shown.rfind("\nQ?", 0) == 0 ? AskYesNo("Q?") : AskInt();
        if (c.answer == 42)
            ShowCommands();
        std::cin.rdbuf(oldIn);
        std::cout.rdbuf(oldOut);
        std::cin.clear();
        EXPECT_EQ(answer, c.answer) << c.input;
        EXPECT_EQ(out.str(), c.shown + (c.answer == 42 ? "\n\nThe following commands are available"
                                                         ": \n   q : to Quit\n   p : to Pause\n\n"
                                                       : ""));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.rest) << c.input;
    }
    FakeClock clock;
    EXPECT_TRUE(CheckCommands()); // nothing waiting: at once
    for (const char key : {'x', 'p', 'P', 'Q', 'p', 'q'})
        TerminalQueueKey(key);
    // Only the lower-case keys act; the clock is paused after the first p.
    for (const bool paused : {false, true, true, true, false}) {
        EXPECT_TRUE(CheckCommands());
        EXPECT_EQ(CTimer::IsPaused(), paused);
    }
    EXPECT_FALSE(CheckCommands());
}
