#include "shell/Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

TEST(RunAndWait, GivesTheChildsExitCode) {
    EXPECT_EQ(kfm::shell::runAndWait("/bin/sh", {"-c", "exit 3"}), 3);
    EXPECT_EQ(kfm::shell::runAndWait("/nonexistent/program", {}), -1);
}

// With SIGCHLD ignored the system reaps the child itself and the wait fails with ECHILD: the
// call must return instead of waiting again forever. Runs in a child process (the signal
// setting stays there) that an alarm ends should the call hang.
TEST(RunAndWait, ReturnsWhenTheChildCannotBeWaitedFor) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::signal(SIGCHLD, SIG_IGN);
            ::alarm(20);
            const int code = kfm::shell::runAndWait("/bin/sh", {"-c", "exit 0"});
            std::_Exit(code == -1 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
