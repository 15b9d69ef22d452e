// The initialization run as the sysop sees it: each kind of FILES.BBS line
// after /i, the sort, the statistics set from the counts, and the run's
// frame and stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <utility>
#include <vector>

#include "e2e/e2e_util.h"
#include "stats/stat_table.h"

namespace zunt::e2e {
namespace {

const std::string kHead = "\xFE Reading config...\n\xFE Initializing all counters\n";
const std::string kCtl = "counterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n";
const std::string kLogHead = "+ ZUNT Begin, ZUNT 1.30.wb\n* ZUNT Initializing all counters...\n";

std::string log_without_times(const std::string& log) {
    return std::regex_replace(log, std::regex("(^|\n)(.) [ 0-9]\\d \\w{3} \\d\\d:\\d\\d:\\d\\d "), "$1$2 ");
}

using Counts = StatCounts;

std::string stat_bytes(const Counts& counts) {
    StatTable t;
    for (const auto& [name, n] : counts) update_stat_entry(t, name, std::string(name), StatUpdate::set, n, 1000);
    return encode_statistics(t);
}

const std::string kUtilList =
    "-- Utilities\r\nzip.zip  [12] Packer\r\ntool.zip A handy tool\r\n that spans\r\n+and more\r\n"
    "edit.zip (3) Editor\r\n\x10!SYSOP\r\nlong.zip " + std::string(3000, 'x') +
    "\r\n*.txt [7] texts\r\nlast.zip [2] end";
const std::string kUtilWant =
    "-- Utilities\r\nedit.zip      [  3] Editor\r\ntool.zip      [  0] A handy tool\r\n that spans\r\n"
    "+and more\r\nzip.zip       [ 12] Packer\r\n\x10!SYSOP\r\n*.txt         [  7] texts\r\n"
    "last.zip      [  2] end\r\nlong.zip      [  0] " + std::string(3000, 'x') + "\r\n";

// Counts are set, not added; a field of 0 leaves an entry alone.
TEST(InitRunE2E, RewritesEveryListAndSetsTheStatistics) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\nstatistics zunt.sta\r\n"
                                 "sortby name\r\nsortorder ascending\r\n");
    box.write("areas.txt", "Util files/util\r\nGone files/gone\r\nDocs files/docs files/docs/list.bbs\r\n");
    box.write("files/util/files.bbs", kUtilList);
    box.write("files/util/readme.txt", "r");
    box.write("files/docs/list.bbs", "b.txt  [1] Bee\r\na.txt Ay\r\n");
    box.write("zunt.sta", stat_bytes({{"files/util/zip.zip", 50}, {"files/util/tool.zip", 4}, {"other", 9}}));

    RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, kHead + "\xFE Reading statistics...\n\xFE Reading area config\n"
                             "  Initializing area Util (files/util/files.bbs)\n"
                             "  Initializing area Gone (files/gone/files.bbs)\n"
                             "  Couldn't open files/gone/files.bbs, file area skipped!\n"
                             "  Initializing area Docs (files/docs/list.bbs)\n"
                             "\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
    EXPECT_EQ(box.read("files/util/files.bbs"), kUtilWant);
    EXPECT_EQ(box.read("files/util/files.bak"), kUtilList);
    EXPECT_EQ(box.read("files/docs/list.bbs"), "a.txt         [  0] Ay\r\nb.txt         [  1] Bee\r\n");
    EXPECT_EQ(box.read("files/docs/list.bak"), "b.txt  [1] Bee\r\na.txt Ay\r\n");
    EXPECT_FALSE(box.exists("files/gone"));
    EXPECT_EQ(log_without_times(box.read("zunt.log")),
              crlf(kLogHead + "* ZUNT Opening statistics file: zunt.sta\n"
                              "* ZUNT Reading area configuration into memory\n"
                              "  ZUNT Initializing file area Util (files/util/files.bbs)\n"
                              "  ZUNT Initializing file area Gone (files/gone/files.bbs)\n"
                              "! ZUNT Couldn't open files/gone/files.bbs, file area skipped! (errno=2)\n"
                              "  ZUNT Initializing file area Docs (files/docs/list.bbs)\n"
                              "+ ZUNT End. 3 file areas initialized.\n\n"));
    const Counts want = {{"files/docs/b.txt", 1},     {"files/util/edit.zip", 3},  {"files/util/last.zip", 2},
                         {"files/util/readme.txt", 7}, {"files/util/tool.zip", 4}, {"files/util/zip.zip", 12},
                         {"other", 9}};
    EXPECT_EQ(stat_counts(box.read("zunt.sta")), want);
}

