#include "run/statistics_step.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// The real file system at 6 Dec, 04:59:11, failing its Nth operation.
class StepEnv : public testing::FaultEnv {
public:
    explicit StepEnv(long fail_at) : FaultEnv(default_env(), fail_at) {}
    LocalTime local_time(std::int64_t) override { return {2026, 12, 6, 4, 59, 11}; }
};

class StatisticsStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zunt_step_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        stats_ = (dir_ / "zunt.sta").string();
        log_ = (dir_ / "zunt.log").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string log_text() {
        std::ifstream in(log_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // A context whose log is open (the log's open is the env's operation 1).
    void start(RunContext& ctx, const std::string& stats_path) {
        ctx.settings.statistics_path = stats_path;
        ASSERT_EQ(ctx.log.open(ctx.env, log_, "ZUNT Begin", false), 0);
    }
    fs::path dir_;
    std::string stats_, log_;
};

const std::string kHead = "+  6 Dec 04:59:11 ZUNT Begin\r\n";
std::string line(char level, const std::string& msg) { return std::string(1, level) + "  6 Dec 04:59:11 " + msg + "\r\n"; }

TEST_F(StatisticsStepTest, ReadStepGoesOnOrStops) {
    struct Case {
        const char* what;
        std::string file;  // statistics file bytes; "-" for none
        long fail_at;
        int want;
        std::string console, log;
    } cases[] = {
        {"read", std::string("\x06\0\0\0", 4) + std::string(202, '\0'), 0, -1, "", ""},
        {"missing", "-", 0, -1, "  Couldn't open stat file - creating new one\n",
         line('#', "ZUNT Couldn't open stat file - creating new one")},
        {"other format", std::string("\x07\0\0\0", 4), 0, -1, "  Incompatible/old stat file - creating new one\n",
         line('#', "ZUNT Incompatible/old stat file - creating new one")},
        {"exists but cannot be opened", "x", 2, 1, "  Couldn't open stat file: Input/output error\n",
         line('!', "ZUNT Couldn't open stat file " + stats_ + ", rc=5") +
             line('+', "ZUNT End. 0 file areas initialized.") + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(stats_);
        fs::remove(log_);
        if (c.file != "-") std::ofstream(stats_, std::ios::binary) << c.file;
        StepEnv env(c.fail_at);
        RunContext ctx(env);
        start(ctx, stats_);
        StatTable table;
        EXPECT_EQ(read_statistics_step(ctx, table, "ZUNT End. 0 file areas initialized."), c.want);
        EXPECT_EQ(env.err_text, "\xFE Reading statistics...\n" + c.console);
        const bool went_on = ctx.log.is_open();  // a stop has closed it with its End line
        EXPECT_EQ(went_on, c.want < 0);
        if (went_on) ctx.log.close("ZUNT End.");
        EXPECT_EQ(log_text(), kHead + line('*', "ZUNT Opening statistics file: " + stats_) + c.log +
                                  (went_on ? line('+', "ZUNT End.") + "\r\n" : ""));
    }
}

TEST_F(StatisticsStepTest, WriteStepReportsAFailedWrite) {
    struct Case {
        const char* what;
        std::string path;
        StatWriteLogging logging;
        bool want;
        std::string console, log;
    } cases[] = {
        {"written", stats_, StatWriteLogging::step_and_failure, true, "",
         line('*', "ZUNT Writing statistics back to disk")},
        {"failed, counting run", (dir_ / "no" / "zunt.sta").string(), StatWriteLogging::step_and_failure, false,
         "  Error writing statistics!\n",
         line('*', "ZUNT Writing statistics back to disk") +
             line('!', "ZUNT Error writing statistics - stat file was not updated and may be damaged.")},
        {"failed, initialization run", (dir_ / "no" / "zunt.sta").string(), StatWriteLogging::failure_only,
         false, "  Error writing statistics!\n",
         line('!', "ZUNT Error writing statistics - stat file was not updated and may be damaged.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(log_);
        StepEnv env(0);
        RunContext ctx(env);
        start(ctx, c.path);
        StatTable table;
        update_stat_entry(table, "c:\\a.zip", StatUpdate::add, 1, 1);
        EXPECT_EQ(write_statistics_step(ctx, table, c.logging), c.want);
        EXPECT_EQ(env.err_text, "\xFE Writing statistics...\n" + c.console);
        ctx.log.close("ZUNT End.");
        EXPECT_EQ(log_text(), kHead + c.log + line('+', "ZUNT End.") + "\r\n");
    }
    EXPECT_EQ(fs::file_size(stats_), 206u + 86u);
}

}  // namespace
}  // namespace zunt
