// Whole counting runs on a small board: the console report, the activity
// log, every FILES.BBS and its backup, and the statistics file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kCtl =
    "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
    "bbslog max.log\r\nmailerlog binkd.log\r\nmailerstring sent:\r\nstatistics zunt.sta\r\n";
const std::string kLongName = "long" + std::string(66, 'x') + ".zip";  // path of 85 characters
const std::string kUtilList = "tool.zip [ 3] A handy tool\r\nedit.zip The editor\r\n" + kLongName +
                              " [ 0] Long\r\nzip.zip [12] Packer\r\n";
const std::string kGamesList = "chess.zip [ 9] Chess\r\ntetris.zip [ 1] Blocks\r\n";
const std::string kDocsList = "faq.txt [ 0] Questions\r\n";

std::string board(const std::string& message) { return "* 16 Dec 04:59:11 MAX  " + message + "\r\n"; }
std::string sent(const std::string& path) {
    return "+ 16 Dec 06:10:05 [4242] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}

void make_board(Sandbox& box, const std::string& ctl_extra = "") {
    box.write("zunt.ctl", kCtl + ctl_extra);
    box.write("areas.txt", "Util files\\util\r\nGames files\\games\r\n");
    box.write("files/util/files.bbs", kUtilList);
    box.write("files/games/files.bbs", kGamesList);
    box.write("files/docs/files.bbs", kDocsList);
    box.make_dir("files/none");
}

// The activity log's lines without their day and time.
std::vector<std::string> log_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        lines.push_back(line.size() > 18 ? line.substr(0, 2) + line.substr(18) : line);
        start = end + 2;
    }
    return lines;
}

// Splits off the End line's rate, checking that it is files / seconds for a
// run of one to ten seconds.
std::string without_rate(std::vector<std::string>& lines, long files) {
    if (lines.size() < 2) return "no End line";
    std::string& end = lines[lines.size() - 2];
    const std::size_t open = end.rfind(" (");
    if (open == std::string::npos || end.substr(end.size() - 9) != " files/s)") return end;
    const long rate = std::stol(end.substr(open + 2));
    bool plausible = false;
    for (long s = 1; s <= 10; ++s) plausible = plausible || rate == files / s;
    end.erase(open);
    return plausible ? "" : "rate " + std::to_string(rate);
}

// A statistics file: the format mark, then each bucket's count and entries
// (name, NUL-filled to 80 bytes, 16-bit count, time 0).
std::string stat_file(const std::vector<std::pair<std::string, int>>& entries) {
    std::vector<std::string> buckets(101);
    std::vector<int> counts(101, 0);
    for (const auto& [name, count] : entries) {
        std::uint16_t sum = 0;
        for (unsigned char c : name) sum = static_cast<std::uint16_t>(sum + c);
        std::string e = name;
        e.resize(80, '\0');
        e += static_cast<char>(count & 0xFF);
        e += static_cast<char>(count >> 8);
        e += std::string(4, '\0');
        buckets[sum % 101] += e;
        ++counts[sum % 101];
    }
    std::string out("\x06\0\0\0", 4);
    for (int b = 0; b < 101; ++b) {
        out += static_cast<char>(counts[b]);
        out += '\0';
        out += buckets[b];
    }
    return out;
}

// The statistics file with every entry's time set to 0.
std::string mask_stat_times(std::string bytes) {
    std::size_t at = 4;
    for (int b = 0; b < 101 && at + 2 <= bytes.size(); ++b) {
        const std::size_t n = static_cast<unsigned char>(bytes[at]) |
                              static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        at += 2;
        for (std::size_t i = 0; i < n && at + 86 <= bytes.size(); ++i, at += 86)
            bytes.replace(at + 82, 4, std::string(4, '\0'));
    }
    return bytes;
}

