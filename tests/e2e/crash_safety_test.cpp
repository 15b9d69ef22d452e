// The program killed (SIGKILL) at many moments of a counting run and of an
// initialization run on a board of a few hundred lines per list: whatever the
// moment, every list is whole under its own name, every backup is the older
// backup or a whole list, the statistics file is old, new or whole, every
// scan position file is old or new, and the next run succeeds and leaves
// exactly what one uninterrupted run leaves: no count lost or made twice,
// each upload line once.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "reliability/board_check.h"

namespace zunt::e2e {
namespace {

using namespace zunt::testing;
constexpr int kLinesPerList = 300;
constexpr int kKillPoints = 40;

Files large_board() {
    Files f = {{"zunt.ctl", small_board().at("zunt.ctl")}, {"max.znt", std::nullopt}, {"binkd.znt", std::nullopt},
               {"zunt.sta", one_entry_statistics("files\\util\\util0.zip")}, {"uploads.log", std::nullopt},
               {"zunt.jnl", std::nullopt}, {"files/util/files.bak", "old.zip [1] x\r\n"}};
    std::string areas, max_log, binkd_log;
    for (const std::string area : {"util", "games", "docs"}) {
        const std::string dir = "files\\" + area;
        areas += area + " " + dir + "\r\n";
        std::string list = "-- The " + area + " area\r\n";
        for (int i = 0; i < kLinesPerList; ++i) {
            list += area + std::to_string(i) + ".zip" + (i % 3 ? " [ " + std::to_string(i % 7) + "]" : "") +
                    " A file of the board, number " + std::to_string(i) + "\r\n" + (i % 5 ? "" : " that spans two lines\r\n");
            if (i % 2) continue;
            max_log += download(dir + "\\" + area + std::to_string(i) + ".zip");
            if (i % 50 == 0) max_log += download(dir + "\\new" + std::to_string(i) + ".zip", "UL-Z");
            binkd_log += sent(dir + "\\" + area + std::to_string(i * 7 % kLinesPerList) + ".zip");
        }
        f["files/" + area + "/files.bbs"] = list;
        f.emplace("files/" + area + "/files.bak", std::nullopt);
    }
    f["areas.txt"] = areas;
    f["max.log"] = max_log;
    f["binkd.log"] = binkd_log;
    return f;
}

void kill_at_many_moments(const std::vector<std::string>& args) {
    ZUNT_SKIP_UNDER_WINDOWS("kills the program with SIGKILL");
    const bool init = args.size() > 1;
    Sandbox box;
    const Files board = large_board();
    lay_out(box, board);
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(box.run(args).exit_code, 0);
    const auto whole = std::chrono::steady_clock::now() - t0;
    const Files one_run = snapshot(box, board);
    int killed = 0;  // moments that met the run still at work
    for (int k = 0; k < kKillPoints; ++k) {
        SCOPED_TRACE("kill point " + std::to_string(k));
        lay_out(box, board);
        const int code = box.run(args, {}, {"", false, false, [&](pid_t pid) {
                                                std::this_thread::sleep_for(whole * k / kKillPoints);
                                                ::kill(pid, SIGKILL);
                                            }}).exit_code;
        EXPECT_TRUE(code == -1 || code == 0) << code;
        killed += code == -1;
        const Files after = snapshot(box, board);
        EXPECT_EQ(damage(board, after), "");
        EXPECT_EQ(box.run(args).exit_code, 0) << "the run after the kill";
        const Files mended = snapshot(box, board);
        EXPECT_EQ(damage(after, mended), "") << "after the next run";
        // A second /i backs up the list it made, so only a counting run's
        // backups are the same.
        EXPECT_EQ(differences(one_run, mended, "", !init), "") << "against one uninterrupted run";
        if (::testing::Test::HasFailure()) break;
    }
    ::testing::Test::RecordProperty("killed", killed);
}

TEST(CrashSafetyE2E, CountingRunKilledAnywhere) { kill_at_many_moments({"/czunt.ctl"}); }
TEST(CrashSafetyE2E, InitializationRunKilledAnywhere) { kill_at_many_moments({"/czunt.ctl", "/i"}); }

}  // namespace
}  // namespace zunt::e2e
