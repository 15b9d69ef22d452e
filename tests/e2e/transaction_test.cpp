// A run's changes as one transaction: a run stopped after its commit is
// finished by the next one, upload lines that cannot be written are
// reported, and files behind symbolic links into another directory (which a
// rename cannot leave, as between two file systems) are replaced where they
// are.
#include <gtest/gtest.h>

#include "reliability/board_check.h"
#include "support/fault_env.h"

namespace zunt::e2e {
namespace {

namespace fs = std::filesystem;
using namespace zunt::testing;

// The small board after one whole counting run.
Files counted_board() {
    Sandbox box;
    lay_out(box, small_board());
    FaultEnv env(default_env());
    EXPECT_EQ(run_in(box, env, {"/czunt.ctl"}), 0) << env.err_text;
    return snapshot(box, small_board());
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Not one of the run's changes stays half made: a run that cannot finish
// them says so, and the next run finishes them and says that too.
TEST(TransactionE2E, NextRunFinishesTheChangesOfAStoppedRun) {
    Sandbox box;
    const Files board = small_board();
    lay_out(box, board);
    FaultEnv stopped(default_env());
    stopped.renames_fail = true;
    EXPECT_EQ(run_in(box, stopped, {"/czunt.ctl"}), 1);
    EXPECT_TRUE(has(stopped.err_text, "  Couldn't finish the changes of this run: Input/output error\n")) << stopped.err_text;
    EXPECT_EQ(box.read("files/util/files.bbs"), board.at("files/util/files.bbs"));
    EXPECT_TRUE(box.exists("zunt.jnl"));
    const RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(has(r.err, "  Finished the changes of an interrupted run\n")) << r.err;
    EXPECT_TRUE(has(box.read("zunt.log"), "ZUNT Finished the changes of an interrupted run"));
    // Counted once (the log was read before), backed up, each upload once.
    EXPECT_EQ(differences(counted_board(), snapshot(box, board), "", true), "");
    EXPECT_NE(box.read("uploads.log"), "");
    EXPECT_FALSE(box.exists("zunt.jnl"));
}

// Upload lines only inform: a full disk is reported with the upload log's
// name and the system's text, and the run counts and goes on.
TEST(TransactionE2E, UploadLogWriteErrorIsReported) {
    Sandbox box;
    const Files board = small_board();
    lay_out(box, board);
    FaultEnv full(default_env());
    full.full = "uploads.log";
    EXPECT_EQ(run_in(box, full, {"/czunt.ctl"}), 0);
    EXPECT_TRUE(has(full.err_text, "  Error writing upload log file uploads.log: No space left on device\n")) << full.err_text;
    const std::string log = box.read("zunt.log");
    const std::size_t at = log.find("ZUNT Couldn't write upload log file uploads.log: No space left on device");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log[log.rfind('\n', at) + 1], '!') << "level 4";
    EXPECT_EQ(differences(counted_board(), snapshot(box, board), full.err_text, false), "");
    EXPECT_NE(box.read("max.znt"), board.at("max.znt"));
}

// A list, the statistics file and the bulletins reached through symbolic
// links into another directory are replaced behind the links, and the links
// stay.
TEST(TransactionE2E, FilesBehindLinksIntoAnotherDirectory) {
    ZUNT_SKIP_UNDER_WINDOWS("symbolic links");
    Sandbox box;
    const Files board = small_board();
    lay_out(box, board);
    box.write("zunt.ctl", *small_board().at("zunt.ctl") + "textout top.txt\r\nbbsout top.bbs\r\n");
    const char* linked[] = {"files/util/files.bbs", "zunt.sta", "top.txt", "top.bbs"};
    for (const std::string f : linked) {
        box.write("other/" + f, box.exists(f) ? box.read(f) : "old");
        fs::remove(box.path(f));
        fs::create_symlink(box.path("other/" + f), box.path(f));
    }
    FaultEnv env(default_env());
    env.renames_stay_in_directory = true;
    EXPECT_EQ(run_in(box, env, {"/czunt.ctl"}), 0) << env.err_text;
    EXPECT_EQ(run_in(box, env, {"/czunt.ctl", "/s"}), 0) << env.err_text;
    const Files counted = counted_board();
    EXPECT_EQ(box.read("other/files/util/files.bbs"), counted.at("files/util/files.bbs"));
    EXPECT_EQ(box.read("files/util/files.bak"), counted.at("files/util/files.bak"));
    EXPECT_NE(box.read("other/zunt.sta"), board.at("zunt.sta"));
    EXPECT_NE(box.read("other/top.txt"), "old");
    EXPECT_NE(box.read("other/top.bbs"), "old");
    for (const char* f : linked) EXPECT_TRUE(fs::is_symlink(box.path(f))) << f;
}

}  // namespace
}  // namespace zunt::e2e
