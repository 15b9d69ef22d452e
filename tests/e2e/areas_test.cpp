// Counting runs that load the file areas: which FILES.BBS each download is
// counted in, for ASCII area files, farea.dat records and maxfiles.idx
// entries built byte by byte and the real Maximus files of the fixtures, and
// the ASCII area file's syntax errors.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "areas/area_test_util.h"
#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

using zunt::testing::build_farea;
using zunt::testing::maxfiles_record;
using zunt::testing::TestArea;

const std::string kReading = "\xFE Reading config...\n";
const std::string kCtl = "counterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\nbbslog max.log\r\n";

std::string download(const std::string& path) { return "* 16 Dec 04:59:11 MAX  DL-Z " + path + "\r\n"; }

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(ZUNT_FIXTURES_DIR) + "/maximus/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The activity log without day and time.
std::string untimed_log(const Sandbox& box) {
    return std::regex_replace(box.read("zunt.log"), std::regex("(^|\n)(.) [ 0-9]\\d \\w{3} \\d\\d:\\d\\d:\\d\\d "),
                              "$1$2 ");
}

// The activity log's lines that say where a list was found (or not).
std::vector<std::string> location_lines(const Sandbox& box) {
    std::vector<std::string> lines;
    std::istringstream in(untimed_log(box));
    for (std::string line; std::getline(in, line);)
        if (line.find("No FILES.BBS") != std::string::npos)
            lines.push_back(line.substr(0, line.size() - 1));
    return lines;
}

// The report of the counting pass: the console lines after its progress line
// up to the statistics or clean-up line.
std::string pass_report(const std::string& err) {
    const std::string head = "\xFE Scanning FILES.BBS\n";
    const std::size_t at = err.find(head);
    const std::size_t from = at + head.size();
    return at == std::string::npos ? "no pass: " + err : err.substr(from, err.find('\xFE', from) - from);
}

// A tab belongs to its field, so "Util<TAB>files\util" is one field: a
// syntax error, like a lone field, an empty line or a line of blanks. (The
// other loading stops are the area step's unit tests.)
TEST(AreasE2E, AsciiAreaFileSyntaxErrors) {
    for (const char* areas : {"Util files\\util\r\nLonely\r\n", "Util\tfiles\\util\r\n", "Util files\\util\r\n\r\n",
                              "Util files\\util\r\n   \r\n", "\r\nUtil files\\util\r\n"}) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\n");
        box.write("max.log", download("files\\util\\tool.zip"));
        box.write("areas.txt", areas);
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 1) << areas;
        EXPECT_EQ(r.err, kReading + "\xFE Parsing max.log 1 files\n\xFE Reading area config\n"
                                    "  Syntax error in ascii area file") << areas;
        EXPECT_TRUE(untimed_log(box).ends_with(crlf("* ZUNT Reading area configuration into memory\n"
                                                    "! ZUNT Syntax error in ascii area file\n+ ZUNT End.\n\n")))
            << untimed_log(box);
    }
}

// The real Maximus files of a Unix board: areas, the download directory and
// maxfiles.idx (relaxed) each find a list. Found in maxfiles.idx under
// another extension, the statistics name the file as the area lists it.
TEST(AreasE2E, RealMaximusBoard) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "farea max/farea.dat\r\nmaxfilesidx max/maxfiles.idx\r\n"
                                 "relaxedindexmatch yes\r\nstatistics zunt.sta\r\n");
    for (const char* f : {"farea.dat", "farea.idx", "maxfiles.idx"}) box.write(std::string("max/") + f, fixture(f));
    box.write("files/util/files.bbs", fixture("filesbbs/util_files.bbs"));
    box.write("lists/games.bbs", fixture("filesbbs/games.bbs"));
    box.write("files/docs/files.bbs", fixture("filesbbs/docs_files.bbs"));
    box.write("upload/files.bbs", "NEW.ZIP      [ 1] Just in\r\n");
    std::string log;
    for (const char* path : {"files/util/pkz204g.exe", "incoming/nethack.lzh", "upload/new.zip",
                             "nowhere/unknown.zip", "files/docs/fts-0001.txt"})
        log += download(path);
    box.write("max.log", log);
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    for (const char* line : {"  Incremented DLC for pkz204g.exe by 1 to 13\n",
                             "  Incremented DLC for nethack.zip by 1 to 4\n",
                             "  Incremented DLC for new.zip by 1 to 2\n",
                             "  No area for \"unknown.zip\", skipping file!\n",
                             "  No existing DLC for fts-0001.txt, created new one!\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
    const std::vector<std::string> want = {
        "# ZUNT No FILES.BBS for \"incoming/nethack.lzh\" in Area.Dat or DL dir, used Maxfiles.Idx",
        "+ ZUNT No FILES.BBS for \"nowhere/unknown.zip\" in Area.Dat or nowhere/",
        "# ZUNT No FILES.BBS for \"upload/new.zip\" in Area.Dat, used FILES.BBS in DL dir"};
    EXPECT_EQ(location_lines(box), want);
    EXPECT_NE(box.read("zunt.sta").find(std::string("incoming/nethack.zip\0", 21)), std::string::npos);
}

// Each ASCII area file line form, and the list that a download from its
// directory is then counted in.
TEST(AreasE2E, AsciiAreaFileFields) {
    const std::pair<const char*, bool> cases[] = {  // the line; counted in lists/util.bbs
        {"Util Files\\Util\r\n", false},
        {"   Util    files\\util     Lists\\UTIL.BBS\r\n", true},
        {"Util files\\util lists\\util.bbs lists\\other.bbs\r\n", true},
        {"Util files\\util lists\\util.bbs", true},
        {"Util files\\util lists\\util.bbs\r\nAgain files\\util\r\n", true},
    };
    for (const auto& [line, in_lists] : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\n");
        box.write("areas.txt", line);
        box.write("max.log", download("files\\util\\tool.zip"));
        box.write("files/util/files.bbs", "tool.zip [ 1] In the directory\r\n");
        box.write("lists/util.bbs", "tool.zip [ 5] In the lists\r\n");
        box.write("lists/other.bbs", "tool.zip [ 7] Never\r\n");
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0) << line;
        EXPECT_EQ(pass_report(r.err), in_lists ? "  Incremented DLC for tool.zip by 1 to 6\n"
                                               : "  Incremented DLC for tool.zip by 1 to 2\n")
            << line;
        EXPECT_EQ(box.read("lists/other.bbs"), "tool.zip [ 7] Never\r\n") << line;
        EXPECT_TRUE(location_lines(box).empty()) << line;
    }
}

