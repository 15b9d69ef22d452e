// Acceptance of the counting run as its users see it: which log lines become
// downloads, where each log is read from on the next run, how the pass
// reports where a list was found, and the statistics file's fallbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kCtl = "counterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\nbbslog max.log\r\n";
const std::string kNoAreaWarning =
    "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not possible.\n";

std::string board(const std::string& message) { return "* 16 Dec 04:59:11 MAX  " + message + "\r\n"; }

// The activity log's lines without day and time.
std::vector<std::string> log_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        lines.push_back(line.size() > 18 ? line.substr(0, 2) + line.substr(18) : line);
        start = end + 2;
    }
    return lines;
}

bool has_line(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A scan position file: offset, length, text.
std::string position(std::uint32_t offset, const std::string& text) {
    std::string b;
    for (std::uint32_t v : {offset, static_cast<std::uint32_t>(text.size())})
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    return b + text;
}

// Without any area every download is reported as having none, which shows
// exactly which files the logs gave.
TEST(AcceptanceCountingE2E, WhichLogLinesAreDownloads) {
    struct Case {
        const char* name;
        std::string log;
        std::string files;   // the "%d files" count
        std::string report;  // the pass's "No area" lines; empty: "Nothing to do!"
    };
    const std::string dl = "DL-Z ";
    const Case cases[] = {
        {"capitals", board(dl + "D:\\FILES\\UTIL\\TOOL.ZIP"), "1",
         "  No area for \"tool.zip\", skipping file!\n"},
        {"excluded name", board(dl + "d:\\files\\timeout.zip") + board(dl + "d:\\files\\end"), "0", ""},
        {"excluded extensions",
         board(dl + "d:\\a\\b.pkt") + board(dl + "d:\\a\\b.mo3") + board(dl + "d:\\a\\b.req") +
             board(dl + "d:\\a\\b.sun") + board(dl + "d:\\a\\b.qwk"),
         "0", ""},
        {"ignored directory only", board(dl + "d:\\temp\\a.zip") + board(dl + "d:\\temp\\sub\\b.zip"), "1",
         "  No area for \"b.zip\", skipping file!\n"},
        {"tic listed, not counted", board(dl + "d:\\in\\a.tic"), "0", ""},
        {"first configured token wins",
         board("sent: d:\\x\\first.zip DL-Z d:\\x\\second.zip") +
             board("sent: d:\\x\\timeout.zip DL-Z d:\\x\\third.zip"),
         "1", "  No area for \"first.zip\", skipping file!\n"},
        {"token with nothing after it", board("DL-"), "0", ""},
        {"ctrl-z ends the log", board(dl + "d:\\x\\a.zip") + "\x1a" + board(dl + "d:\\x\\b.zip"), "1",
         "  No area for \"a.zip\", skipping file!\n"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "mailerstring sent:\r\nignorepath D:\\Temp\r\n");
        box.write("max.log", c.log);
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0) << c.name;
        std::string want = "\xFE Reading config...\n" + kNoAreaWarning + "\xFE Parsing max.log " + c.files +
                           " files\n";
        want += c.report.empty() ? "\xFE Nothing to do!\n\n"
                                 : "\xFE Scanning FILES.BBS\n" + c.report + "\xFE Cleaning up, done!\n\n";
        EXPECT_EQ(r.err, want) << c.name;
    }
}

// One log over six runs: first scan, new lines, nothing new, lines cut from
// the front (the remembered line found again, reading goes on after it), a
// log replaced by a smaller one, /f. The position file after each run.
TEST(AcceptanceCountingE2E, ScanPositionAcrossRuns) {
    const std::string a = board("DL-Z d:\\x\\a.zip"), b = board("DL-Z d:\\x\\b.zip"),
                      c = board("DL-Z d:\\x\\c.zip"), d = board("DL-Z d:\\x\\d.zip"),
                      e = board("DL-Z d:\\x\\e.zip");
    const std::size_t n = a.size();
    auto text = [](const std::string& line) { return line.substr(0, line.size() - 2); };
    struct Step {
        const char* name;
        std::string log;
        std::vector<std::string> args;
        std::string files;
        const char* start_line;  // the level-0 line of the position check, or null
        std::string znt;
    };
    const Step steps[] = {
        {"first", a + b, {}, "2", nullptr, position(n, text(b))},
        {"appended", a + b + c + d, {}, "2", "  ZUNT Exact match - no log scan necessary",
         position(3 * n, text(d))},
        {"nothing new", a + b + c + d, {}, "0", "  ZUNT Exact match - no log scan necessary",
         position(3 * n, text(d))},
        {"front cut", b + c + d + e, {}, "1", "  ZUNT Log position mismatch - scanning from start",
         position(3 * n, text(e))},
        // The remembered offset lies beyond the log's end: no message.
        {"replaced", c + d, {}, "2", nullptr, position(n, text(d))},
        {"forced", c + d, {"/f"}, "2", nullptr, position(n, text(d))},
    };
    Sandbox box;
    box.write("zunt.ctl", kCtl);
    for (const Step& s : steps) {
        box.write("max.log", s.log);
        std::vector<std::string> args = {"/czunt.ctl"};
        args.insert(args.end(), s.args.begin(), s.args.end());
        box.write("zunt.log", "");
        RunResult r = box.run(args);
        EXPECT_EQ(r.exit_code, 0) << s.name;
        EXPECT_NE(r.err.find("\xFE Parsing max.log " + s.files + " files\n"), std::string::npos)
            << s.name << r.err;
        const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
        ASSERT_GE(lines.size(), 4u) << s.name;
        const std::vector<std::string> want_head = {"+ ZUNT Begin, ZUNT 1.30.wb", "* ZUNT Parsing log: max.log"};
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2), want_head) << s.name;
        EXPECT_EQ(lines[2], s.start_line ? s.start_line : "* ZUNT " + s.files + " files processed") << s.name;
        EXPECT_EQ(box.read("max.znt"), s.znt) << s.name;
    }
}

