#include "config/activity_log.h"

#include <gtest/gtest.h>

#include "areas/area_test_util.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

TEST(ActivityLogFormat, LevelCharacterDayAndTime) {
    struct Case {
        int level;
        LocalTime t;
        const char* want;
    } cases[] = {
        {3, {2026, 12, 6, 4, 59, 11}, "+  6 Dec 04:59:11 100% %s"}, {0, {2026, 1, 1, 0, 0, 0}, "   1 Jan 00:00:00 100% %s"},
        {1, {2026, 2, 28, 23, 5, 9}, "* 28 Feb 23:05:09 100% %s"}, {2, {2026, 3, 31, 12, 0, 0}, "# 31 Mar 12:00:00 100% %s"},
        {4, {2026, 4, 10, 1, 2, 3}, "! 10 Apr 01:02:03 100% %s"},  {5, {2026, 5, 9, 1, 2, 3}, "?  9 May 01:02:03 100% %s"},
    };
    for (const auto& c : cases) EXPECT_EQ(ActivityLog::format_line(c.level, c.t, "100% %s"), c.want);
}

// The real file system with a clock that stands at 6 Dec, 04:59:11 until
// it is moved on by whole seconds.
class ClockEnv : public testing::FaultEnv {
public:
    ClockEnv() : FaultEnv(default_env()) {}
    std::int64_t now() override { return seconds; }
    LocalTime local_time(std::int64_t t) override { return {2026, 12, 6, 4, 59, static_cast<int>(11 + t)}; }
    std::int64_t seconds = 0;
};

TEST(ActivityLogFile, BlocksAppendDebugOnlyInDebugModeAndFailedOpenLeavesNothingOpen) {
    testing::ScratchDir dir("alog");
    const std::string path = dir.path("zunt.log");
    ClockEnv env;
    for (bool debug : {false, true}) {
        ActivityLog log;
        ASSERT_EQ(log.open(env, path, "ZUNT Begin", debug), 0);
        log.write(kStep, "ZUNT 50% done");
        log.write(kDebug, "dbg");
        log.close("ZUNT End. 0 files processed");
        log.write(kError, "after the end");
        EXPECT_FALSE(log.is_open());
    }
    const std::string block = "+  6 Dec 04:59:11 ZUNT Begin\r\n*  6 Dec 04:59:11 ZUNT 50% done\r\n";
    const std::string end = "+  6 Dec 04:59:11 ZUNT End. 0 files processed\r\n\r\n";
    EXPECT_EQ(testing::slurp(path), block + end + block + "?  6 Dec 04:59:11 dbg\r\n" + end);
    // Each line has the time it was written at.
    ActivityLog later;
    ASSERT_EQ(later.open(env, path, "ZUNT Begin", false), 0);
    env.seconds = 2;
    later.write(kNotice, "ZUNT Begin");
    later.close("ZUNT End");
    EXPECT_TRUE(testing::slurp(path).ends_with("+  6 Dec 04:59:11 ZUNT Begin\r\n+  6 Dec 04:59:13 ZUNT Begin\r\n"
                                               "+  6 Dec 04:59:13 ZUNT End\r\n\r\n"));
    ActivityLog log;
    EXPECT_EQ(log.open(env, dir.path("no/such.log"), "B", false), -1);
    EXPECT_FALSE(log.is_open());
    log.write(kError, "x");
    log.close("E");
}

}  // namespace
}  // namespace zunt
