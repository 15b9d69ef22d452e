// Whole counting and initialization runs on a small board with the Nth disk
// operation failing, for every N until a run no longer meets a failure.
// Nothing the board keeps may be damaged (board_check.h), and a clean run
// afterwards must succeed and leave what one whole run gives.
#include <gtest/gtest.h>

#include "reliability/board_check.h"
#include "run/driver.h"
#include "support/fault_env.h"

namespace zunt::testing {
namespace {

std::string board(const std::string& message) { return "* 16 Dec 04:59:11 MAX  " + message + "\r\n"; }
std::string sent(const std::string& path) {
    return "+ 16 Dec 06:10:05 [4242] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}

// The files a run may change, as the board starts. max.log was read up to
// its first two lines by an earlier run.
Files initial_board() {
    const std::string counted = board("DL-Z files\\util\\zip.zip") + board("Joe Caller U#=3 logged on");
    const std::string last = "* 16 Dec 04:59:11 MAX  Joe Caller U#=3 logged on";
    StatTable stats;
    update_stat_entry(stats, "files\\util\\zip.zip", std::string("files\\util\\zip.zip"), StatUpdate::set, 4, 1000);
    return {
        {"zunt.ctl", "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
                     "bbslog max.log\r\nmailerlog binkd.log\r\nmailerstring sent:\r\nstatistics zunt.sta\r\n"
                     "uploadlog uploads.log\r\n"},
        {"areas.txt", "Util files\\util\r\nGames files\\games\r\nDocs files\\docs\r\n"},
        {"files/util/files.bbs", "tool.zip [ 3] A handy tool\r\nedit.zip The editor\r\nzip.zip [12] Packer\r\n"},
        {"files/util/files.bak", "tool.zip [ 1] An older tool list\r\n"},
        {"files/games/files.bbs", "chess.zip [ 9] Chess\r\ntetris.zip Blocks\r\n"},
        {"files/games/files.bak", std::nullopt},
        {"files/docs/files.bbs", "faq.txt [ 0] Questions\r\n"},
        {"files/docs/files.bak", std::nullopt},
        {"max.log", counted + board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\games\\chess.zip") +
                        board("UL-Z files\\util\\new.zip") + board("DL-Z files\\util\\edit.zip")},
        {"max.znt", encode_scan_position(ScanPosition{counted.size() - last.size() - 2, last})},
        {"binkd.log", sent("files\\util\\tool.zip") + sent("files\\games\\tetris.zip") + sent("files\\docs\\faq.txt")},
        {"binkd.znt", std::nullopt},
        {"zunt.sta", without_times(encode_statistics(stats))},
        {"uploads.log", std::nullopt},
        {"zunt.jnl", std::nullopt},
    };
}

Files timeless_snapshot(const e2e::Sandbox& box, const Files& like) {
    Files now = snapshot(box, like);
    if (now["zunt.sta"]) now["zunt.sta"] = without_times(*now["zunt.sta"]);
    return now;
}

struct RunOutcome {
    int exit_code;
    bool fired;
    std::string console;
};
// Runs zunt with the sandbox as its current directory.
RunOutcome run_in(const e2e::Sandbox& box, long fail_at, bool init) {
    FaultEnv env(default_env(), fail_at);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(box.dir());
    char argv0[] = "zunt", ctl[] = "/czunt.ctl", i[] = "/i";
    char* argv[] = {argv0, ctl, i};
    const int code = run_zunt(env, init ? 3 : 2, argv);
    std::filesystem::current_path(cwd);
    return {code, env.fired(), env.err_text};
}

// Lists, statistics and the upload log that differ from what one whole run
// gives. Only a list or statistics file that could not be written loses
// counts by design (the run says so, and its logs' positions still move
// on); upload lines that could not be written are given up, said too.
std::string differences(const Files& new_files, const Files& now, const std::string& console) {
    const bool list_lost = console.find("skipped!") != std::string::npos;
    const bool stats_lost = console.find("Error writing statistics") != std::string::npos;
    const bool uploads_lost = console.find("Error writing upload log") != std::string::npos;
    std::string found;
    for (const auto& [name, bytes] : now) {
        const bool may_differ = (name.ends_with(".bbs") && list_lost) ||
                                (name == "zunt.sta" && (list_lost || stats_lost)) ||
                                (name == "uploads.log" && uploads_lost);
        if ((name.ends_with(".bbs") || name == "zunt.sta" || name == "uploads.log") &&
            bytes != new_files.at(name) && !may_differ)
            found += " " + name;
    }
    return found;
}

// Records the number of failure points exercised, and how many of them the
// next run mended into exactly what one whole run leaves.
void inject_every_failure(bool init, long least_points) {
    e2e::Sandbox box;
    const Files old_files = initial_board();
    lay_out(box, old_files);
    RunOutcome clean = run_in(box, 0, init);
    EXPECT_EQ(clean.exit_code, 0) << clean.console;
    const Files new_files = timeless_snapshot(box, old_files);
    EXPECT_NE(new_files.at("files/util/files.bbs"), old_files.at("files/util/files.bbs"));
    EXPECT_NE(new_files.at("zunt.sta"), old_files.at("zunt.sta"));
    long points = 0, exact = 0;
    for (long n = 1;; ++n) {
        lay_out(box, old_files);
        RunOutcome r = run_in(box, n, init);
        if (!r.fired) break;
        ++points;
        SCOPED_TRACE("failing operation " + std::to_string(n) + ", console:\n" + r.console);
        EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 1);
        EXPECT_TRUE(r.exit_code != 1 || r.console.find("\n  ") != std::string::npos) << "a stop says why";
        const Files after = timeless_snapshot(box, old_files);
        EXPECT_EQ(damage(old_files, after, &new_files), "");
        // The next run mends everything: nothing lost, nothing counted twice.
        RunOutcome again = run_in(box, 0, init);
        EXPECT_EQ(again.exit_code, 0) << again.console;
        const Files mended = timeless_snapshot(box, old_files);
        EXPECT_EQ(damage(after, mended, &new_files), "") << "after the next run";
        EXPECT_EQ(differences(new_files, mended, r.console), "");
        exact += differences(new_files, mended, "").empty();
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(points, least_points);
    ::testing::Test::RecordProperty("points", static_cast<int>(points));
    ::testing::Test::RecordProperty("exact", static_cast<int>(exact));
}

TEST(FaultInjection, CountingRun) { inject_every_failure(false, 40); }
TEST(FaultInjection, InitializationRun) { inject_every_failure(true, 30); }

}  // namespace
}  // namespace zunt::testing
