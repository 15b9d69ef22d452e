// Two runs on one control file: the second waits for the first's lock and
// goes on once it is released, or gives up after the wait with exit code 1.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "e2e/e2e_util.h"
#include "platform/env.h"

namespace zunt::e2e {
namespace {

const std::string kCtl =
    "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n"
    "bbslog max.log\r\n";

const std::string kWaiting = "  Another ZUNT run is using zunt.ctl, waiting up to 30 seconds...\n";

TEST(ConcurrentRunsE2E, SecondRunGoesOnWhenTheFirstEnds) {
    ZUNT_SKIP_UNDER_WINDOWS("the test holds the lock with flock");
    Sandbox box;
    box.write("zunt.ctl", kCtl);
    box.write("max.log", "");
    std::unique_ptr<File> held;
    ASSERT_EQ(default_env().try_lock_exclusive(box.path("zunt.ctl"), held), 0);
    std::thread release([&held] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        held.reset();
    });
    RunResult r = box.run({"/czunt.ctl"});
    release.join();
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "\xFE Reading config...\n" + kWaiting +
                         "\xFE Parsing max.log 0 files\n\xFE Nothing to do!\n\n");
    EXPECT_TRUE(box.exists("max.znt"));
}

TEST(ConcurrentRunsE2E, SecondRunGivesUpWhileTheFirstHoldsOn) {
    ZUNT_SKIP_UNDER_WINDOWS("the test holds the lock with flock");
    Sandbox box;
    box.write("zunt.ctl", kCtl);
    box.write("max.log", "");
    std::unique_ptr<File> held;
    ASSERT_EQ(default_env().try_lock_exclusive(box.path("zunt.ctl"), held), 0);
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "\xFE Reading config...\n" + kWaiting +
                         "  Another ZUNT run still uses zunt.ctl, giving up!\n");
    // Nothing of the second run reaches the board: no log, no scan position.
    EXPECT_FALSE(box.exists("zunt.log"));
    EXPECT_FALSE(box.exists("max.znt"));
}

TEST(ConcurrentRunsE2E, OverlappingRunsCountEachLineOnce) {
    Sandbox box;
    box.write("zunt.ctl", "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\n"
                          "logfile zunt.log\r\nbbslog max.log\r\n");
    box.write("areas.txt", "Util files\\util\r\n");
    box.write("files/util/files.bbs", "tool.zip [ 3] A handy tool\r\n");
    std::string log;
    for (int i = 0; i < 200; ++i) log += "* 16 Dec 04:59:11 MAX  DL-Z files\\util\\tool.zip\r\n";
    box.write("max.log", log);
    RunResult a, b;
    std::thread first([&] { a = box.run({"/czunt.ctl"}); });
    std::thread second([&] { b = box.run({"/czunt.ctl"}); });
    first.join();
    second.join();
    EXPECT_EQ(a.exit_code, 0) << a.err;
    EXPECT_EQ(b.exit_code, 0) << b.err;
    // The log's 200 downloads counted once, by whichever run came first.
    EXPECT_EQ(box.read("files/util/files.bbs"), "tool.zip [203] A handy tool\r\n");
    // Two whole runs one after the other: Begin, End, Begin, End.
    const std::string alog = box.read("zunt.log");
    std::size_t begin1 = alog.find("ZUNT Begin"), end1 = alog.find("ZUNT End");
    std::size_t begin2 = alog.find("ZUNT Begin", begin1 + 1);
    ASSERT_NE(begin2, std::string::npos);
    EXPECT_LT(end1, begin2);
    EXPECT_NE(alog.find("ZUNT End", begin2), std::string::npos);
}

}  // namespace
}  // namespace zunt::e2e