// Where the list was found when the preferred source had none.
TEST(AcceptanceCountingE2E, LocationLines) {
    struct Case {
        const char* area_dat_first;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"yes", {"# ZUNT No FILES.BBS for \"dl\\b.zip\" in Area.Dat, used FILES.BBS in DL dir"}},
        {"no", {"# ZUNT No FILES.BBS for \"area\\a.zip\" in DL dir found, using Area.Dat"}},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\nuseareadatfirst " + c.area_dat_first + "\r\n");
        box.write("areas.txt", "Area area lists\\area.bbs\r\n");
        box.write("lists/area.bbs", "a.zip [ 1] A\r\n");
        box.write("dl/files.bbs", "b.zip [ 1] B\r\n");
        box.write("max.log", board("DL-Z area\\a.zip") + board("DL-Z dl\\b.zip") + board("DL-Z none\\c.zip"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0) << c.area_dat_first;
        EXPECT_NE(r.err.find("\xFE Scanning FILES.BBS\n  Incremented DLC for a.zip by 1 to 2\n"
                             "  Incremented DLC for b.zip by 1 to 2\n"
                             "  No area for \"c.zip\", skipping file!\n\xFE Cleaning up, done!\n\n"),
                  std::string::npos)
            << r.err;
        std::vector<std::string> levels;
        for (const std::string& line : log_lines(box.read("zunt.log")))
            if (line.rfind("# ", 0) == 0 || line.find("No FILES.BBS") != std::string::npos) levels.push_back(line);
        std::vector<std::string> want = c.lines;
        want.push_back("+ ZUNT No FILES.BBS for \"none\\c.zip\" in Area.Dat or none\\");
        EXPECT_EQ(levels, want) << c.area_dat_first;
    }
}

// A pass whose list ends up empty (every download travelled with a .tic
// file) still reports its steps, and changes nothing.
TEST(AcceptanceCountingE2E, EmptyPassAfterTicCompanions) {
    for (bool no_sort : {false, true}) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\nignoretic yes\r\n");
        box.write("areas.txt", "Util files\\util\r\n");
        box.write("files/util/files.bbs", "a.zip [ 1] A\r\n");
        box.write("max.log", board("DL-Z files\\util\\a.zip") + board("DL-Z files\\in\\a.tic"));
        std::vector<std::string> args = {"/czunt.ctl"};
        if (no_sort) args.push_back("ns");
        RunResult r = box.run(args);
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.err, "\xFE Reading config...\n\xFE Parsing max.log 1 files\n\xFE Reading area config\n"
                         "\xFE Scanning FILES.BBS\n\xFE Cleaning up, done!\n\n");
        EXPECT_EQ(box.read("files/util/files.bbs"), "a.zip [ 1] A\r\n");
        EXPECT_FALSE(box.exists("files/util/files.bak"));
        const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
        EXPECT_TRUE(has_line(lines, "  ZUNT Preprocessing downloads"));
        EXPECT_EQ(has_line(lines, "* ZUNT Sorting downloads"), !no_sort);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2].rfind("+ ZUNT End. 1 files processed (", 0), 0u);
    }
}

// A statistics file that is not ours is replaced; one that cannot be
// written is reported and the run still ends normally.
TEST(AcceptanceCountingE2E, StatisticsFallbacks) {
    struct Case {
        const char* path;
        std::string console;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"old.sta", "\xFE Reading statistics...\n  Incompatible/old stat file - creating new one\n",
         {"# ZUNT Incompatible/old stat file - creating new one"}},
        {"nodir\\new.sta",
         "\xFE Writing statistics...\n  Error writing statistics!\n\xFE Cleaning up, done!\n\n",
         {"# ZUNT Couldn't open stat file - creating new one",
          "! ZUNT Error writing statistics - stat file was not updated and may be damaged."}},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\nstatistics " + c.path + "\r\n");
        box.write("areas.txt", "Util files\\util\r\n");
        box.write("files/util/files.bbs", "a.zip [ 1] A\r\n");
        box.write("old.sta", "an old statistics file");
        box.write("max.log", board("DL-Z files\\util\\a.zip"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0) << c.path;
        EXPECT_NE(r.err.find(c.console), std::string::npos) << r.err;
        EXPECT_EQ(box.read("files/util/files.bbs"), "a.zip [ 2] A\r\n") << c.path;
        const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
        for (const std::string& line : c.log) EXPECT_TRUE(has_line(lines, line)) << line;
    }
}

}  // namespace
}  // namespace zunt::e2e