// A list whose new copy cannot be written stays as it was and gives the
// statistics none of its counts; a name over 80 characters stays out of
// them, with two lines in the log, while its list still gets its counters.
TEST(InitRunE2E, CountsLeftOutOfTheStatistics) {
    Sandbox box;
    const std::string dir = std::string(70, 'd') + "/";
    box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\nstatistics zunt.sta\r\n");
    box.write("areas.txt", "Docs docs/\r\nLong " + dir + "\r\n");
    box.write("docs/files.bbs", "a.txt [4] Ay\r\n");
    box.write(dir + "files.bbs", "short.zip [3] S\r\nmuch-longer-name.zip [4] L\r\n");
    std::filesystem::create_directories(box.path("docs/files.bbs.~zt"));
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.err.find("  Couldn't open docs/files.bbs, file area skipped!\n"), std::string::npos) << r.err;
    EXPECT_EQ(box.read("docs/files.bbs"), "a.txt [4] Ay\r\n");
    EXPECT_EQ(box.read(dir + "files.bbs"), "short.zip     [  3] S\r\nmuch-longer-name.zip [  4] L\r\n");
    EXPECT_NE(log_without_times(box.read("zunt.log"))
                  .find("+ ZUNT Warning! Maximum file length in stat file is 80 characters\r\n"
                        "+ \"" + dir + "much-longer-name.zip\" not written to stat file.\r\n"),
              std::string::npos);
    EXPECT_EQ(stat_counts(box.read("zunt.sta")), (Counts{{dir + "short.zip", 3}}));
}

// Without an area file nothing is visited, but the statistics are still
// read and written back.
TEST(InitRunE2E, NoAreaFileStillRewritesTheStatistics) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "statistics zunt.sta\r\n");
    const std::string bytes = stat_bytes({{"files/util/a.zip", 9}});
    box.write("zunt.sta", bytes);
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "\xFE Reading config...\n"
                     "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not possible.\n"
                     "\xFE Initializing all counters\n\xFE Reading statistics...\n"
                     "\xFE Writing statistics...\n\xFE Cleaning up, done!\n\n");
    EXPECT_EQ(box.read("zunt.sta"), bytes);
    EXPECT_EQ(log_without_times(box.read("zunt.log")),
              crlf(kLogHead + "* ZUNT Opening statistics file: zunt.sta\n"
                              "+ ZUNT End. 0 file areas initialized.\n\n"));
}

TEST(InitRunE2E, FailedStatisticsWriteIsLoggedBeforeTheEnd) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\nstatistics nodir/zunt.sta\r\n");
    box.write("areas.txt", "Docs docs/\r\n");
    box.write("docs/files.bbs", "a.txt [4] Ay\r\n");
    RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, kHead + "\xFE Reading statistics...\n  Couldn't open stat file - creating new one\n"
                             "\xFE Reading area config\n  Initializing area Docs (docs/files.bbs)\n"
                             "\xFE Writing statistics...\n  Error writing statistics!\n"
                             "\xFE Cleaning up, done!\n\n");
    EXPECT_EQ(box.read("docs/files.bbs"), "a.txt         [  4] Ay\r\n");
    const std::string log = log_without_times(box.read("zunt.log"));
    EXPECT_NE(log.find(crlf("! ZUNT Error writing statistics - stat file was not updated and may be "
                            "damaged.\n+ ZUNT End. 1 file areas initialized.\n\n")),
              std::string::npos)
        << log;
}

