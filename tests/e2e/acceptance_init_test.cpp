// The initialization run as the sysop sees it: each kind of FILES.BBS line
// after /i, the column rules for existing fields, the statistics rebuilt from
// the counts, and the run's frame when there is nothing to initialize.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "e2e/e2e_util.h"
#include "stats/stat_table.h"

namespace zunt::e2e {
namespace {

const std::string kCtl = "counterstyle 1\r\ncounterlength 3\r\nasciiareafile areas.txt\r\n";

struct ListCase {
    const char* what;
    std::string settings;  // added to the control file
    std::string list;
    std::string want;
};

std::string initialized(const ListCase& c) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + c.settings);
    box.write("areas.txt", "Util files/util\r\n");
    box.write("files/util/files.bbs", c.list);
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0) << c.what << "\n" << r.err;
    EXPECT_EQ(box.read("files/util/files.bak"), c.list) << c.what;
    return box.read("files/util/files.bbs");
}

TEST(AcceptanceInitE2E, LinesRebuilt) {
    const std::string a10 = "A.ZIP" + std::string(10, ' ') + "[5] x";
    const std::vector<ListCase> cases = {
        {"new field", "", "FILE.ZIP  Text\r\n", "FILE.ZIP      [  0] Text\r\n"},
        {"new field zero padded", "zeropadd yes\r\n", "FILE.ZIP  Text\r\n", "FILE.ZIP      [000] Text\r\n"},
        {"any closing bracket", "", "FILE.ZIP (12) Text\r\nF2.ZIP [12) Text\r\n",
         "FILE.ZIP      [ 12] Text\r\nF2.ZIP        [ 12] Text\r\n"},
        {"long name keeps one blank", "", "VERYLONGNAME.ZIP        [5] Text\r\n",
         "VERYLONGNAME.ZIP [  5] Text\r\n"},
        {"prefix cut back to the column", "", a10 + "\r\n", "A.ZIP         [  5] x\r\n"},
        {"flag word and trailing blanks", "", "F.ZIP /b [ 3] Some   \r\n", "F.ZIP /b      [  3] Some\r\n"},
        {"no field in (c)", "", "X.ZIP (c) 1995\r\n", "X.ZIP         [  0] (c) 1995\r\n"},
        {"name alone", "", "FILE.ZIP\r\n", "FILE.ZIP      [  0] \r\n"},
        {"empty field", "counterstyle 4\r\n", "Y.ZIP <>\r\n", "Y.ZIP         <  0>\r\n"},
        {"tab first is a file line", "", "\tTAB.ZIP x\r\n", "\tTAB.ZIP      [  0] x\r\n"},
        {"first column 1", "tabulate 1\r\n", "FILE.ZIP  Text\r\nB.ZIP   <7> x\r\n",
         "FILE.ZIP  [  0] Text\r\nB.ZIP [  7] x\r\n"},
        {"cut to maxdesclen", "maxdesclen 20\r\n",
         "FILE.ZIP  Text is a long one\r\n- a comment that is not cut at all\r\n",
         "FILE.ZIP      [  0] \r\n- a comment that is not cut at all\r\n"},
        {"non-file lines as read", "",
         "-- Util --  \r\n\r\n cont  \r\n+plus\r\n\x10!SYSOP\r\nlast.zip [1] no line end",
         "-- Util --  \r\n\r\n cont  \r\n+plus\r\n\x10!SYSOP\r\nlast.zip      [  1] no line end\r\n"},
        {"hard spaces", "killhardspace yes\r\n", "\xFF" "cont\r\na.zip\xFF[2]\xFFx\r\n",
         " cont\r\na.zip         [  2] x\r\n"},
        {"empty list", "", "", ""},
    };
    for (const ListCase& c : cases) EXPECT_EQ(initialized(c), c.want) << c.what;
}

// Equal lines keep their order in both directions; a continuation line
// travels with its file line.
TEST(AcceptanceInitE2E, NameSortIsStable) {
    const std::string list = "b.zip x\r\n first\r\na.zip y\r\nb.zip x\r\n second\r\n";
    const ListCase ascending{"ascending", "sortby name\r\nsortorder ascending\r\n", list, ""};
    EXPECT_EQ(initialized(ascending),
              "a.zip         [  0] y\r\nb.zip         [  0] x\r\n first\r\n"
              "b.zip         [  0] x\r\n second\r\n");
    const ListCase descending{"descending", "sortby name\r\nsortorder descending\r\n", list, ""};
    EXPECT_EQ(initialized(descending),
              "b.zip         [  0] x\r\n first\r\nb.zip         [  0] x\r\n second\r\n"
              "a.zip         [  0] y\r\n");
}

// Counts are set, not added; a field of 0 leaves an entry alone.
TEST(AcceptanceInitE2E, StatisticsSetFromTheCounts) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "statistics zunt.sta\r\n");
    box.write("areas.txt", "Util files/util\r\n");
    box.write("files/util/files.bbs", "A.ZIP [7] x\r\nB.ZIP [0] y\r\nC.ZIP z\r\n");
    StatTable before;
    update_stat_entry(before, "files/util/a.zip", StatUpdate::set, 50, 1000);
    update_stat_entry(before, "files/util/b.zip", StatUpdate::set, 4, 1000);
    box.write("zunt.sta", encode_statistics(before));
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    StatTable after;
    ASSERT_EQ(decode_statistics(box.read("zunt.sta"), after), StatReadResult::read);
    std::vector<std::pair<std::string, long long>> got;
    for (const auto& bucket : after.buckets)
        for (const StatEntry& e : bucket) got.emplace_back(std::string(e.name()), e.count);
    std::sort(got.begin(), got.end());
    const std::vector<std::pair<std::string, long long>> want = {{"files/util/a.zip", 7},
                                                                  {"files/util/b.zip", 4}};
    EXPECT_EQ(got, want);
}

// Without an area file nothing is visited, but the statistics are still
// read and written back.
TEST(AcceptanceInitE2E, NoAreaFileStillRewritesTheStatistics) {
    Sandbox box;
    box.write("zunt.ctl", "counterstyle 1\r\ncounterlength 3\r\nstatistics zunt.sta\r\nlogfile zunt.log\r\n");
    StatTable before;
    update_stat_entry(before, "files/util/a.zip", StatUpdate::set, 9, 1000);
    const std::string bytes = encode_statistics(before);
    box.write("zunt.sta", bytes);
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "\xFE Reading config...\n"
                     "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not possible.\n"
                     "\xFE Initializing all counters\n\xFE Reading statistics...\n"
                     "\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
    EXPECT_EQ(box.read("zunt.sta"), bytes);
    const std::string log = box.read("zunt.log");
    EXPECT_NE(log.find("ZUNT End. 0 file areas initialized.\r\n\r\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace zunt::e2e
