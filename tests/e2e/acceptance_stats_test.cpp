// Acceptance: the Top Files bulletins compared with boxes drawn column by
// column here (not with the program's own formatter), and the statistics
// file as a counting run leaves it.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <regex>
#include <utility>
#include <vector>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

std::string le(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i, v >>= 8) s += static_cast<char>(v & 0xFF);
    return s;
}

std::uint32_t get_le(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
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

const std::string kCtl =
    "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\n"
    "statistics zunt.sta\r\ntextout top.txt\r\nbbsout top.bbs\r\n";

TEST(AcceptanceStatsE2E, BulletinsColumnByColumn) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "systemname My Board\r\ntop 3\r\nexcludefromlist skip.lst\r\n");
    box.write("skip.lst", "*.me\r\n\r\n");
    box.write("zunt.sta", stat_file({{"c:\\files\\util\\tool.zip", 12345},
                                     {"files\\excl\\skip.me", 500},
                                     {"d:/x/abc.lzh", 7},
                                     {"noext", 3},
                                     {"c:\\a\\x.arc", 2}}));
    RunResult r = box.run({"/czunt.ctl", "/s"});
    EXPECT_EQ(r.exit_code, 0);
    // 25 characters of title: 24 blanks before it, 25 after.
    const std::string title = sp(24) + "The Top Files at My Board" + sp(25);
    const std::vector<Row> rows = {
        {"  1.", "TOOL.ZIP     ", "12345", "12345"},
        {"  2.", "ABC.LZH      ", "    7", "  7"},
        {"  3.", "NOEXT        ", "    3", "  3"},
    };
    EXPECT_EQ(box.read("top.txt"), text_bulletin(title, rows));
    EXPECT_EQ(box.read("top.bbs"), board_bulletin(title, rows));
}

TEST(AcceptanceStatsE2E, EmptyStatisticsAndDefaultSystemName) {
    Sandbox box;
    box.write("zunt.ctl", kCtl);
    box.write("zunt.sta", stat_file({}));
    ASSERT_EQ(box.read("zunt.sta").size(), 206u);
    RunResult r = box.run({"/czunt.ctl", "/s"});
    EXPECT_EQ(r.exit_code, 0);
    const std::string title = sp(16) + "The Top Files at !Systemname not defined!" + sp(17);
    EXPECT_EQ(box.read("top.txt"), text_bulletin(title, {}));
    EXPECT_EQ(box.read("top.bbs"), board_bulletin(title, {}));
}

// A statistics file of another format is started anew and, after the run,
// holds the run's downloads in the current layout with the time of the run.
TEST(AcceptanceStatsE2E, IncompatibleStatisticsRewrittenByCountingRun) {
    Sandbox box;
    box.write("zunt.ctl",
              "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
              "bbslog max.log\r\nstatistics zunt.sta\r\n");
    box.write("areas.txt", "Util files\\util\r\n");
    box.write("files/util/files.bbs", "tool.zip [ 3] A tool\r\n");
    box.write("max.log", "* 16 Dec 04:59:11 MAX  DL-Z files\\util\\tool.zip\r\n"
                         "* 16 Dec 04:59:12 MAX  DL-Z files\\util\\tool.zip\r\n");
    box.write("zunt.sta", le(5, 4) + std::string(300, '\x01'));
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    RunResult r = box.run({"/czunt.ctl"});
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.err.find("\xFE Reading statistics...\n  Incompatible/old stat file - creating new one\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::regex_search(
        box.read("zunt.log"),
        std::regex("\r\n# [ 123]\\d \\w{3} [\\d:]{8} ZUNT Incompatible/old stat file - creating new one\r\n")))
        << box.read("zunt.log");

    const std::string sta = box.read("zunt.sta");
    ASSERT_EQ(sta.size(), 206u + 86u);
    const std::string name = "files\\util\\tool.zip";
    std::string want_prefix = le(6, 4);
    for (int b = 0; b < bucket_of(name); ++b) want_prefix += le(0, 2);
    std::string field = name;
    field.resize(80, '\0');
    want_prefix += le(1, 2) + field + le(2, 2);
    EXPECT_EQ(sta.substr(0, want_prefix.size()), want_prefix);
    const std::uint32_t stamp = get_le(sta, want_prefix.size(), 4);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    std::string rest;
    for (int b = bucket_of(name) + 1; b < 101; ++b) rest += le(0, 2);
    EXPECT_EQ(sta.substr(want_prefix.size() + 4), rest);
}

}  // namespace
}  // namespace zunt::e2e
