#include "platform/terminal.h"
#include "support/fakeclock.h"
#include "util/ctimer.h"
#include "util/handyfunctions.h"
#include "util/randomint.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Sends std::cin from a text and collects std::cout while it lives.
class StandardStreams
{
public:
    explicit StandardStreams(const std::string& input) : m_input(input)
    {
        m_oldIn = std::cin.rdbuf(m_input.rdbuf());
        m_oldOut = std::cout.rdbuf(m_output.rdbuf());
        std::cin.clear();
    }
    ~StandardStreams()
    {
        std::cin.rdbuf(m_oldIn);
        std::cout.rdbuf(m_oldOut);
        std::cin.clear();
    }
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;

    std::string Output() const { return m_output.str(); }
    std::string Rest()
    {
        std::string rest;
        std::getline(std::cin, rest, '\0');
        return rest;
    }

private:
    std::istringstream m_input;
    std::ostringstream m_output;
    std::streambuf* m_oldIn;
    std::streambuf* m_oldOut;
};

const std::string YES_NO_COMPLAINT = "You must enter yes or no [y/n].  Please try again: ";
const std::string INT_COMPLAINT = "You must enter an integer value.  Please try again: ";

} // namespace

TEST(HandyFunctions, RandomVectorDrawsDirectionBeforeMagnitude)
{
    // Reference objects made first: constructing them reseeds the shared
    // generator, which must not happen between the two runs compared.
    RandomInt referenceMagnitude;
    RandomInt referenceDirection;
    RandomVector(50.0, 100.0, 0.0, 2 * PI); // makes the function's own generators
    RandomInt(4711);                        // a known seed
    const RandomGeneratorState seeded = SharedRandomState();

    CVector2D drawn[20];
    for (CVector2D& v : drawn) {
        v = RandomVector(50.0, 100.0, 0.0, 2 * PI);
    }
    SharedRandomState() = seeded;
    referenceMagnitude.SetRange(50, 100);
    referenceDirection.SetRange(0, 6283);
    for (const CVector2D& v : drawn) {
        const int direction = referenceDirection.Next();
        const int magnitude = referenceMagnitude.Next();
        EXPECT_DOUBLE_EQ(v.Direction(), direction / 1000.0);
        EXPECT_DOUBLE_EQ(v.Magnitude(), magnitude);
        EXPECT_DOUBLE_EQ(v.Limit(), HALF_PI);
    }
}

TEST(HandyFunctions, RandomVectorStaysInItsRangesWithWholeMagnitudes)
{
    for (int i = 0; i < 2000; ++i) {
        const CVector2D v = RandomVector(50.0, 100.0, 0.0, 2 * PI);
        ASSERT_GE(v.Magnitude(), 50.0);
        ASSERT_LE(v.Magnitude(), 100.0);
        ASSERT_EQ(v.Magnitude(), std::floor(v.Magnitude()));
        ASSERT_GE(v.Direction(), 0.0);
        ASSERT_LE(v.Direction(), 6.283 + 1e-12);
        const CVector2D narrow = RandomVector(70.2, 70.9, 1.0, 1.0005);
        ASSERT_EQ(narrow.Magnitude(), 70.0);
        ASSERT_DOUBLE_EQ(narrow.Direction(), 1.0);
    }
}

TEST(HandyFunctions, RandomPointInRectDrawsYBeforeXInsideTheRectangle)
{
    RandomInt referenceX;
    RandomInt referenceY;
    EXPECT_EQ(RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4)).X(), 3);
    const CPoint2D single = RandomPointInRect(CPoint2D(3, 4), CPoint2D(3, 4));
    EXPECT_EQ(single.Xd(), 3.0);
    EXPECT_EQ(single.Yd(), 4.0);

    RandomInt(99);
    const RandomGeneratorState seeded = SharedRandomState();
    CPoint2D drawn[20];
    for (CPoint2D& p : drawn) {
        // Corners given with fractions: the pixel coordinates count.
        p = RandomPointInRect(CPoint2D(10.4, 20.6), CPoint2D(639.5, 479.2));
    }
    SharedRandomState() = seeded;
    referenceX.SetRange(10, 640);
    referenceY.SetRange(21, 479);
    for (const CPoint2D& p : drawn) {
        const int y = referenceY.Next();
        const int x = referenceX.Next();
        EXPECT_EQ(p.Xd(), x);
        EXPECT_EQ(p.Yd(), y);
    }
}

