// Two runs on one control file: the second waits for the first's lock and
// goes on once it is released, or gives up after the wait with exit code 1;
// runs that overlap count each log line once.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "e2e/e2e_util.h"
#include "platform/env.h"

namespace zunt::e2e {
namespace {

TEST(ConcurrentRunsE2E, SecondRunWaitsForTheLock) {
    ZUNT_SKIP_UNDER_WINDOWS("the test holds the lock with flock");
    const struct { int hold_s; const char* wait; int exit; std::string err; bool log; } cases[] = {
        {2, "", 0, "30 seconds...\n\xFE Parsing max.log 0 files\n\xFE Nothing to do!\n\n", true},
        {-1, "1", 1, "1 seconds...\n  Another ZUNT run still uses zunt.ctl, giving up!\n", false},
    };
    for (const auto& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\nbbslog max.log\r\n");
        box.write("max.log", "");
        std::unique_ptr<File> held;
        EXPECT_EQ(default_env().try_lock_exclusive(box.path("zunt.ctl"), held), 0);
        std::thread release([&] {
            if (c.hold_s < 0) return;
            std::this_thread::sleep_for(std::chrono::seconds(c.hold_s));
            held.reset();
        });
        const RunResult r = box.run({"/czunt.ctl"}, *c.wait ? EnvVars{{"ZUNT_LOCK_WAIT", c.wait}} : EnvVars{});
        release.join();
        EXPECT_EQ(r.exit_code, c.exit);
        EXPECT_EQ(r.err, "\xFE Reading config...\n  Another ZUNT run is using zunt.ctl, waiting up to " + c.err);
        // A run that gives up leaves nothing on the board: no log, no scan position.
        EXPECT_EQ(box.exists("zunt.log"), c.log);
        EXPECT_EQ(box.exists("max.znt"), c.log);
    }
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
    EXPECT_EQ(a.exit_code + b.exit_code, 0) << a.err << b.err;
    // The log's 200 downloads counted once, by whichever run came first, in
    // two whole runs one after the other: Begin, End, Begin, End.
    EXPECT_EQ(box.read("files/util/files.bbs"), "tool.zip [203] A handy tool\r\n");
    const std::string alog = box.read("zunt.log");
    const std::size_t begin2 = alog.find("ZUNT Begin", alog.find("ZUNT Begin") + 1);
    ASSERT_NE(begin2, std::string::npos);
    EXPECT_LT(alog.find("ZUNT End"), begin2);
    EXPECT_NE(alog.find("ZUNT End", begin2), std::string::npos);
}

}  // namespace
}  // namespace zunt::e2e
