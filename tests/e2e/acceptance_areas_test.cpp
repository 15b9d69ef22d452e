// Acceptance of the area configuration as a counting run sees it: which
// FILES.BBS each download is counted in, for ASCII area files, farea.dat
// records and maxfiles.idx entries built byte by byte, and the loading stops.
#include <gtest/gtest.h>

#include "areas/area_test_util.h"
#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

using zunt::testing::build_farea;
using zunt::testing::maxfiles_record;
using zunt::testing::TestArea;

const std::string kCtl = "counterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\nbbslog max.log\r\n";

std::string download(const std::string& path) {
    return "* 16 Dec 04:59:11 MAX  DL-Z " + path + "\r\n";
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The report of the counting pass: the console lines after its progress line
// up to the statistics or clean-up line.
std::string pass_report(const std::string& err) {
    const std::string head = "\xFE Scanning FILES.BBS\n";
    const std::size_t at = err.find(head);
    if (at == std::string::npos) return "no pass: " + err;
    const std::size_t from = at + head.size();
    return err.substr(from, err.find('\xFE', from) - from);
}

// The activity log's lines without day and time.
std::vector<std::string> log_lines(const std::string& log) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < log.size();) {
        std::size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        lines.push_back(line.size() > 18 ? line.substr(0, 2) + line.substr(18) : line);
        start = end + 2;
    }
    return lines;
}

// The activity log's level-2 lines (where a list was found), without time.
std::vector<std::string> location_lines(const std::string& log) {
    std::vector<std::string> lines;
    for (const std::string& line : log_lines(log))
        if (line.rfind("# ", 0) == 0) lines.push_back(line);
    return lines;
}

// Each ASCII area file line form, and the list that a download from its
// directory is then counted in.
TEST(AcceptanceAreasE2E, AsciiAreaFileFields) {
    struct Case {
        const char* name;
        std::string area_line;
        std::string list;  // the list the download raises
    };
    const Case cases[] = {
        {"two fields, no backslash", "Util Files\\Util\r\n", "files/util/files.bbs"},
        {"two fields, backslash", "Util Files\\Util\\\r\n", "files/util/files.bbs"},
        {"leading blanks, wide gaps", "   Util    files\\util     Lists\\UTIL.BBS\r\n", "lists/util.bbs"},
        {"fourth field ignored", "Util files\\util lists\\util.bbs lists\\other.bbs\r\n", "lists/util.bbs"},
        {"last line without line end", "Util files\\util lists\\util.bbs", "lists/util.bbs"},
        {"first of two equal directories", "Util files\\util lists\\util.bbs\r\nAgain files\\util\r\n",
         "lists/util.bbs"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\n");
        box.write("areas.txt", c.area_line);
        box.write("max.log", download("files\\util\\tool.zip"));
        box.write("files/util/files.bbs", "tool.zip [ 1] In the directory\r\n");
        box.write("lists/util.bbs", "tool.zip [ 5] In the lists\r\n");
        box.write("lists/other.bbs", "tool.zip [ 7] Never\r\n");
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0) << c.name;
        const bool in_lists = c.list == "lists/util.bbs";
        EXPECT_EQ(pass_report(r.err), in_lists ? "  Incremented DLC for tool.zip by 1 to 6\n"
                                               : "  Incremented DLC for tool.zip by 1 to 2\n")
            << c.name;
        EXPECT_EQ(box.read("lists/other.bbs"), "tool.zip [ 7] Never\r\n") << c.name;
        EXPECT_TRUE(location_lines(box.read("zunt.log")).empty()) << c.name;
    }
}

// A tab belongs to its field, so "Util<TAB>files\util" is one field: a
// syntax error, like a single field, an empty line or a line of blanks.
TEST(AcceptanceAreasE2E, AsciiAreaFileSyntaxErrors) {
    const std::string lines[] = {
        "Util\tfiles\\util\r\n",
        "Util\r\n",
        "Util files\\util\r\n\r\n",
        "Util files\\util\r\n   \r\n",
        "\r\nUtil files\\util\r\n",
    };
    for (const std::string& text : lines) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\n");
        box.write("areas.txt", text);
        box.write("max.log", download("files\\util\\tool.zip"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 1) << text;
        EXPECT_TRUE(ends_with(r.err, "\xFE Reading area config\n  Syntax error in ascii area file"))
            << text;
        const std::vector<std::string> tail = {"! ZUNT Syntax error in ascii area file", "+ ZUNT End.", ""};
        const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), tail) << text;
    }
}

