// A second run on the same control file waits for the first, then gives up.
#include "run/run_lock.h"

#include <gtest/gtest.h>

#include "e2e/e2e_util.h"
#include "run/driver.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

TEST(RunLock, WaitsThenRunsOrGivesUp) {
    constexpr int kPolls = kRunLockWaitSeconds * 1000 / kRunLockPollMs;
    for (int busy : {0, 3, kPolls, kPolls + 1}) {  // tries that find the lock held by someone else
        const bool gives_up = busy > kPolls;
        e2e::Sandbox box;
        box.write("zunt.ctl", "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile " +
                                  box.path("zunt.log") + "\r\nbbslog " + box.path("max.log") + "\r\n");
        box.write("max.log", "");
        testing::FaultEnv env(default_env());
        env.lock_busy_polls = busy;
        std::string ctl = "/c" + box.path("zunt.ctl");
        char argv0[] = "zunt";
        char* argv[] = {argv0, ctl.data()};
        EXPECT_EQ(run_zunt(env, 2, argv), gives_up ? 1 : 0) << env.err_text;
        EXPECT_EQ(env.err_text.find("waiting up to") != std::string::npos, busy > 0) << busy;
        EXPECT_EQ(env.err_text.find("giving up!") != std::string::npos, gives_up) << busy;
        EXPECT_EQ(env.slept_ms, std::min(busy, kPolls) * long{kRunLockPollMs});
        // The activity log is opened only once the lock is ours.
        EXPECT_EQ(box.exists("zunt.log"), !gives_up);
        EXPECT_EQ(box.exists("max.znt"), !gives_up);
    }
}

TEST(RunLock, WaitComesFromTheEnvironmentOrDefaults) {
    testing::FaultEnv env(default_env());
    const std::pair<const char*, int> cases[] = {{"1", 1},      {"0", 0},  {"86400", 86400}, {"86401", 30},
                                                 {"123456", 30}, {"x", 30}, {"-5", 30},       {"1.5", 30},
                                                 {"", 30},       {" 7", 30}};
    for (const auto& [value, seconds] : cases) {
        env.vars["ZUNT_LOCK_WAIT"] = value;
        EXPECT_EQ(run_lock_wait_seconds(env), seconds) << value;
    }
}

TEST(RunLock, HeldLockIsExclusiveAndReleasedWithItsHolder) {
    e2e::Sandbox box;
    box.write("zunt.ctl", "x\r\n");
    Env& env = default_env();
    std::unique_ptr<File> first, second, reader;
    ASSERT_EQ(try_run_lock(env, box.path("zunt.ctl"), first), RunLockResult::taken);
    EXPECT_EQ(try_run_lock(env, box.path("zunt.ctl"), second), RunLockResult::busy);
    // Reading the locked control file is never refused.
    EXPECT_EQ(env.open(box.path("zunt.ctl"), Access::read, Share::deny_none, reader), 0);
    first.reset();
    EXPECT_EQ(try_run_lock(env, box.path("zunt.ctl"), second), RunLockResult::taken);
    // No such file: no lock to be had, and no reason to keep the run waiting.
    EXPECT_EQ(try_run_lock(env, box.path("none.ctl"), first), RunLockResult::unlocked);
}

}  // namespace
}  // namespace zunt
