// Whole counting runs: the console report, the activity log, every
// FILES.BBS and its backup, the statistics file and the position files. Which
// log lines are downloads and where a log is read from next time are the log
// scanner's unit tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <utility>

#include "e2e/e2e_util.h"
#include "stats/stat_table.h"

namespace zunt::e2e {
namespace {

const std::string kReading = "\xFE Reading config...\n";
const std::string kCtl =
    "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
    "bbslog max.log\r\nmailerlog binkd.log\r\nmailerstring sent:\r\nstatistics zunt.sta\r\n";
// No areas: the logs alone.
const std::string kLogCtl =
    "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\nmailerstring sent:\r\n";
const std::string kLongName = "long" + std::string(66, 'x') + ".zip";  // path of 85 characters
const std::string kUtilList = "tool.zip [ 3] A handy tool\r\nedit.zip The editor\r\n" + kLongName +
                              " [ 0] Long\r\nzip.zip [12] Packer\r\n";
const std::string kDocsList = "faq.txt [ 0] Questions\r\n";

std::string board(const std::string& message) { return "* 16 Dec 04:59:11 MAX  " + message + "\r\n"; }
std::string sent(const std::string& path) {
    return "+ 16 Dec 06:10:05 [4242] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}

void make_board(Sandbox& box, const std::string& ctl_extra = "") {
    box.write("zunt.ctl", kCtl + ctl_extra);
    box.write("areas.txt", "Util files\\util\r\nGames files\\games\r\n");
    box.write("files/util/files.bbs", kUtilList);
    box.write("files/games/files.bbs", "chess.zip [ 9] Chess\r\ntetris.zip [ 1] Blocks\r\n");
    box.write("files/docs/files.bbs", kDocsList);
    box.make_dir("files/none");
}

// The activity log's lines without day, time and the End line's rate.
std::vector<std::string> log_lines(const Sandbox& box) {
    std::string log = std::regex_replace(box.read("zunt.log"),
                                         std::regex("(^|\n)(.) [ 0-9]\\d \\w{3} \\d\\d:\\d\\d:\\d\\d "), "$1$2 ");
    log = std::regex_replace(log, std::regex(" \\(\\d+ files/s\\)\r"), "\r");
    std::vector<std::string> lines;
    for (std::size_t at = 0, end = 0; at < log.size(); at = end + 2) {
        end = std::min(log.find("\r\n", at), log.size());
        lines.push_back(log.substr(at, end - at));
    }
    return lines;
}

// The console lines after "Scanning FILES.BBS".
std::string pass_report(const std::string& err) {
    const std::string head = "\xFE Scanning FILES.BBS\n";
    const std::size_t at = err.find(head);
    return at == std::string::npos ? "no pass: " + err : err.substr(at + head.size());
}

using Counts = StatCounts;

TEST(CountingRunE2E, WholeRunThenNothingThenMore) {
    Sandbox box;
    make_board(box);
    box.write("max.log", board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\games\\chess.zip") +
                             board("DL-Z files\\util\\edit.zip") + board("DL-Z files\\none\\x.zip") +
                             board("DL-Z files\\util\\gone.zip") + board("DL-Z files\\docs\\faq.txt") +
                             board("DL-Z files\\util\\" + kLongName));
    box.write("binkd.log", sent("files\\util\\tool.zip") + sent("files\\games\\tetris.zip") +
                               sent("files\\games\\tetris.tic") + sent("files\\util\\tool.zip"));
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, kReading + "\xFE Reading statistics...\n  Couldn't open stat file - creating new one\n"
                     "\xFE Parsing max.log 7 files\n\xFE Parsing binkd.log 3 files\n\xFE Reading area config\n"
                     "\xFE Scanning FILES.BBS\n  Incremented DLC for faq.txt by 1 to 1\n"
                     "  Incremented DLC for chess.zip by 1 to 10\n  Incremented DLC for tetris.zip by 1 to 2\n"
                     "  No area for \"x.zip\", skipping file!\n  No existing DLC for edit.zip, created new one!\n"
                     "  gone.zip not found in files\\util\\files.bbs, skipped!\n"
                     "  Incremented DLC for " + kLongName + " by 1 to 1\n  Incremented DLC for tool.zip by 3 to 6\n"
                     "\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
    // The rate is files per second of a run of one to ten seconds.
    EXPECT_TRUE(std::regex_search(box.read("zunt.log"),
                                  std::regex("End\\. 10 files processed \\((10|5|3|2|1) files/s\\)\r\n")));
    const std::vector<std::string> want = {
        "+ ZUNT Begin, ZUNT 1.30.wb", "* ZUNT Opening statistics file: zunt.sta",
        "# ZUNT Couldn't open stat file - creating new one", "* ZUNT Parsing log: max.log",
        "* ZUNT 7 files processed", "* ZUNT Parsing log: binkd.log", "* ZUNT 3 files processed",
        "* ZUNT Reading area configuration into memory", "  ZUNT Preprocessing downloads",
        "* ZUNT Sorting downloads",
        "# ZUNT No FILES.BBS for \"files\\docs\\faq.txt\" in Area.Dat, used FILES.BBS in DL dir",
        "  ZUNT Incremented DLC for faq.txt by 1 to 1", "  ZUNT Incremented DLC for chess.zip by 1 to 10",
        "  ZUNT Incremented DLC for tetris.zip by 1 to 2",
        "+ ZUNT No FILES.BBS for \"files\\none\\x.zip\" in Area.Dat or files\\none\\",
        "# ZUNT No existing DLC for edit.zip in files\\util\\files.bbs (created new one)",
        "+ ZUNT File gone.zip not found in files\\util\\files.bbs skipped",
        "+ ZUNT Warning! Maximum file length in stat file is 80 characters",
        "+ \"files\\util\\" + kLongName + "\" not written to stat file.",
        "  ZUNT Incremented DLC for " + kLongName + " by 1 to 1",
        "  ZUNT Incremented DLC for tool.zip by 3 to 6", "* ZUNT Writing statistics back to disk",
        "+ ZUNT End. 10 files processed", "",
    };
    EXPECT_EQ(log_lines(box), want);
    // The util list was written once for four files; its backup holds it as
    // it stood before the last of them.
    const std::string util_before_tool = "tool.zip [ 3] A handy tool\r\nedit.zip      [ 1] The editor\r\n" +
                                         kLongName + " [ 1] Long\r\nzip.zip [12] Packer\r\n";
    const std::string util_after = "tool.zip [ 6] A handy tool\r\nedit.zip      [ 1] The editor\r\n" +
                                   kLongName + " [ 1] Long\r\nzip.zip [12] Packer\r\n";
    EXPECT_EQ(box.read("files/util/files.bbs"), util_after);
    EXPECT_EQ(box.read("files/util/files.bak"), util_before_tool);
    EXPECT_EQ(box.read("files/games/files.bbs"), "chess.zip [10] Chess\r\ntetris.zip [ 2] Blocks\r\n");
    EXPECT_EQ(box.read("files/games/files.bak"), "chess.zip [10] Chess\r\ntetris.zip [ 1] Blocks\r\n");
    EXPECT_EQ(box.read("files/docs/files.bbs"), "faq.txt [ 1] Questions\r\n");
    EXPECT_EQ(box.read("files/docs/files.bak"), kDocsList);
    EXPECT_FALSE(box.exists("files/none/files.bbs"));
    Counts stats = {{"files\\docs\\faq.txt", 1}, {"files\\games\\chess.zip", 1},
                    {"files\\games\\tetris.zip", 1}, {"files\\util\\tool.zip", 3}};
    EXPECT_EQ(stat_counts(box.read("zunt.sta")), stats);

    // Nothing new: nothing is touched.
    RunResult again = box.run({"/czunt.ctl"});
    EXPECT_EQ(again.exit_code, 0);
    EXPECT_EQ(again.err, kReading + "\xFE Reading statistics...\n\xFE Parsing max.log 0 files\n"
                                    "\xFE Parsing binkd.log 0 files\n\xFE Nothing to do!\n\n");
    EXPECT_EQ(box.read("files/util/files.bbs"), util_after);
    EXPECT_EQ(box.read("files/util/files.bak"), util_before_tool);
    EXPECT_EQ(stat_counts(box.read("zunt.sta")), stats);

    // A new download adds to the entry that is there.
    box.write("max.log", box.read("max.log") + board("DL-Z files\\util\\tool.zip"));
    EXPECT_NE(box.run({"/czunt.ctl"}).err.find("  Incremented DLC for tool.zip by 1 to 7\n"), std::string::npos);
    EXPECT_EQ(box.read("files/util/files.bak"), util_after);
    stats.back().second = 4;
    EXPECT_EQ(stat_counts(box.read("zunt.sta")), stats);
}

// With "ns" the downloads keep the logs' order: equal paths apart from each
// other are counted one by one, and the list still ends as after three
// rewrites.
TEST(CountingRunE2E, NoSortCountsSeparatedDownloadsOneByOne) {
    Sandbox box;
    make_board(box);
    box.write("max.log", board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\util\\zip.zip"));
    box.write("binkd.log", sent("files\\util\\tool.zip") + sent("files\\games\\chess.zip") +
                               sent("files\\util\\tool.zip"));
    RunResult r = box.run({"/czunt.ctl", "ns"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(pass_report(r.err),
              "  Incremented DLC for tool.zip by 1 to 4\n  Incremented DLC for zip.zip by 1 to 13\n"
              "  Incremented DLC for tool.zip by 1 to 5\n  Incremented DLC for chess.zip by 1 to 10\n"
              "  Incremented DLC for tool.zip by 1 to 6\n\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
    const std::string rest = "edit.zip The editor\r\n" + kLongName + " [ 0] Long\r\nzip.zip [13] Packer\r\n";
    EXPECT_EQ(box.read("files/util/files.bak"), "tool.zip [ 5] A handy tool\r\n" + rest);
    EXPECT_EQ(box.read("files/util/files.bbs"), "tool.zip [ 6] A handy tool\r\n" + rest);
    EXPECT_EQ(std::ranges::count(log_lines(box), "* ZUNT Sorting downloads"), 0);
    const Counts want = {
        {"files\\games\\chess.zip", 1}, {"files\\util\\tool.zip", 3}, {"files\\util\\zip.zip", 1}};
    EXPECT_EQ(stat_counts(box.read("zunt.sta")), want);
}

// A pass whose list ends up empty (every download travelled with a .tic
// file; which ones do is the pass's unit test) still reports its steps, and
// changes nothing.
TEST(CountingRunE2E, EmptyPassAfterTicCompanions) {
    Sandbox box;
    make_util_board(box, "a.zip [ 1] A\r\n", "ignoretic yes\r\n");
    box.write("max.log", board("DL-Z files\\util\\a.zip") + board("DL-Z files\\in\\a.tic"));
    EXPECT_EQ(box.run({"/czunt.ctl"}).err, kReading + "\xFE Parsing max.log 1 files\n\xFE Reading area config\n"
                                                      "\xFE Scanning FILES.BBS\n\xFE Cleaning up, done!\n\n");
    EXPECT_EQ(box.read("files/util/files.bbs"), "a.zip [ 1] A\r\n");
    EXPECT_FALSE(box.exists("files/util/files.bak"));
    EXPECT_EQ(log_lines(box).end()[-2], "+ ZUNT End. 1 files processed");
}

// Debug lines: every statistics bucket is listed, and the node count of the
// control file's lists once the downloads are gone.
TEST(CountingRunE2E, DebugLines) {
    Sandbox box;
    make_board(box, "debug yes\r\n");
    box.write("max.log", board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\in\\a.tic"));
    box.write("binkd.log", sent("files\\util\\tool.zip"));
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    const std::vector<std::string> lines = log_lines(box);
    auto bucket_line = [](const std::string& l) { return l.find("[Debug] Bucket ") != std::string::npos; };
    EXPECT_EQ(std::ranges::count_if(lines, bucket_line), 101);
    const std::vector<std::string> want_tail = {
        "? ZUNT [Debug] Bucket 100 is filled with 0 elements", "* ZUNT Writing statistics back to disk",
        "? ZUNT [Debug] Deallocating used memory", "? ZUNT [Debug] There are currently 4 dynamic list elements",
        "+ ZUNT End. 2 files processed", ""};
    EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()), want_tail);
}

// A stop while the areas load commits nothing: the next run counts the
// same downloads.
TEST(CountingRunE2E, AreaFailureLeavesTheLogsForTheNextRun) {
    Sandbox box;
    make_board(box);
    box.write("areas.txt", "Util files\\util\r\nBroken\r\n");
    box.write("max.log", board("DL-Z files\\util\\tool.zip"));
    box.write("binkd.log", "");
    EXPECT_EQ(box.run({"/czunt.ctl"}).exit_code, 1);
    EXPECT_FALSE(box.exists("max.znt"));
    EXPECT_FALSE(box.exists("zunt.sta"));
    EXPECT_EQ(box.read("files/util/files.bbs"), kUtilList);

    box.write("areas.txt", "Util files\\util\r\n");
    EXPECT_NE(box.run({"/czunt.ctl"}).err.find("  Incremented DLC for tool.zip by 1 to 4\n"), std::string::npos);
    EXPECT_TRUE(box.exists("max.znt"));
}

// Logs that give nothing, and one that has the position files' extension.
TEST(CountingRunE2E, NothingToDo) {
    Sandbox box;
    box.write("zunt.ctl", kLogCtl + "bbslog missing.log\r\nmailerlog empty.log\r\nbbslog tics.log\r\n"
                                    "mailerlog odd.znt\r\ndebug yes\r\n");
    box.write("odd.znt", board("DL-Z d:\\files\\a.zip"));
    box.write("empty.log", "");
    box.write("tics.log", board("DL-Z d:\\in\\a1b2.tic") + "\x1a");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, kReading + "\xFE Parsing missing.log unable to open, skipped\n"
                                "\xFE Parsing empty.log 0 files\n\xFE Parsing tics.log 0 files\n"
                                "\xFE Parsing odd.znt has the scan position file extension .znt, skipped\n"
                                "\xFE Nothing to do!\n\n");
    const std::vector<std::string> want = {
        "+ ZUNT Begin, ZUNT 1.30.wb", "* ZUNT Parsing log: missing.log",
        "! ZUNT Couldn't open missing.log, rc=2", "* ZUNT Parsing log: empty.log", "* ZUNT 0 files processed",
        // The control file's lists count too: four logs and two tokens.
        "? ZUNT [Debug] There are currently 6 dynamic list elements", "* ZUNT Parsing log: tics.log",
        "* ZUNT 0 files processed", "? ZUNT [Debug] There are currently 7 dynamic list elements",
        "* ZUNT Parsing log: odd.znt", "! ZUNT Log odd.znt has the scan position file extension .znt, skipped",
        "? ZUNT [Debug] There are currently 7 dynamic list elements", "+ ZUNT End. 0 files processed", "",
    };
    EXPECT_EQ(log_lines(box), want);
    EXPECT_FALSE(box.exists("missing.znt"));
    EXPECT_EQ(box.read("empty.znt"), std::string("\0\0\0\0\x10\0\0\0CaNnOtbEmAtChEd!", 24));
    EXPECT_EQ(box.read("tics.znt").substr(8), board("DL-Z d:\\in\\a1b2.tic").substr(0, 42));
    EXPECT_EQ(box.read("odd.znt"), board("DL-Z d:\\files\\a.zip"));
}

TEST(CountingRunE2E, UploadsAreCopiedOnceAtTheCommit) {
    Sandbox box;
    box.write("zunt.ctl", kLogCtl + "bbslog max.log\r\nuploadlog uploads.log\r\n");
    box.write("max.log", board("John Doe U#=12 logged on") + board("UL-Z d:\\upload\\new.zip"));
    for (int run = 0; run < 2; ++run) {
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.err, kReading + "\xFE Parsing max.log 0 files\n\xFE Nothing to do!\n\n");
    }
    EXPECT_EQ(box.read("uploads.log"), "16 Dec 04:59:11 UL: d:\\upload\\new.zip (by John Doe)\r\n");
}

// A list reached through a symbolic link is rewritten behind the link, and
// its backup is a file of its own holding the list as it stood: a backup
// that were a second name of the link would show the new list.
TEST(CountingRunE2E, ListBehindASymbolicLinkKeepsARealBackup) {
    ZUNT_SKIP_UNDER_WINDOWS("symbolic links are a POSIX convention here");
    Sandbox box;
    make_board(box);
    box.write("real/util.bbs", kUtilList);
    std::filesystem::remove(box.path("files/util/files.bbs"));
    std::filesystem::create_symlink(box.path("real/util.bbs"), box.path("files/util/files.bbs"));
    std::string before = kUtilList;
    for (const std::string& line : {board("DL-Z files\\util\\tool.zip"), board("DL-Z files\\util\\zip.zip")}) {
        box.write("max.log", box.read("max.log") + line);
        RunResult r = box.run({"/czunt.ctl"});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_TRUE(std::filesystem::is_symlink(box.path("files/util/files.bbs")));
        EXPECT_FALSE(std::filesystem::is_symlink(box.path("files/util/files.bak")));
        EXPECT_EQ(box.read("files/util/files.bak"), before);
        EXPECT_NE(box.read("real/util.bbs"), before);
        before = box.read("real/util.bbs");
    }
    EXPECT_EQ(box.read("real/util.bbs").substr(0, 28), "tool.zip [ 4] A handy tool\r\n");
    RunResult r = box.run({"/czunt.ctl", "/i"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_FALSE(std::filesystem::is_symlink(box.path("files/util/files.bak")));
    EXPECT_EQ(box.read("files/util/files.bak"), before);
}

}  // namespace
}  // namespace zunt::e2e
