#include <gtest/gtest.h>

#include <regex>

#include "e2e/e2e_util.h"
#include "stats/top_files.h"

namespace zunt::e2e {
namespace {

const std::string kCtl =
    "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n"
    "systemname The Board\r\n";
const std::string kAllSet = "statistics zunt.sta\r\ntextout top.txt\r\nbbsout top.bbs\r\n";

std::string le(unsigned v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i, v >>= 8) s += static_cast<char>(v & 0xFF);
    return s;
}

// A statistics file holding two entries in bucket 0 ("e" sums to 101) and
// the given one in bucket 1.
std::string stat_file() {
    auto entry = [](std::string name, unsigned count) {
        name.resize(80, '\0');
        return name + le(count, 2) + le(1000, 4);
    };
    std::string f = le(6, 4) + le(1, 2) + entry("e", 3) + le(1, 2) + entry("f", 40);
    for (int b = 2; b < 101; ++b) f += le(0, 2);
    return f;
}

// The activity log with every date and time taken out.
std::string log_without_times(const std::string& log) {
    return std::regex_replace(log, std::regex("(^|\n)(.) [ 0-9]\\d \\w{3} \\d\\d:\\d\\d:\\d\\d "), "$1$2 ");
}

TEST(StatsOutputE2E, WritesBothBulletins) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + kAllSet);
    box.write("zunt.sta", stat_file());
    RunResult r = box.run({"/czunt.ctl", "/s"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err,
              "\xFE Reading config...\n\xFE Creating statistics output\n\xFE Reading statistics...\n"
              "\xFE Sorting downloads...\n\xFE Writing output files...\n\xFE Cleaning up, done!\n\n");
    ControlSettings s;
    s.system_name = "The Board";
    const std::vector<TopEntry> want = {{"F", 40}, {"E", 3}};
    EXPECT_EQ(box.read("top.txt"), format_text_bulletin(want, s));
    EXPECT_EQ(box.read("top.bbs"), format_board_bulletin(want, s));
    EXPECT_EQ(log_without_times(box.read("zunt.log")),
              crlf("+ ZUNT Begin, ZUNT 1.30.wb\n* ZUNT Creating statistics output...\n+ ZUNT End.\n\n"));
    EXPECT_EQ(box.read("zunt.sta"), stat_file());  // only read
}

TEST(StatsOutputE2E, FailuresStopWithTheirMessages) {
    struct Case {
        const char* name;
        std::string settings;
        std::string stats;  // written as zunt.sta when not empty
        std::string err;    // standard error after the progress lines
        std::string log;    // the level-4 line, a regular expression
        bool text_written;
    } cases[] = {
        {"bbsout missing", "statistics zunt.sta\r\ntextout top.txt\r\n", stat_file(),
         "\xFE Creating statistics output\n  TextOut or BBSOut or Statfile not defined in zunt.ctl\n",
         "TextOut or BBSOut or Statfile not defined in zunt\\.ctl", false},
        {"no stat file", kAllSet, "",
         "\xFE Creating statistics output\n\xFE Reading statistics...\n  error reading from stat file\n",
         "ZUNT Non existing or incompatible stat file \\(zunt\\.sta, rc=2\\)", false},
        {"other format", kAllSet, le(5, 4) + std::string(202, '\0'),
         "\xFE Creating statistics output\n\xFE Reading statistics...\n  error reading from stat file\n",
         "ZUNT Non existing or incompatible stat file \\(zunt\\.sta, rc=\\d+\\)", false},
        {"board file unwritable", "statistics zunt.sta\r\ntextout top.txt\r\nbbsout nodir/top.bbs\r\n",
         stat_file(),
         "\xFE Creating statistics output\n\xFE Reading statistics...\n\xFE Sorting downloads...\n"
         "\xFE Writing output files...\n  couldn't write BBS output file: No such file or directory\n",
         "ZUNT Error creating nodir/top\\.bbs \\(rc=2\\)", true},
        {"text file unwritable", "statistics zunt.sta\r\ntextout nodir/top.txt\r\nbbsout top.bbs\r\n",
         stat_file(),
         "\xFE Creating statistics output\n\xFE Reading statistics...\n\xFE Sorting downloads...\n"
         "\xFE Writing output files...\n  couldn't write text output file: No such file or directory\n",
         "ZUNT Error creating nodir/top\\.txt \\(rc=2\\)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
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

}  // namespace
}  // namespace zunt::e2e