TEST(InitRunE2E, AreaConfigurationFailuresStop) {
    const struct {
        std::string settings;
        std::string areas;  // written as areas.txt when not empty
        std::string err;    // after "Reading area config"
        std::string log;    // the level-4 line and the End line
    } cases[] = {
        {"asciiareafile nope.txt\r\n", "", "  Couldn't open ascii area file: No such file or directory\n",
         "! ZUNT Couldn't open nope.txt, rc=2\n+ ZUNT End. 0 files processed\n"},
        {"farea nope.dat\r\n", "", "  Couldn't open file: No such file or directory\n",
         "! ZUNT Couldn't open nope.dat, errno=2\n+ ZUNT End. 0 files processed\n"},
        {"farea areas.txt\r\n", "not a farea.dat at all\r\n", "  No valid Maximus 3.x farea.dat file",
         "! ZUNT areas.txt is no valid Maximus 3.x farea.dat file\n+ ZUNT End. 0 file areas initialized.\n"},
    };
    for (const auto& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + c.settings);
        if (!c.areas.empty()) box.write("areas.txt", c.areas);
        RunResult r = box.run({"/czunt.ctl", "/i"});
        EXPECT_EQ(r.exit_code, 1) << c.settings;
        EXPECT_EQ(r.err, kHead + "\xFE Reading area config\n" + c.err) << c.settings;
        EXPECT_EQ(log_without_times(box.read("zunt.log")),
                  crlf(kLogHead + "* ZUNT Reading area configuration into memory\n" + c.log + "\n"))
            << c.settings;
    }
}

// One list initialized with the settings; its backup is the list as it was.
std::string initialized(const std::string& settings, const std::string& list) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\n" + settings);
    box.write("areas.txt", "Util files/util\r\n");
    box.write("files/util/files.bbs", list);
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0) << list << "\n" << r.err;
    EXPECT_EQ(box.read("files/util/files.bak"), list);
    return box.read("files/util/files.bbs");
}

// The file line forms one by one are the rebuild's unit tests.
TEST(InitRunE2E, LinesRebuilt) {
    const struct {
        std::string settings, list, want;
    } cases[] = {
        {"", "FILE.ZIP  Text\r\n", "FILE.ZIP      [  0] Text\r\n"},
        {"", "X.ZIP (c) 1995\r\n", "X.ZIP         [  0] (c) 1995\r\n"},
        {"counterstyle 4\r\n", "Y.ZIP <>\r\n", "Y.ZIP         <  0>\r\n"},
        {"tabulate 1\r\n", "FILE.ZIP  Text\r\nB.ZIP   <7> x\r\n", "FILE.ZIP  [  0] Text\r\nB.ZIP [  7] x\r\n"},
        {"maxdesclen 20\r\n", "FILE.ZIP  Text is a long one\r\n- a comment that is not cut at all\r\n",
         "FILE.ZIP      [  0] \r\n- a comment that is not cut at all\r\n"},
        // Other lines as read; a last line without line end gets one.
        {"", "-- Util --  \r\n\r\n cont  \r\n+plus\r\n\x10!SYSOP\r\nlast.zip [1] no line end",
         "-- Util --  \r\n\r\n cont  \r\n+plus\r\n\x10!SYSOP\r\nlast.zip      [  1] no line end\r\n"},
        {"killhardspace yes\r\n", "\xFF" "cont\r\na.zip\xFF[2]\xFFx\r\n", " cont\r\na.zip         [  2] x\r\n"},
        {"", "", ""},
        // Name sorts are stable both ways; a continuation line travels with
        // its file line.
        {"sortby name\r\nsortorder ascending\r\n", "b.zip x\r\n first\r\na.zip y\r\nb.zip x\r\n second\r\n",
         "a.zip         [  0] y\r\nb.zip         [  0] x\r\n first\r\nb.zip         [  0] x\r\n second\r\n"},
        {"sortby name\r\nsortorder descending\r\n", "b.zip x\r\n first\r\na.zip y\r\nb.zip x\r\n second\r\n",
         "b.zip         [  0] x\r\n first\r\nb.zip         [  0] x\r\n second\r\na.zip         [  0] y\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(initialized(c.settings, c.list), c.want) << c.settings << c.list;
}

TEST(InitRunE2E, SortsByFileDate) {
    Sandbox box;
    write_area_config(box, kCtl + "sortby date\r\nsortorder ascending\r\n", "Files files/\r\n");
    box.write("files/new.zip", "n");
    box.write("files/old.zip", "o");
    const auto now = std::filesystem::last_write_time(box.path("files/new.zip"));
    std::filesystem::last_write_time(box.path("files/old.zip"), now - std::chrono::hours(24 * 800));
    box.write("files/files.bbs", "new.zip New\r\nold.zip Old\r\n more\r\ngone.zip Gone\r\n");
    RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(box.read("files/files.bbs"),
              "gone.zip      [  0] Gone\r\nold.zip       [  0] Old\r\n more\r\nnew.zip       [  0] New\r\n");
}

}  // namespace
}  // namespace zunt::e2e
