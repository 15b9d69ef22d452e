#include "run/activity_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// The real file system at a fixed moment: 6 Dec, 04:59:11.
class ClockEnv : public testing::FaultEnv {
public:
    ClockEnv() : FaultEnv(default_env()) {}
    LocalTime time{2026, 12, 6, 4, 59, 11};
    LocalTime local_time(std::int64_t) override { return time; }
};

std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(ActivityLogFormat, LineLayoutTable) {
    struct Case {
        int level;
        LocalTime t;
        const char* msg;
        const char* want;
    } cases[] = {
        {3, {2026, 12, 6, 4, 59, 11}, "ZUNT Begin", "+  6 Dec 04:59:11 ZUNT Begin"},
        {3, {2026, 12, 16, 4, 59, 11}, "x", "+ 16 Dec 04:59:11 x"},
        {0, {2026, 1, 1, 0, 0, 0}, "d", "   1 Jan 00:00:00 d"},
        {1, {2026, 2, 28, 23, 5, 9}, "s", "* 28 Feb 23:05:09 s"},
        {2, {2026, 3, 31, 12, 0, 0}, "w", "# 31 Mar 12:00:00 w"},
        {4, {2026, 4, 10, 1, 2, 3}, "e", "! 10 Apr 01:02:03 e"},
        {5, {2026, 5, 9, 1, 2, 3}, "100% %s %d", "?  9 May 01:02:03 100% %s %d"},
        {1, {2026, 6, 9, 1, 2, 3}, "", "*  9 Jun 01:02:03 "},
        {1, {2026, 11, 9, 1, 2, 3}, "", "*  9 Nov 01:02:03 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ActivityLog::format_line(c.level, c.t, c.msg), c.want) << c.want;
}

class ActivityLogFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zunt_alog_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "zunt.log").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    std::string path_;
    ClockEnv env;
};

TEST_F(ActivityLogFile, BlocksAppendWithCrLfAndEmptyLine) {
    for (int run = 0; run < 2; ++run) {
        ActivityLog log;
        ASSERT_EQ(log.open(env, path_, "ZUNT Begin, ZUNT 1.30.wb", false), 0);
        log.write(kStep, "ZUNT 50% done");
        log.write(kDebug, "ZUNT not in normal mode");
        log.close("ZUNT End. 0 files processed");
        log.write(kError, "after the end");
        EXPECT_FALSE(log.is_open());
    }
    const std::string block =
        "+  6 Dec 04:59:11 ZUNT Begin, ZUNT 1.30.wb\r\n"
        "*  6 Dec 04:59:11 ZUNT 50% done\r\n"
        "+  6 Dec 04:59:11 ZUNT End. 0 files processed\r\n\r\n";
    EXPECT_EQ(slurp(path_), block + block);
}

TEST_F(ActivityLogFile, DebugLinesOnlyInDebugModeAndOnDiskAtOnce) {
    ActivityLog log;
    ASSERT_EQ(log.open(env, path_, "B", true), 0);
    log.write(kDebug, "dbg");
    EXPECT_EQ(slurp(path_), "+  6 Dec 04:59:11 B\r\n?  6 Dec 04:59:11 dbg\r\n");
    log.close("E");
}

TEST_F(ActivityLogFile, OpenFailureLeavesNothingOpen) {
    ActivityLog log;
    EXPECT_EQ(log.open(env, (dir_ / "no" / "such.log").string(), "B", false), -1);
    EXPECT_FALSE(log.is_open());
    log.write(kError, "x");
    log.close("E");
}

}  // namespace
}  // namespace zunt