// farea.dat records: the attribute mask, overrides, heap strings in any
// case, an empty FILES.BBS string; then maxfiles.idx strict and relaxed
// (its log line is in RealMaximusBoard).
TEST(AreasE2E, FareaRecordsAndMaxfilesIndex) {
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
    const struct {
        const char* path;
        bool relaxed;
        std::string report;
    } cases[] = {
        {"files\\util\\tool.zip", false, "  Incremented DLC for tool.zip by 1 to 4\n"},
        {"files\\games\\chess.zip", false, "  Incremented DLC for chess.zip by 1 to 10\n"},
        {"files\\hidden\\x.zip", false, "  No area for \"x.zip\", skipping file!\n"},
        {"files\\div\\x.zip", false, "  No area for \"x.zip\", skipping file!\n"},
        // maxfiles.idx: an area without FILES.BBS string gives its download
        // directory's files.bbs.
        {"elsewhere\\game.zip", false, "  Incremented DLC for game.zip by 1 to 3\n"},
        {"elsewhere\\abcdefgh.zip", false, "  Incremented DLC for abcdefgh.zip by 1 to 2\n"},
        {"elsewhere\\old.zip", false, "  No area for \"old.zip\", skipping file!\n"},
        {"elsewhere\\old.zip", true, "  Incremented DLC for old.lzh by 1 to 6\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.relaxed ? " relaxed" : ""));
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
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(pass_report(r.err), c.report);
    }
}

// A farea.dat of only its magic number and an empty farea.idx: no areas.
TEST(AreasE2E, FareaWithoutRecords) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "farea max\\farea.dat\r\n");
    box.write("max/farea.dat", std::string("\x3A\x95\x01\x1A", 4));
    box.write("max/farea.idx", "");
    box.write("max.log", download("files\\util\\tool.zip"));
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(pass_report(r.err), "  No area for \"tool.zip\", skipping file!\n");
}

// With UseAreaDatFirst no the download directory is tried first, and the
// log says when the area's list was used instead.
TEST(AreasE2E, DownloadDirectoryFirst) {
    Sandbox box;
    write_area_config(box, kCtl + "useareadatfirst no\r\n", "Area area lists\\area.bbs\r\n");
    box.write("lists/area.bbs", "a.zip [ 1] A\r\n");
    box.write("dl/files.bbs", "b.zip [ 1] B\r\n");
    box.write("max.log", download("area\\a.zip") + download("dl\\b.zip") + download("none\\c.zip"));
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);  // which list each file is found in is the locator's unit test
    const std::vector<std::string> want = {
        "# ZUNT No FILES.BBS for \"area\\a.zip\" in DL dir found, using Area.Dat",
        "+ ZUNT No FILES.BBS for \"none\\c.zip\" in Area.Dat or none\\"};
    EXPECT_EQ(location_lines(box), want);
}

// A files.bbs that nobody may write is not taken from the download
// directory, also when the program runs with every privilege: the area's
// list is used, or the file has no area. Neither list is touched.
TEST(AreasE2E, ReadOnlyListInDownloadDirectoryIsNotFound) {
    ZUNT_SKIP_UNDER_WINDOWS("write permission bits stand for the read-only attribute");
    for (const char* first : {"yes", "no"}) {
        SCOPED_TRACE(first);
        Sandbox box;
        write_area_config(box, kCtl + "useareadatfirst " + first + "\r\n", "Area area lists\\area.bbs\r\n");
        box.write("lists/area.bbs", "a.zip [ 1] A\r\n");
        box.write("area/files.bbs", "a.zip [ 7] A\r\n");
        box.write("dl/files.bbs", "b.zip [ 1] B\r\n");
        ASSERT_EQ(::chmod(box.path("area/files.bbs").c_str(), 0444), 0);
        ASSERT_EQ(::chmod(box.path("dl/files.bbs").c_str(), 0444), 0);
        box.write("max.log", download("area\\a.zip") + download("dl\\b.zip"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(pass_report(r.err), "  Incremented DLC for a.zip by 1 to 2\n"
                                      "  No area for \"b.zip\", skipping file!\n");
        EXPECT_EQ(box.read("area/files.bbs"), "a.zip [ 7] A\r\n");
        EXPECT_EQ(box.read("dl/files.bbs"), "b.zip [ 1] B\r\n");
        std::vector<std::string> want = {"+ ZUNT No FILES.BBS for \"dl\\b.zip\" in Area.Dat or dl\\"};
        if (std::string(first) == "no")
            want.insert(want.begin(), "# ZUNT No FILES.BBS for \"area\\a.zip\" in DL dir found, using Area.Dat");
        EXPECT_EQ(location_lines(box), want);
    }
}

}  // namespace
}  // namespace zunt::e2e