// farea.dat records: the attribute mask, overrides, heap strings in any
// case, an empty FILES.BBS string; then maxfiles.idx strict and relaxed.
TEST(AcceptanceAreasE2E, FareaRecordsAndMaxfilesIndex) {
    std::vector<TestArea> areas(6);
    areas[0] = {"Division", "files\\div\\", "lists\\div.bbs", 0x4000, 0, 8, 64};
    areas[1] = {"Util", "Files\\Util\\", "Lists\\UTIL.BBS", 0x0FFF, 3, 8, 80};
    areas[2] = {"Games", "files\\games\\", "", 0, 0, 8, 64};
    areas[3] = {"Hidden", "files\\hidden\\", "lists\\hidden.bbs", 0x1000, 0, 8, 64};
    areas[4] = {"Cdrom", "cd\\util\\", "", 0, 0, 8, 64};
    areas[5] = {"Arc", "arc\\", "Lists\\Arc.bbs", 0, 0, 8, 64};
    const auto farea = build_farea(areas);
    const std::string index = maxfiles_record("GAME.ZIP", 4) + maxfiles_record("ABCDEFGH.ZIP", 5, 'X') +
                              maxfiles_record("OLD.LZH", 5) + std::string(1, 'Z');  // 49 bytes: 3 records
    struct Case {
        const char* path;
        bool relaxed;
        std::string report;
        std::string location;  // the level-2 line, empty for none
    };
    const Case cases[] = {
        {"files\\util\\tool.zip", false, "  Incremented DLC for tool.zip by 1 to 4\n", ""},
        {"files\\games\\chess.zip", false, "  Incremented DLC for chess.zip by 1 to 10\n", ""},
        {"files\\hidden\\x.zip", false, "  No area for \"x.zip\", skipping file!\n", ""},
        {"files\\div\\x.zip", false, "  No area for \"x.zip\", skipping file!\n", ""},
        // maxfiles.idx: an area without FILES.BBS string gives its download
        // directory's files.bbs.
        {"elsewhere\\game.zip", false, "  Incremented DLC for game.zip by 1 to 3\n",
         "# ZUNT No FILES.BBS for \"elsewhere\\game.zip\" in Area.Dat or DL dir, used Maxfiles.Idx"},
        {"elsewhere\\abcdefgh.zip", false, "  Incremented DLC for abcdefgh.zip by 1 to 2\n",
         "# ZUNT No FILES.BBS for \"elsewhere\\abcdefgh.zip\" in Area.Dat or DL dir, used Maxfiles.Idx"},
        {"elsewhere\\old.zip", false, "  No area for \"old.zip\", skipping file!\n", ""},
        {"elsewhere\\old.zip", true, "  Incremented DLC for old.lzh by 1 to 6\n",
         "# ZUNT No FILES.BBS for \"elsewhere\\old.zip\" in Area.Dat or DL dir, used Maxfiles.Idx"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "farea max\\farea.dat\r\nmaxfilesidx max\\maxfiles.idx\r\n" +
                                  (c.relaxed ? "relaxedindexmatch yes\r\n" : ""));
        box.write("max/farea.dat", farea.dat);
        box.write("max/farea.idx", farea.idx);
        box.write("max/maxfiles.idx", index);
        box.write("max.log", download(c.path));
        box.write("lists/util.bbs", "tool.zip [ 3] Tool\r\n");
        box.write("lists/hidden.bbs", "x.zip [ 3] Hidden\r\n");
        box.write("lists/div.bbs", "x.zip [ 3] Division\r\n");
        box.write("files/games/files.bbs", "chess.zip [ 9] Chess\r\n");
        box.write("cd/util/files.bbs", "game.zip [ 2] Game\r\n");
        // The FILES.BBS string of an index hit is used as stored.
        box.write("Lists/Arc.bbs", "abcdefgh.zip [ 1] Long name\r\nold.lzh [ 5] Old\r\n");
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0) << c.path;
        EXPECT_EQ(pass_report(r.err), c.report) << c.path << c.relaxed;
        std::vector<std::string> want;
        if (!c.location.empty()) want.push_back(c.location);
        EXPECT_EQ(location_lines(box.read("zunt.log")), want) << c.path << c.relaxed;
    }
}

// farea.dat with only its magic number still needs farea.idx; other first
// bytes are refused before farea.idx is looked for.
TEST(AcceptanceAreasE2E, FareaWithoutRecords) {
    ZUNT_SKIP_UNDER_WINDOWS("maps the drive letter through ZUNT_DRIVE_C");
    struct Case {
        std::string dat;
        bool idx;
        int exit_code;
        std::string err_tail;
        std::string log_line;
    };
    const Case cases[] = {
        {std::string("\x3A\x95\x01\x1A", 4), false, 1,
         "  Couldn't open farea.dat/farea.idx: No such file or directory\n",
         "! ZUNT Couldn't open c:\\max\\farea.dat/farea.idx, rc=2"},
        {std::string("\x3A\x95\x01\x1B", 4), false, 1, "  No valid Maximus 3.x farea.dat file",
         "! ZUNT c:\\max\\farea.dat is no valid Maximus 3.x farea.dat file"},
        {std::string("\x3A\x95\x01\x1A", 4), true, 0, "  No area for \"tool.zip\", skipping file!\n", ""},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "farea C:\\Max\\Farea.Dat\r\n");
        box.make_dir("max");
        box.write("max/farea.dat", c.dat);
        if (c.idx) box.write("max/farea.idx", "");
        box.write("max.log", download("files\\util\\tool.zip"));
        RunResult r = box.run({"/czunt.ctl"}, {{"ZUNT_DRIVE_C", box.dir()}});
        EXPECT_EQ(r.exit_code, c.exit_code) << c.err_tail;
        if (c.exit_code == 0) {
            EXPECT_EQ(pass_report(r.err), c.err_tail);
            continue;
        }
        EXPECT_TRUE(ends_with(r.err, c.err_tail)) << r.err;
        const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3], c.log_line);
    }
}

}  // namespace
}  // namespace zunt::e2e
