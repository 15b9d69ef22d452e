// Two runs on one control file: the second waits for the first's lock and
// goes on once it is released, or gives up after the wait with exit code 1.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "e2e/e2e_util.h"
#include "platform/env.h"

namespace zunt::e2e {
namespace {

std::string waiting(int seconds) {
    return "\xFE Reading config...\n  Another ZUNT run is using zunt.ctl, waiting up to " + std::to_string(seconds) +
           " seconds...\n";
}

// Runs zunt while the test holds the control file's lock, released after
// `hold` (or never).
RunResult run_while_locked(const Sandbox& box, std::optional<std::chrono::seconds> hold, const EnvVars& env = {}) {
    box.write("zunt.ctl", "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\nbbslog max.log\r\n");
    box.write("max.log", "");
    std::unique_ptr<File> held;
    EXPECT_EQ(default_env().try_lock_exclusive(box.path("zunt.ctl"), held), 0);
    std::thread release([&held, hold] {
        if (!hold) return;
        std::this_thread::sleep_for(*hold);
        held.reset();
    });
    RunResult r = box.run({"/czunt.ctl"}, env);
    release.join();
    return r;
}

TEST(ConcurrentRunsE2E, SecondRunGoesOnWhenTheFirstEnds) {
    ZUNT_SKIP_UNDER_WINDOWS("the test holds the lock with flock");
    Sandbox box;
    RunResult r = run_while_locked(box, std::chrono::seconds(2));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, waiting(30) + "\xFE Parsing max.log 0 files\n\xFE Nothing to do!\n\n");
    EXPECT_TRUE(box.exists("max.znt"));
}

TEST(ConcurrentRunsE2E, SecondRunGivesUpWhileTheFirstHoldsOn) {
    ZUNT_SKIP_UNDER_WINDOWS("the test holds the lock with flock");
    Sandbox box;
    RunResult r = run_while_locked(box, std::nullopt, {{"ZUNT_LOCK_WAIT", "1"}});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, waiting(1) + "  Another ZUNT run still uses zunt.ctl, giving up!\n");
    // Nothing of the second run reaches the board: no log, no scan position.
    EXPECT_FALSE(box.exists("zunt.log"));
    EXPECT_FALSE(box.exists("max.znt"));
}

TEST(ConcurrentRunsE2E, OverlappingRunsCountEachLineOnce) {
    Sandbox box;
    box.write("zunt.ctl", "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\nbbslog max.log\r\n");
    box.write("areas.txt", "Util files\\util\r\n");
    box.write("files/util/files.bbs", "tool.zip [ 3] A handy tool\r\n");
    std::string log;
    for (int i = 0; i < 200; ++i) log += "* 16 Dec 04:59:11 MAX  DL-Z files\\util\\tool.zip\r\n";
    box.write("max.log", log);
    RunResult a, b;
    std::thread first([&] { a = box.run({"/czunt.ctl"}); }), second([&] { b = box.run({"/czunt.ctl"}); });
    first.join();
    second.join();
    EXPECT_EQ(a.exit_code, 0) << a.err;
    EXPECT_EQ(b.exit_code, 0) << b.err;
    // The log's 200 downloads counted once, by whichever run came first, in
    // two whole runs one after the other: Begin, End, Begin, End.
    EXPECT_EQ(box.read("files/util/files.bbs"), "tool.zip [203] A handy tool\r\n");
    const std::string alog = box.read("zunt.log");
    std::size_t begin2 = alog.find("ZUNT Begin", alog.find("ZUNT Begin") + 1);
    ASSERT_NE(begin2, std::string::npos);
    EXPECT_LT(alog.find("ZUNT End"), begin2);
    EXPECT_NE(alog.find("ZUNT End", begin2), std::string::npos);
}

}  // namespace
}  // namespace zunt::e2e