TEST(HandyFunctionsDeathTest, RandomPointInRectNeedsOrderedCorners)
{
    EXPECT_DEATH(RandomPointInRect(CPoint2D(5, 1), CPoint2D(4, 9)),
                 "Assertion failed: lowerLeft\\.X\\(\\) <= topRight\\.X\\(\\) && "
                 "lowerLeft\\.Y\\(\\) <= topRight\\.Y\\(\\), file util/handyfunctions\\.cpp, line "
                 "[0-9]+");
    EXPECT_DEATH(RandomPointInRect(CPoint2D(1, 9), CPoint2D(4, 8)),
                 "Assertion failed: lowerLeft\\.X\\(\\) <= topRight\\.X\\(\\)");
    EXPECT_DEATH(RandomPointInRect(CPoint2D(-3, 1), CPoint2D(4, 8)),
                 "Assertion failed: 0<=low && low <= high, file util/randomint\\.cpp");
}

TEST(HandyFunctions, AskYesNoReadsTheFirstCharacterOfEachLine)
{
    {
        StandardStreams streams("maybe\n  N\n");
        EXPECT_FALSE(AskYesNo("Sure?"));
        EXPECT_EQ(streams.Output(), "\nSure? [y/n] :" + YES_NO_COMPLAINT);
    }
    {
        StandardStreams streams("\n\n   yes please\nrest\n");
        EXPECT_TRUE(AskYesNo("Again?"));
        EXPECT_EQ(streams.Output(), "\nAgain? [y/n] :");
        EXPECT_EQ(streams.Rest(), "rest\n");
    }
    {
        // The input ends before an answer: no, without asking for ever.
        StandardStreams streams("m\n");
        EXPECT_FALSE(AskYesNo("Quit?"));
        EXPECT_EQ(streams.Output(), "\nQuit? [y/n] :" + YES_NO_COMPLAINT);
    }
}

TEST(HandyFunctions, AskIntReAsksOnLettersAndLeavesTheRestOfTheLine)
{
    {
        StandardStreams streams("abc\n42\ny\n");
        EXPECT_EQ(AskInt(), 42);
        EXPECT_EQ(streams.Output(), INT_COMPLAINT);
        // The line end AskInt left behind is skipped by the next question.
        EXPECT_TRUE(AskYesNo("Go?"));
    }
    {
        StandardStreams streams("12abc\n");
        EXPECT_EQ(AskInt(), 12);
        EXPECT_EQ(streams.Output(), "");
        EXPECT_EQ(streams.Rest(), "abc\n");
    }
    {
        StandardStreams streams("-7\n");
        EXPECT_EQ(AskInt(), -7);
    }
    {
        StandardStreams streams("x\nz");
        EXPECT_EQ(AskInt(), 0);
        EXPECT_EQ(streams.Output(), INT_COMPLAINT + INT_COMPLAINT);
    }
}

TEST(HandyFunctions, ShowCommandsListsQuitThenPause)
{
    StandardStreams streams("");
    ShowCommands();
    EXPECT_EQ(streams.Output(),
              "\n\nThe following commands are available: \n   q : to Quit\n   p : to Pause\n\n");
}

TEST(HandyFunctions, CheckCommandsPausesOnPAndQuitsOnQ)
{
    FakeClock clock;
    EXPECT_TRUE(CheckCommands()); // nothing waiting: at once
    TerminalQueueKey('x');
    TerminalQueueKey('p');
    TerminalQueueKey('P');
    TerminalQueueKey('Q');
    TerminalQueueKey('p');
    TerminalQueueKey('q');
    EXPECT_TRUE(CheckCommands());
    EXPECT_FALSE(CTimer::IsPaused());
    EXPECT_TRUE(CheckCommands());
    EXPECT_TRUE(CTimer::IsPaused());
    EXPECT_TRUE(CheckCommands());
    EXPECT_TRUE(CheckCommands());
    EXPECT_TRUE(CTimer::IsPaused());
    EXPECT_TRUE(CheckCommands());
    EXPECT_FALSE(CTimer::IsPaused());
    EXPECT_FALSE(CheckCommands());
    EXPECT_TRUE(CheckCommands());
}
