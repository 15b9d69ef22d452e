// Counting runs that load the file areas: the area and maxfiles.idx stops,
// and the real Maximus files of the fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kReading = "\xFE Reading config...\n";
const std::string kCtl = "counterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\nbbslog max.log\r\n";
const std::string kDownload = "+ 16 Dec 04:59:11 MAX  DL-Z files\\util\\tool.zip\r\n";

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(ZUNT_FIXTURES_DIR) + "/maximus/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The activity log's lines from the area step on, without day and time.
std::vector<std::string> area_log_lines(const std::string& text) {
    std::vector<std::string> lines;
    bool on = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        line = line.size() > 18 ? line.substr(0, 2) + line.substr(18) : line;
        if (line.find("Reading area configuration") != std::string::npos) on = true;
        if (on) lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

TEST(AreasE2E, LoadingStops) {
    const std::string head = kReading + "\xFE Parsing max.log 1 files\n\xFE Reading area config\n";
    struct Case {
        const char* name;
        std::string ctl;
        std::string err_tail;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"farea.idx missing", "farea max/farea.dat\r\n",
         "  Couldn't open farea.dat/farea.idx: No such file or directory\n",
         {"! ZUNT Couldn't open max/farea.dat/farea.idx, rc=2"}},
        {"not a farea.dat", "farea max/bad.dat\r\n", "  No valid Maximus 3.x farea.dat file",
         {"! ZUNT max/bad.dat is no valid Maximus 3.x farea.dat file"}},
        {"ascii syntax", "asciiareafile areas.txt\r\n", "  Syntax error in ascii area file",
         {"! ZUNT Syntax error in ascii area file"}},
        {"maxfiles.idx missing", "farea board/farea.dat\r\nmaxfilesidx board/none.idx\r\n",
         "\xFE Opening maxfiles.idx\n  Couldn't open maxfiles.idx: No such file or directory\n",
         {"* ZUNT Reading maxfiles.idx into memory",
          "! ZUNT Couldn't open \"board/none.idx\", rc=2"}},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write("zunt.ctl", kCtl + c.ctl);
        box.write("max.log", kDownload);
        box.write("max/farea.dat", fixture("farea.dat"));
        box.write("max/bad.dat", "NOT MAXIMUS");
        box.write("areas.txt", "Util files\\util\r\nLonely\r\n");
        box.write("board/farea.dat", fixture("farea.dat"));
        box.write("board/farea.idx", fixture("farea.idx"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 1) << c.name;
        EXPECT_EQ(r.err, head + c.err_tail) << c.name;
        std::vector<std::string> want = {"* ZUNT Reading area configuration into memory"};
        want.insert(want.end(), c.log.begin(), c.log.end());
        want.push_back("+ ZUNT End.");
        want.push_back("");
        EXPECT_EQ(area_log_lines(box.read("zunt.log")), want) << c.name;
    }
}


// The real Maximus files of a Unix board: areas, the download directory and
// maxfiles.idx (relaxed) each find a list.
TEST(AreasE2E, RealMaximusBoard) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "farea max/farea.dat\r\nmaxfilesidx max/maxfiles.idx\r\n"
                                 "relaxedindexmatch yes\r\n");
    for (const char* f : {"farea.dat", "farea.idx", "maxfiles.idx"}) box.write(std::string("max/") + f, fixture(f));
    box.write("files/util/files.bbs", fixture("filesbbs/util_files.bbs"));
    box.write("lists/games.bbs", fixture("filesbbs/games.bbs"));
    box.write("files/docs/files.bbs", fixture("filesbbs/docs_files.bbs"));
    box.write("upload/files.bbs", "NEW.ZIP      [ 1] Just in\r\n");
    std::string log;
    for (const char* path : {"files/util/pkz204g.exe", "incoming/nethack.lzh", "upload/new.zip",
                             "nowhere/unknown.zip", "files/docs/fts-0001.txt"}) {
        log += std::string("+ 16 Dec 04:59:11 MAX  DL-Z ") + path + "\r\n";
    }
    box.write("max.log", log);
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    for (const char* line : {"  Incremented DLC for pkz204g.exe by 1 to 13\n",
                             "  Incremented DLC for nethack.zip by 1 to 4\n",
                             "  Incremented DLC for new.zip by 1 to 2\n",
                             "  No area for \"unknown.zip\", skipping file!\n",
                             "  No existing DLC for fts-0001.txt, created new one!\n"}) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
    }
    const std::vector<std::string> lines = area_log_lines(box.read("zunt.log"));
    for (const char* line :
         {"# ZUNT No FILES.BBS for \"incoming/nethack.lzh\" in Area.Dat or DL dir, used Maxfiles.Idx",
          "# ZUNT No FILES.BBS for \"upload/new.zip\" in Area.Dat, used FILES.BBS in DL dir",
          "+ ZUNT No FILES.BBS for \"nowhere/unknown.zip\" in Area.Dat or nowhere/"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

}  // namespace
}  // namespace zunt::e2e
