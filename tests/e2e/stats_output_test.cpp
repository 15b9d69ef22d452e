// The Top Files bulletins (/s) compared with boxes drawn column by column
// here, their stops, and the statistics file as a counting run leaves it.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <regex>
#include <utility>
#include <vector>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kCtl = "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n";
const std::string kAllSet = "statistics zunt.sta\r\ntextout top.txt\r\nbbsout top.bbs\r\n";

std::string le(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i, v >>= 8) s += static_cast<char>(v & 0xFF);
    return s;
}

int bucket_of(const std::string& name) {
    std::uint16_t sum = 0;
    for (unsigned char c : name) sum = static_cast<std::uint16_t>(sum + c);
    return sum % 101;
}

// A statistics file: the mark 6, then per bucket its count and its entries
// (name NUL-filled to 80 bytes, 16-bit count, 32-bit time).
std::string stat_file(const std::vector<std::pair<std::string, unsigned>>& entries) {
    std::vector<std::string> buckets(101);
    std::vector<unsigned> counts(101, 0);
    for (const auto& [name, count] : entries) {
        std::string e = name;
        e.resize(80, '\0');
        buckets[bucket_of(name)] += e + le(count, 2) + le(1000, 4);
        ++counts[bucket_of(name)];
    }
    std::string out = le(6, 4);
    for (int b = 0; b < 101; ++b) out += le(counts[b], 2) + buckets[b];
    return out;
}

std::string log_without_times(const std::string& log) {
    return std::regex_replace(log, std::regex("(^|\n)(.) [ 0-9]\\d \\w{3} \\d\\d:\\d\\d:\\d\\d "), "$1$2 ");
}

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
std::string colour(char c) { return std::string("\x16\x01\x10", 3) + c; }
const std::string kTop = " \xC9" + std::string(76, '\xCD') + "\xBB\r\n";
const std::string kTee = " \xCC" + std::string(76, '\xCD') + "\xB9\r\n";
const std::string kBottom = " \xC8" + std::string(76, '\xCD') + "\xBC\r\n\r\n";
const std::string kEmpty = " \xBA" + sp(76) + "\xBA\r\n";
const std::string kWords = "Rank" + sp(16) + "File" + sp(16) + "Downloads";
const std::string kRules = "\xC4\xC4\xC4\xC4" + sp(16) + "\xC4\xC4\xC4\xC4" + sp(16) + std::string(9, '\xC4');

struct Row {
    std::string rank, name, text_count, board_count;  // already padded
};

std::string text_bulletin(const std::string& title74, const std::vector<Row>& rows) {
    std::string s = kTop + " \xBA " + title74 + " \xBA\r\n" + kTee + kEmpty;
    s += " \xBA" + sp(11) + kWords + sp(16) + "\xBA\r\n";
    s += " \xBA" + sp(11) + kRules + sp(16) + "\xBA\r\n" + kEmpty;
    for (const Row& r : rows)
        s += " \xBA" + sp(11) + r.rank + sp(16) + r.name + sp(8) + r.text_count + sp(19) + "\xBA\r\n";
    return s + kBottom;
}

std::string board_bulletin(const std::string& title74, const std::vector<Row>& rows) {
    const std::string frame = colour('\x81');
    std::string s = "\x0C" + frame + kTop;
    s += " \xBA " + colour('\x8E') + title74 + frame + " \xBA\r\n" + kTee + kEmpty;
    s += " \xBA" + sp(10) + colour('\x8F') + " " + kWords + frame + sp(16) + "\xBA\r\n";
    s += " \xBA" + sp(10) + colour('\x8F') + " " + kRules + frame + sp(16) + "\xBA\r\n" + kEmpty;
    for (const Row& r : rows)
        s += " \xBA" + sp(11) + colour('\x8A') + r.rank + sp(15) + colour('\x8E') + " " + r.name + sp(9) +
             colour('\x8D') + r.board_count + frame + sp(20) + "\xBA\r\n";
    s += kTee + " \xBA" + colour('\x87') + sp(28) + "Created by ZUNT 1.30" + sp(28) + frame + "\xBA\r\n";
    return s + kBottom;
}