const std::string kReading = "\xFE Reading config...\n";

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
    EXPECT_EQ(r.err, kReading +
                         "\xFE Reading statistics...\n"
                         "  Couldn't open stat file - creating new one\n"
                         "\xFE Parsing max.log 7 files\n"
                         "\xFE Parsing binkd.log 3 files\n"
                         "\xFE Reading area config\n"
                         "\xFE Scanning FILES.BBS\n"
                         "  Incremented DLC for faq.txt by 1 to 1\n"
                         "  Incremented DLC for chess.zip by 1 to 10\n"
                         "  Incremented DLC for tetris.zip by 1 to 2\n"
                         "  No area for \"x.zip\", skipping file!\n"
                         "  No existing DLC for edit.zip, created new one!\n"
                         "  gone.zip not found in files\\util\\files.bbs, skipped!\n"
                         "  Incremented DLC for " + kLongName + " by 1 to 1\n"
                         "  Incremented DLC for tool.zip by 3 to 6\n"
                         "\xFE Writing statistics...\n"
                         "\xFE Cleaning up, done!\n\n");
    std::vector<std::string> lines = log_lines(box.read("zunt.log"));
    EXPECT_EQ(without_rate(lines, 10), "");
    const std::vector<std::string> want = {
        "+ ZUNT Begin, ZUNT 1.30.wb",
        "* ZUNT Opening statistics file: zunt.sta",
        "# ZUNT Couldn't open stat file - creating new one",
        "* ZUNT Parsing log: max.log",
        "* ZUNT 7 files processed",
        "* ZUNT Parsing log: binkd.log",
        "* ZUNT 3 files processed",
        "* ZUNT Reading area configuration into memory",
        "  ZUNT Preprocessing downloads",
        "* ZUNT Sorting downloads",
        "# ZUNT No FILES.BBS for \"files\\docs\\faq.txt\" in Area.Dat, used FILES.BBS in DL dir",
        "  ZUNT Incremented DLC for faq.txt by 1 to 1",
        "  ZUNT Incremented DLC for chess.zip by 1 to 10",
        "  ZUNT Incremented DLC for tetris.zip by 1 to 2",
        "+ ZUNT No FILES.BBS for \"files\\none\\x.zip\" in Area.Dat or files\\none\\",
        "# ZUNT No existing DLC for edit.zip in files\\util\\files.bbs (created new one)",
        "+ ZUNT File gone.zip not found in files\\util\\files.bbs skipped",
        "+ ZUNT Warning! Maximum file length in stat file is 80 characters",
        "+ \"files\\util\\" + kLongName + "\" not written to stat file.",
        "  ZUNT Incremented DLC for " + kLongName + " by 1 to 1",
        "  ZUNT Incremented DLC for tool.zip by 3 to 6",
        "* ZUNT Writing statistics back to disk",
        "+ ZUNT End. 10 files processed",
        "",
    };
    EXPECT_EQ(lines, want);
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
    const std::string stats = stat_file({{"files\\docs\\faq.txt", 1},
                                         {"files\\games\\chess.zip", 1},
                                         {"files\\games\\tetris.zip", 1},
                                         {"files\\util\\tool.zip", 3}});
    EXPECT_EQ(mask_stat_times(box.read("zunt.sta")), stats);

    // Nothing new: nothing is touched.
    RunResult again = box.run({"/czunt.ctl"});
    EXPECT_EQ(again.exit_code, 0);
    EXPECT_EQ(again.err, kReading + "\xFE Reading statistics...\n"
                                    "\xFE Parsing max.log 0 files\n"
                                    "\xFE Parsing binkd.log 0 files\n"
                                    "\xFE Nothing to do!\n\n");
    EXPECT_EQ(box.read("files/util/files.bbs"), util_after);
    EXPECT_EQ(box.read("files/util/files.bak"), util_before_tool);
    EXPECT_EQ(mask_stat_times(box.read("zunt.sta")), stats);
    lines = log_lines(box.read("zunt.log"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "+ ZUNT End. 0 files processed");

    // A new download adds to the entry that is there.
    box.write("max.log", box.read("max.log") + board("DL-Z files\\util\\tool.zip"));
    RunResult more = box.run({"/czunt.ctl"});
    EXPECT_EQ(more.exit_code, 0);
    EXPECT_NE(more.err.find("  Incremented DLC for tool.zip by 1 to 7\n"), std::string::npos);
    EXPECT_EQ(box.read("files/util/files.bak"), util_after);
    EXPECT_EQ(mask_stat_times(box.read("zunt.sta")),
              stat_file({{"files\\docs\\faq.txt", 1},
                         {"files\\games\\chess.zip", 1},
                         {"files\\games\\tetris.zip", 1},
                         {"files\\util\\tool.zip", 4}}));
}

