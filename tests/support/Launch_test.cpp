// The child launcher under input and answers larger than a pipe holds, with
// standard error captured apart, and with a program that never reads its input.
#include "support/Launch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Launch, LargeInputAnswerAndErrorsPassWithoutStalling)
{
    std::string input;
    for (int i = 0; input.size() < 1024 * 1024; ++i)
        input += "line " + std::to_string(i) + "\n";
    Launch launch("/bin/sh", {"sh", "-c", "cat; echo done >&2; exit 3"}, {"PATH=/usr/bin:/bin"});
    launch.SetInput(input);
    launch.CaptureErrors();
    ProgramAnswer answer;
    launch.Run(answer);
    EXPECT_EQ(3, answer.status);
    EXPECT_TRUE(answer.output == input) << answer.output.size() << " of " << input.size() << " bytes";
    EXPECT_EQ("done\n", answer.errors);
}

TEST(Launch, ProgramThatLeavesItsInputUnreadEndsTheRun)
{
    Launch launch("/bin/sh", {"sh", "-c", "echo refused; exit 1"}, {"PATH=/usr/bin:/bin"});
    launch.SetInput(std::string(4 * 1024 * 1024, 'x'));
    ProgramAnswer answer;
    launch.Run(answer);
    EXPECT_EQ(1, answer.status);
    EXPECT_EQ("refused\n", answer.output);
    EXPECT_EQ("", answer.errors);  // not captured
}

}  // namespace