TEST(StatsOutputE2E, BulletinsColumnByColumn) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + kAllSet + "systemname My Board\r\ntop 3\r\nexcludefromlist skip.lst\r\n");
    box.write("skip.lst", "*.me\r\n\r\n");
    const std::string stats = stat_file({{"c:\\files\\util\\tool.zip", 12345},
                                         {"files\\excl\\skip.me", 500},
                                         {"d:/x/abc.lzh", 7},
                                         {"noext", 3},
                                         {"c:\\a\\x.arc", 2}});
    box.write("zunt.sta", stats);
    RunResult r = box.run({"/czunt.ctl", "/s"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err,
              "\xFE Reading config...\n\xFE Creating statistics output\n\xFE Reading statistics...\n"
              "\xFE Sorting downloads...\n\xFE Writing output files...\n\xFE Cleaning up, done!\n\n");
    // 25 characters of title: 24 blanks before it, 25 after.
    const std::string title = sp(24) + "The Top Files at My Board" + sp(25);
    const std::vector<Row> rows = {
        {"  1.", "TOOL.ZIP     ", "12345", "12345"},
        {"  2.", "ABC.LZH      ", "    7", "  7"},
        {"  3.", "NOEXT        ", "    3", "  3"},
    };
    EXPECT_EQ(box.read("top.txt"), text_bulletin(title, rows));
    EXPECT_EQ(box.read("top.bbs"), board_bulletin(title, rows));
    EXPECT_EQ(log_without_times(box.read("zunt.log")),
              crlf("+ ZUNT Begin, ZUNT 1.30.wb\n* ZUNT Creating statistics output...\n+ ZUNT End.\n\n"));
    EXPECT_EQ(box.read("zunt.sta"), stats);  // only read

    // Empty statistics, and no system name.
    box.write("zunt.ctl", kCtl + kAllSet);
    box.write("zunt.sta", stat_file({}));
    EXPECT_EQ(box.run({"/czunt.ctl", "/s"}).exit_code, 0);
    const std::string unnamed = sp(16) + "The Top Files at !Systemname not defined!" + sp(17);
    EXPECT_EQ(box.read("top.txt"), text_bulletin(unnamed, {}));
    EXPECT_EQ(box.read("top.bbs"), board_bulletin(unnamed, {}));
}

TEST(StatsOutputE2E, FailuresStopWithTheirMessages) {
    const std::string two = stat_file({{"e", 3}, {"f", 40}});
    const std::string reading = "\xFE Creating statistics output\n\xFE Reading statistics...\n";
    const std::string writing = reading + "\xFE Sorting downloads...\n\xFE Writing output files...\n";
    const struct {
        std::string settings;
        std::string stats;  // written as zunt.sta when not empty
        std::string err;    // standard error after "Reading config..."
        std::string log;    // the level-4 line, a regular expression
        bool text_written;
    } cases[] = {
        {kAllSet, "", reading + "  error reading from stat file\n",
         "ZUNT Non existing or incompatible stat file \\(zunt\\.sta, rc=2\\)", false},
        {"statistics zunt.sta\r\ntextout top.txt\r\nbbsout nodir/top.bbs\r\n", two,
         writing + "  couldn't write BBS output file: No such file or directory\n",
         "ZUNT Error creating nodir/top\\.bbs \\(rc=2\\)", true},
        {"statistics zunt.sta\r\ntextout nodir/top.txt\r\nbbsout top.bbs\r\n", two,
         writing + "  couldn't write text output file: No such file or directory\n",
         "ZUNT Error creating nodir/top\\.txt \\(rc=2\\)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings + c.log);
        Sandbox box;
        box.write("zunt.ctl", kCtl + c.settings);
        if (!c.stats.empty()) box.write("zunt.sta", c.stats);
        RunResult r = box.run({"/czunt.ctl", "/s"});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.err, "\xFE Reading config...\n" + c.err);
        EXPECT_TRUE(std::regex_match(log_without_times(box.read("zunt.log")),
                                     std::regex("\\+ ZUNT Begin, ZUNT 1\\.30\\.wb\r\n"
                                                "\\* ZUNT Creating statistics output\\.\\.\\.\r\n! " +
                                                c.log + "\r\n\\+ ZUNT End\\.\r\n\r\n")))
            << box.read("zunt.log");
        EXPECT_EQ(box.exists("top.txt"), c.text_written);
        EXPECT_FALSE(box.exists("top.bbs"));
    }
}

// A statistics file of another format is started anew and, after the run,
// holds the run's downloads in the current layout with the time of the run.
TEST(StatsOutputE2E, IncompatibleStatisticsRewrittenByCountingRun) {
    Sandbox box;
    make_util_board(box, "tool.zip [ 3] A tool\r\n", "statistics zunt.sta\r\n");
    box.write("max.log", "* 16 Dec 04:59:11 MAX  DL-Z files\\util\\tool.zip\r\n"
                         "* 16 Dec 04:59:12 MAX  DL-Z files\\util\\tool.zip\r\n");
    box.write("zunt.sta", le(5, 4) + std::string(300, '\x01'));
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    RunResult r = box.run({"/czunt.ctl"});
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    EXPECT_EQ(r.exit_code, 0);  // its messages are the statistics step's unit tests
    // Byte for byte, with the run's time put in where the file holds it.
    const std::string name = "files\\util\\tool.zip";
    const std::string sta = box.read("zunt.sta");
    const std::size_t time_at = 4 + 2 * (bucket_of(name) + 1) + 82;
    ASSERT_EQ(sta.size(), 206u + 86u);
    std::uint32_t stamp = 0;
    for (int i = 3; i >= 0; --i) stamp = stamp << 8 | static_cast<unsigned char>(sta[time_at + i]);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    std::string want = stat_file({{name, 2}});
    want.replace(time_at, 4, le(stamp, 4));
    EXPECT_EQ(sta, want);
}

}  // namespace
}  // namespace zunt::e2e
