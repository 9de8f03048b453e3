#include "platform/terminal.h"
#include "support/child.h"
#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

#include <gtest/gtest.h>
#include <iostream>
#include <string>

TEST(HandyFunctions, RandomVectorAndPointFollowTheSharedSequence)
{
    // References first: making a generator reseeds the shared sequence.
    RandomInt first;
    RandomInt second;
    RandomVector(50.0, 100.0, 0.0, 2 * PI); // makes the functions' own generators
    RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
    RandomInt(4711);
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const RandomGeneratorState state = SharedRandomState();
        const CVector2D vector = RandomVector(50.0, 100.0, 0.0, 2 * PI);
        const CPoint2D point = RandomPointInRect(CPoint2D(10.4, 20.6), CPoint2D(639.5, 479.2));
        SharedRandomState() = state;
        // The direction in thousandths before the whole magnitude; y before x,
        // in whole pixels of the corners.
        first.SetRange(0, 6283);
        EXPECT_DOUBLE_EQ(vector.Direction(), first.Next() / 1000.0);
        second.SetRange(50, 100);
        EXPECT_DOUBLE_EQ(vector.Magnitude(), second.Next());
        EXPECT_DOUBLE_EQ(vector.Limit(), HALF_PI);
        first.SetRange(21, 479);
        EXPECT_EQ(point.Yd(), first.Next());
        second.SetRange(10, 640);
        EXPECT_EQ(point.Xd(), second.Next());
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
    const std::string yesNo = "You must enter yes or no [y/n].  Please try again: ";
    const std::string integer = "You must enter an integer value.  Please try again: ";
    const std::string question = "\nQ? [y/n] :";
    struct Case
    {
        const char* input;
        bool yesNo; // AskYesNo("Q?") rather than AskInt()
        int answer;
        std::string shown;
        const char* rest; // of the input
    };
    const Case cases[] = {
        {"maybe\n  N\n", true, 0, question + yesNo, ""},
        {"\n\n   yes please\nrest\n", true, 1, question, "rest\n"},
        {"m\n", true, 0, question + yesNo, ""}, // input ends: no
        {"abc\n42\ny\n", false, 42, integer, "\ny\n"},
        {"12abc\n", false, 12, "", "abc\n"},
        {"-7\n", false, -7, "", "\n"},
        {"x\nz", false, 0, integer + integer, ""}, // input ends: 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const ConsoleRun run = RunConsole(c.input, [&c]() {
            const int answer = c.yesNo ? AskYesNo("Q?") : AskInt();
            std::string rest;
            std::getline(std::cin, rest, '\0');
            ReportLine(std::to_string(answer));
            ReportLine(rest);
        });
        EXPECT_EQ(run.output, c.shown);
        EXPECT_EQ(run.report, std::to_string(c.answer) + "\n" + c.rest + "\n");
    }
    // The line end AskInt leaves behind is skipped by the next question.
    const ConsoleRun run = RunConsole("5\ny\n", []() {
        const int number = AskInt();
        ReportLine(std::to_string(number) + (AskYesNo("Go?") ? " yes" : " no"));
        ShowCommands();
    });
    EXPECT_EQ(run.report, "5 yes\n");
    EXPECT_EQ(run.output, "\nGo? [y/n] :\n\nThe following commands are available: \n"
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