// With "ns" the downloads keep the logs' order: equal paths apart from each
// other are counted one by one, and the list still ends as after three
// rewrites.
TEST(CountingRunE2E, NoSortCountsSeparatedDownloadsOneByOne) {
    for (bool no_sort : {false, true}) {
        Sandbox box;
        make_board(box);
        box.write("max.log", board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\util\\zip.zip"));
        box.write("binkd.log", sent("files\\util\\tool.zip") + sent("files\\games\\chess.zip") +
                                   sent("files\\util\\tool.zip"));
        std::vector<std::string> args = {"/czunt.ctl"};
        if (no_sort) args.push_back("ns");
        RunResult r = box.run(args);
        EXPECT_EQ(r.exit_code, 0);
        const std::string head = "\xFE Scanning FILES.BBS\n";
        const std::size_t at = r.err.find(head);
        ASSERT_NE(at, std::string::npos);
        const std::string report = r.err.substr(at + head.size());
        if (no_sort) {
            EXPECT_EQ(report, "  Incremented DLC for tool.zip by 1 to 4\n"
                              "  Incremented DLC for zip.zip by 1 to 13\n"
                              "  Incremented DLC for tool.zip by 1 to 5\n"
                              "  Incremented DLC for chess.zip by 1 to 10\n"
                              "  Incremented DLC for tool.zip by 1 to 6\n"
                              "\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
            EXPECT_EQ(box.read("files/util/files.bak"),
                      "tool.zip [ 5] A handy tool\r\nedit.zip The editor\r\n" + kLongName +
                          " [ 0] Long\r\nzip.zip [13] Packer\r\n");
            const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "* ZUNT Sorting downloads"), 0);
        } else {
            EXPECT_EQ(report, "  Incremented DLC for chess.zip by 1 to 10\n"
                              "  Incremented DLC for tool.zip by 3 to 6\n"
                              "  Incremented DLC for zip.zip by 1 to 13\n"
                              "\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
            EXPECT_EQ(box.read("files/util/files.bak"),
                      "tool.zip [ 6] A handy tool\r\nedit.zip The editor\r\n" + kLongName +
                          " [ 0] Long\r\nzip.zip [12] Packer\r\n");
        }
        EXPECT_EQ(box.read("files/util/files.bbs"),
                  "tool.zip [ 6] A handy tool\r\nedit.zip The editor\r\n" + kLongName +
                      " [ 0] Long\r\nzip.zip [13] Packer\r\n");
        EXPECT_EQ(mask_stat_times(box.read("zunt.sta")),
                  stat_file({{"files\\games\\chess.zip", 1},
                             {"files\\util\\tool.zip", 3},
                             {"files\\util\\zip.zip", 1}}))
            << no_sort;
    }
}

TEST(CountingRunE2E, TicCompanions) {
    struct Case {
        const char* settings;
        const char* report;
    };
    const Case cases[] = {
        {"", "  Incremented DLC for chess.zip by 1 to 10\n"
             "  Incremented DLC for tool.zip by 1 to 4\n"
             "  Incremented DLC for zip.zip by 1 to 13\n"},
        // The file before a .tic travelled with it.
        {"ignoretic yes\r\n", "  Incremented DLC for tool.zip by 1 to 4\n"
                              "  Incremented DLC for zip.zip by 1 to 13\n"},
        // The file after a .tic travelled with it.
        {"ignoretic yes\r\nticfile before\r\n", "  Incremented DLC for chess.zip by 1 to 10\n"
                                                "  Incremented DLC for zip.zip by 1 to 13\n"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        make_board(box, c.settings);
        box.write("max.log", "");
        box.write("binkd.log", sent("files\\in\\x.tic") + sent("files\\util\\tool.zip") +
                                   sent("files\\util\\zip.zip") + sent("files\\games\\chess.zip") +
                                   sent("files\\in\\chess.tic"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_NE(r.err.find("\xFE Parsing binkd.log 3 files\n\xFE Reading area config\n"
                             "\xFE Scanning FILES.BBS\n" + std::string(c.report) +
                             "\xFE Writing statistics...\n"),
                  std::string::npos)
            << c.settings << r.err;
    }
}

// Debug lines: the node count reports the control file's lists and the
// downloads still held; every statistics bucket is listed.
TEST(CountingRunE2E, DebugLines) {
    Sandbox box;
    make_board(box, "debug yes\r\n");
    box.write("max.log", board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\in\\a.tic"));
    box.write("binkd.log", sent("files\\util\\tool.zip"));
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    std::vector<std::string> lines = log_lines(box.read("zunt.log"));
    EXPECT_EQ(without_rate(lines, 2), "");
    // Two logs and two download tokens, then the downloads of each log.
    const std::vector<std::string> counts = {
        "? ZUNT [Debug] There are currently 6 dynamic list elements",
        "? ZUNT [Debug] There are currently 7 dynamic list elements",
    };
    auto at = std::search(lines.begin(), lines.end(), counts.begin(), counts.begin() + 1);
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at + 3), counts[1]);
    ASSERT_GE(lines.size(), 106u);
    const std::vector<std::string> tail(lines.end() - 6, lines.end());
    const std::vector<std::string> want_tail = {
        "? ZUNT [Debug] Bucket 100 is filled with 0 elements",
        "* ZUNT Writing statistics back to disk",
        "? ZUNT [Debug] Deallocating used memory",
        "? ZUNT [Debug] There are currently 4 dynamic list elements",
        "+ ZUNT End. 2 files processed",
        "",
    };
    EXPECT_EQ(tail, want_tail);
}

std::string sample_board_file(const std::string& name) {
    std::ifstream in(std::string(ZUNT_FIXTURES_DIR) + "/../../examples/board/max/" + name,
                     std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Found in maxfiles.idx under another extension: everything after the lookup
// names the file as the area lists it, but the line that says where the list
// was found names the download.
TEST(CountingRunE2E, RelaxedIndexMatchUsesTheListedExtension) {
    Sandbox box;
    make_board(box);
    box.write("zunt.ctl", "farea max\\farea.dat\r\nmaxfilesidx max\\maxfiles.idx\r\n"
                          "relaxedindexmatch yes\r\ncounterstyle 1\r\ncounterlength 2\r\n"
                          "logfile zunt.log\r\nbbslog max.log\r\nstatistics zunt.sta\r\n");
    for (const char* name : {"farea.dat", "farea.idx", "maxfiles.idx"})
        box.write(std::string("max/") + name, sample_board_file(name));
    box.write("max.log", board("DL-Z files\\elsewhere\\tool.arj"));
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.err.find("\xFE Scanning FILES.BBS\n  Incremented DLC for tool.zip by 1 to 4\n"),
              std::string::npos)
        << r.err;
    const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
    const std::vector<std::string> want = {
        "# ZUNT No FILES.BBS for \"files\\elsewhere\\tool.arj\" in Area.Dat or DL dir, used Maxfiles.Idx",
        "  ZUNT Incremented DLC for tool.zip by 1 to 4",
    };
    EXPECT_NE(std::search(lines.begin(), lines.end(), want.begin(), want.end()), lines.end());
    EXPECT_EQ(mask_stat_times(box.read("zunt.sta")), stat_file({{"files\\elsewhere\\tool.zip", 1}}));
}

// A stop while the areas load commits nothing: the next run counts the
// same downloads.
TEST(CountingRunE2E, AreaFailureLeavesTheLogsForTheNextRun) {
    Sandbox box;
    make_board(box);
    box.write("areas.txt", "Util files\\util\r\nBroken\r\n");
    box.write("max.log", board("DL-Z files\\util\\tool.zip"));
    box.write("binkd.log", "");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_FALSE(box.exists("max.znt"));
    EXPECT_FALSE(box.exists("zunt.sta"));
    EXPECT_EQ(box.read("files/util/files.bbs"), kUtilList);

    box.write("areas.txt", "Util files\\util\r\n");
    RunResult fixed = box.run({"/czunt.ctl"});
    EXPECT_EQ(fixed.exit_code, 0);
    EXPECT_NE(fixed.err.find("  Incremented DLC for tool.zip by 1 to 4\n"), std::string::npos);
    EXPECT_TRUE(box.exists("max.znt"));
}

}  // namespace
}  // namespace zunt::e2e
