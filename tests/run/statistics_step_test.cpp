#include "run/statistics_step.h"

#include <gtest/gtest.h>

#include "areas/area_test_util.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

// The real file system at 6 Dec, 04:59:11, failing its Nth operation.
class StepEnv : public testing::FaultEnv {
public:
    explicit StepEnv(long fail_at) : FaultEnv(default_env(), fail_at) {}
    LocalTime local_time(std::int64_t) override { return {2026, 12, 6, 4, 59, 11}; }
};

std::string line(char level, const std::string& msg) { return std::string(1, level) + "  6 Dec 04:59:11 ZUNT " + msg + "\r\n"; }
const std::string kEnd = line('+', "End.") + "\r\n";

// Runs `step` with the log open (the log's open is the env's operation 1);
// returns the log's text.
template <class Step>
std::string with_log(const testing::ScratchDir& dir, StepEnv& env, const std::string& stats, Step step) {
    std::filesystem::remove(dir.path("zunt.log"));
    RunContext ctx(env);
    ctx.settings.statistics_path = stats;
    EXPECT_EQ(ctx.log.open(env, dir.path("zunt.log"), "ZUNT Begin", false), 0);
    step(ctx);
    if (ctx.log.is_open()) ctx.log.close("ZUNT End.");
    return testing::slurp(dir.path("zunt.log"));
}

TEST(StatisticsStep, ReadGoesOnOrStops) {
    testing::ScratchDir dir("stat_step");
    const std::string stats = dir.path("zunt.sta");
    for (long fail_at : {0L, 2L}) {  // another format goes on; a file that cannot be opened stops
        dir.write("zunt.sta", std::string("\x07\0\0\0", 4));
        StepEnv env(fail_at);
        int got = 0;
        const std::string log = with_log(dir, env, stats, [&](RunContext& ctx) {
            StatTable table;
            got = read_statistics_step(ctx, table, "ZUNT End. 0 file areas initialized.");
        });
        const std::string head = line('+', "Begin") + line('*', "Opening statistics file: " + stats);
        if (fail_at == 0) {
            EXPECT_EQ(got, -1);
            EXPECT_EQ(env.err_text, "\xFE Reading statistics...\n  Incompatible/old stat file - creating new one\n");
            EXPECT_EQ(log, head + line('#', "Incompatible/old stat file - creating new one") + kEnd);
        } else {
            EXPECT_EQ(got, 1);
            EXPECT_EQ(env.err_text, "\xFE Reading statistics...\n  Couldn't open stat file: Input/output error\n");
            EXPECT_EQ(log, head + line('!', "Couldn't open stat file " + stats + ", rc=5") +
                               line('+', "End. 0 file areas initialized.") + "\r\n");
        }
    }
}

TEST(StatisticsStep, FailedWriteIsReported) {
    testing::ScratchDir dir("stat_step_w");
    const std::string failed = line('!', "Error writing statistics - stat file was not updated and may be damaged.");
    for (auto logging : {StatWriteLogging::step_and_failure, StatWriteLogging::failure_only}) {
        StepEnv env(0);
        bool got = true;
        const std::string log = with_log(dir, env, dir.path("no/zunt.sta"), [&](RunContext& ctx) {
            StatTable table;
            update_stat_entry(table, "c:\\a.zip", std::string("c:\\a.zip"), StatUpdate::add, 1, 1);
            got = write_statistics_step(ctx, table, logging);
        });
        EXPECT_FALSE(got);
        EXPECT_EQ(env.err_text, "\xFE Writing statistics...\n  Error writing statistics!\n");
        EXPECT_EQ(log, line('+', "Begin") +
                           (logging == StatWriteLogging::failure_only ? "" : line('*', "Writing statistics back to disk")) +
                           failed + kEnd);
    }
}

}  // namespace
}  // namespace zunt
