// A second run on the same control file waits for the first, then gives up.
#include "run/run_lock.h"

#include <gtest/gtest.h>

#include "e2e/e2e_util.h"
#include "run/driver.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

struct LockCase {
    int busy_polls;       // tries that find the lock held by someone else
    int exit_code;
    bool waits, gives_up;
    long slept_ms;
};

class RunLockTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(RunLockTest, WaitsThenRunsOrGivesUp) {
    const LockCase& c = GetParam();
    e2e::Sandbox box;
    box.write("zunt.ctl", "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile " + box.path("zunt.log") +
                              "\r\nbbslog " + box.path("max.log") + "\r\n");
    box.write("max.log", "");
    testing::FaultEnv env(default_env());
    env.lock_busy_polls = c.busy_polls;
    std::string ctl = "/c" + box.path("zunt.ctl");
    char argv0[] = "zunt";
    char* argv[] = {argv0, ctl.data()};
    EXPECT_EQ(run_zunt(env, 2, argv), c.exit_code) << env.err_text;
    std::string path = box.path("zunt.ctl");
    for (char& ch : path) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(env.err_text.find(run_lock_waiting_message(path)) != std::string::npos, c.waits);
    EXPECT_EQ(env.err_text.find(run_lock_busy_message(path)) != std::string::npos, c.gives_up);
    EXPECT_EQ(env.slept_ms, c.slept_ms);
    // The activity log is opened only once the lock is ours.
    EXPECT_EQ(box.exists("zunt.log"), !c.gives_up);
    EXPECT_EQ(box.exists("max.znt"), !c.gives_up);
}

constexpr int kPolls = kRunLockWaitSeconds * 1000 / kRunLockPollMs;

INSTANTIATE_TEST_SUITE_P(Cases, RunLockTest,
                         ::testing::Values(LockCase{0, 0, false, false, 0},
                                           LockCase{3, 0, true, false, 3L * kRunLockPollMs},
                                           LockCase{kPolls, 0, true, false, kPolls * kRunLockPollMs},
                                           LockCase{kPolls + 1, 1, true, true,
                                                    kPolls * kRunLockPollMs}));

TEST(RunLock, HeldLockIsExclusiveAndReleasedWithItsHolder) {
    e2e::Sandbox box;
    box.write("zunt.ctl", "x\r\n");
    Env& env = default_env();
    std::unique_ptr<File> first, second;
    ASSERT_EQ(try_run_lock(env, box.path("zunt.ctl"), first), RunLockResult::taken);
    EXPECT_EQ(try_run_lock(env, box.path("zunt.ctl"), second), RunLockResult::busy);
    // Reading the locked control file is never refused.
    std::unique_ptr<File> reader;
    EXPECT_EQ(env.open(box.path("zunt.ctl"), Access::read, Share::deny_none, reader), 0);
    first.reset();
    EXPECT_EQ(try_run_lock(env, box.path("zunt.ctl"), second), RunLockResult::taken);
    // No such file: no lock to be had, and no reason to keep the run waiting.
    EXPECT_EQ(try_run_lock(env, box.path("none.ctl"), first), RunLockResult::unlocked);
}

}  // namespace
}  // namespace zunt
