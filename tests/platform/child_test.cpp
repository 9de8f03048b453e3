#include "support/child.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>

// The child-process helper itself, on a plain shell: the end-to-end tests of
// the game rely on its environment, working directory, separate output
// streams, closable input and exit reports.

TEST(ChildProcess, RunsAProgramWithEnvironmentDirectoryAndSeparateStreams)
{
    ChildProcess child;
    ChildOptions options;
    options.argv = {"/bin/sh", "-c",
                    "read line; echo \"$QV_WORD:$line:$(pwd)\"; echo oops >&2; exit 3"};
    options.env = {"QV_WORD=hello"};
    options.cwd = "/tmp";
    ASSERT_TRUE(child.Start(options)) << child.Error();
    ASSERT_TRUE(child.Write("typed\n"));
    ASSERT_TRUE(child.WaitExit(10000));
    EXPECT_TRUE(child.Exited());
    EXPECT_EQ(child.ExitCode(), 3);
    EXPECT_EQ(child.Output(), "hello:typed:/tmp\n");
    EXPECT_EQ(child.Error(), "oops\n");
}

TEST(ChildProcess, ClosedInputEndsTheChildsReadingAndSignalsAreReported)
{
    ChildProcess reader;
    ChildOptions options;
    options.argv = {"/bin/cat"};
    ASSERT_TRUE(reader.Start(options));
    ASSERT_TRUE(reader.Write("abc"));
    reader.CloseInput();
    ASSERT_TRUE(reader.WaitExit(10000));
    EXPECT_EQ(reader.ExitCode(), 0);
    EXPECT_EQ(reader.Output(), "abc");

    ChildProcess sleeper;
    options.argv = {"/bin/sh", "-c", "echo up; while :; do :; done"};
    ASSERT_TRUE(sleeper.Start(options));
    ASSERT_TRUE(sleeper.WaitForOutput("up", 10000));
    EXPECT_FALSE(sleeper.WaitExit(50));
    ASSERT_TRUE(sleeper.Signal(SIGTERM));
    ASSERT_TRUE(sleeper.WaitExit(10000));
    EXPECT_TRUE(sleeper.Signalled());
    EXPECT_EQ(sleeper.TermSignal(), SIGTERM);
}

TEST(ChildProcess, MissingProgramIsReportedAndClearedEnvironmentIsEmpty)
{
    ChildProcess missing;
    ChildOptions options;
    options.argv = {"/nonexistent/quorvadellix"};
    EXPECT_FALSE(missing.Start(options));
    EXPECT_NE(missing.Error().find("No such file"), std::string::npos) << missing.Error();

    ChildProcess bare;
    options.argv = {"/usr/bin/env"};
    options.clearEnv = true;
    options.env = {"ONLY=1"};
    options.input = ChildInput::Null;
    ASSERT_TRUE(bare.Start(options));
    ASSERT_TRUE(bare.WaitExit(10000));
    EXPECT_EQ(bare.Output(), "ONLY=1\n");
}

TEST(ChildProcess, ProgramOnAPseudoTerminalSeesATerminal)
{
    ChildProcess child;
    ChildOptions options;
    options.argv = {"/bin/sh", "-c", "test -t 0 && test -t 1 && echo tty; read x; echo got $x"};
    options.input = ChildInput::Pty;
    ASSERT_TRUE(child.Start(options));
    ASSERT_TRUE(child.WaitForOutput("tty", 10000)) << child.Output();
    ASSERT_TRUE(child.Write("z\n"));
    ASSERT_TRUE(child.WaitExit(10000));
    EXPECT_EQ(child.ExitCode(), 0);
    // The terminal echoes the typed line and ends lines with CR LF.
    EXPECT_EQ(child.Output(), "tty\r\nz\r\ngot z\r\n");
}
