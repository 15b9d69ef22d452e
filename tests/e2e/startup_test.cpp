// Start-up as a sysop sees it: the help text, the switches, the control
// file's checks with their exact messages, paths as the board writes them,
// and the activity log's blocks.
#include <gtest/gtest.h>

#include <regex>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kBanner =
    "\r\nZUNT 1.30  A FAST! Downloadcounter for Maximus CBCS 3.x and mailers.\r\n";
const std::string kReading = "\xFE Reading config...\n";
const std::string kBase = "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\n";
// What a /s run without bulletin settings prints once the control file was
// accepted.
const std::string kAccepted =
    "\xFE Creating statistics output\n  TextOut or BBSOut or Statfile not defined in zunt.ctl\n";
const std::string kStamp = "[ 123][0-9] [A-Z][a-z][a-z] [0-2][0-9]:[0-5][0-9]:[0-5][0-9] ";

std::string illegal(int line, const std::string& text) {
    return "  Illegal config line in zunt.ctl\n  (Line " + std::to_string(line) + ", \"" + text + "\")\n";
}
std::string unknown(int line, const std::string& text) {
    return "  Unknown config line in zunt.ctl\n  (Line " + std::to_string(line) + ", \"" + text + "\")\n";
}

// Every run stops with exit code 1 after the banner; /s runs of an accepted
// control file get as far as the bulletin settings.
TEST(StartupE2E, RefusalsAndControlFileChecks) {
    const std::vector<std::string> s = {"/czunt.ctl", "/s"};
    struct Case {
        std::vector<std::string> args;
        std::string ctl;  // written as zunt.ctl when not empty
        std::string err;  // standard error; after "Reading config..." unless it starts with "\n"
        const char* dir = "";  // made as a directory when not empty
    } cases[] = {
        {{"NOSORT"}, "", "\nIllegal command line switch: \"nosort\"\n"},
        {{"/x", "/?"}, "", "\nIllegal command line switch: \"/x\"\n"},
        {{"/c" + std::string(260, 'a')}, "", "\nControl file name too long (at most 259 characters)\n"},
        {{"/c"}, "", "  Can't open  (No such file or directory)\n"},
        {{"/cNOPE.CTL"}, "", "  Can't open nope.ctl (No such file or directory)\n"},
        {{"/cconf"}, "", "  Can't open conf (Is a directory)\n", "Conf"},
        {{"/czunt.ctl"}, "; c\r\n\r\nFArea\r\n", illegal(3, "FArea")},
        {{"/czunt.ctl"}, "; c\r\n\r\n\r\n\r\nFoo Bar\\\r\n", unknown(5, "Foo Bar")},
        {{"/czunt.ctl"}, "counterlength 65537\r\n", "  Illegal CounterLength (must be 1-6) in zunt.ctl\n"},
        {{"/czunt.ctl"}, "counterlength 2\r\n",
         "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not possible.\n"
         "  Need CounterStyle in zunt.ctl\n"},
        {{"/czunt.ctl"}, "maxfilesidx x\r\nasciiareafile a\r\n", "  You can't use Maxfiles.Idx without Area.Dat\n"},
        {{"/czunt.ctl"}, kBase + "sortby name\r\n", "  You didn't specify SortOrder in zunt.ctl\n"},
        {{"/czunt.ctl"}, kBase + "logfile zunt.log\r\n", "  Error opening log file!\n", "zunt.log"},
        {s, kBase + "counterstyle 0\r\n", "  Illegal CounterStyle in zunt.ctl\n"},
        {s, kBase + "counterstyle 9\r\nbogus\r\n", "  Illegal CounterStyle in zunt.ctl\n"},
        {s, kBase + "top 101\r\n", "  Illegal Top (must be 1-100) in zunt.ctl\n"},
        {s, kBase + "maxdesclen -1\r\n", "  Illegal TruncateDesc (must be 0-1024) in zunt.ctl\n"},
        {s, kBase + "sortby size\r\n", "  Illegal SortBy (must be either name or date) in zunt.ctl\n"},
        {s, kBase + "sortorder up\r\n", "  Illegal SortOrder (must be ascending or descending) in zunt.ctl\n"},
        {s, kBase + "tabulate 0\r\n", "  Illegal Tabulate (must be 0-25) in zunt.ctl\n"},
        {s, kBase + "tabulate 27\r\n", "  Illegal Tabulate (must be 0-25) in zunt.ctl\n"},
        {s, "farea f\r\ncounterstyle 2\r\n", "  Need CounterLength in zunt.ctl\n"},
        {s, "; debug\r\n" + kBase + "Debug\r\n", illegal(5, "Debug")},
        {s, kBase + " ; note\r\n", unknown(4, " ; note")},
        {s, kBase + "\ttop 3\r\n", unknown(4, "\ttop 3")},
        {s, kBase + "top\t3\r\n", illegal(4, "top\t3")},
        {s, kBase + "systemname " + std::string(510, 'x') + "\r\n", illegal(5, std::string(10, 'x'))},
        {s, "FAREA f\r\nCounterStyle  2\r\nCOUNTERLENGTH 6\r\n", kAccepted},
        {s, kBase + "  \\ \\  \r\n", kAccepted},
        {s, kBase + "debug no\r\n", kAccepted},
        {s, kBase + "tabulate 1\r\ntabulate 26\r\ntop 100\r\nmaxdesclen 0\r\n", kAccepted},
        {s, kBase + "sortorder descending\r\n", kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ctl + c.args[0]);
        Sandbox box;
        if (!c.ctl.empty()) box.write("zunt.ctl", c.ctl);
        if (*c.dir) box.make_dir(c.dir);
        RunResult r = box.run(c.args);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.out, kBanner);
        EXPECT_EQ(r.err, (c.err[0] == '\n' ? "" : kReading) + c.err);
    }
}

TEST(StartupE2E, HelpTextWholeAndNothingElse) {
    for (const char* help : {"/h", "/?", "-?", "/H", "-help"}) {
        Sandbox box;
        RunResult r = box.run({help, "/x"});
        EXPECT_EQ(r.exit_code, 0) << help;
        EXPECT_EQ(r.err, "") << help;
        EXPECT_EQ(r.out, kBanner +
                             "ZUNT is a download counter for Maximus 3.x and a wide range of mailers.\n\n"
                             "ZUNT will read all logs into memory, parse them and increase download\n"
                             "counters in your Files.Bbs accordingly.\n\nSwitches:\n\n"
                             " /c<cfg_file> - use cfg_file instead of ZUNT.CTL\n"
                             " /i           - initialize download counters in all Maximus file areas\n"
                             "                read all DLCs and initalize statfile\n"
                             " /f           - force; will process all downloads even if already processed\n"
                             " /s           - create 'Top Files' BBS/text from stat file\n"
                             " /? or /h     - this help text\n\n\n")
            << help;
    }
}

TEST(StartupE2E, DefaultControlFileBesideTheProgram) {
    Sandbox box;
    box.write("bin/ZUNT.CTL", "bogus\r\n");
    RunResult r = box.run({}, {}, RunOptions{"bin/zunt"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + illegal(1, "bogus"));
}

// A scheduler that sends both streams to one file reads the banner first:
// the console is written in blocks, each stream's before the other's.
TEST(StartupE2E, BothStreamsToOneFileKeepTheirOrder) {
    Sandbox box;
    box.write("zunt.ctl", "bogus\r\n");
    const RunResult apart = box.run({"/czunt.ctl"});
    RunOptions one;
    one.one_stream = true;
    const RunResult both = box.run({"/czunt.ctl"}, {}, one);
    EXPECT_EQ(both.exit_code, 1);
    EXPECT_EQ(both.out, apart.out + apart.err);
}

// Started without a directory, the program reads ZUNT.CTL in the current
// directory; /i wins over /s, and the switches take any case.
TEST(StartupE2E, InitializationWinsOverStatistics) {
    Sandbox box;
    box.write("ZUNT.CTL", "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 3\r\n");
    box.write("areas.txt", "");
    RunResult r = box.run({"-S", "-I", "nd", "NS"}, {}, RunOptions{"zunt"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err.find("Creating statistics output"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\xFE Initializing all counters\n"), std::string::npos) << r.err;
}

TEST(StartupE2E, BackslashesAndAnyCaseFindTheFile) {
    for (const auto& [arg, on_disk] : {std::pair{"/cBBS\\ZUNT.CTL", "bbs/Zunt.Ctl"},
                                       std::pair{"/cbbs/cfg\\zunt.ctl", "BBS/CFG/ZUNT.CTL"},
                                       std::pair{"/c.\\Bbs\\..\\bbs\\zunt.ctl", "bbs/zunt.ctl"}}) {
        Sandbox box;
        box.write(on_disk, "nonsense\r\n");
        RunResult r = box.run({arg});
        EXPECT_EQ(r.exit_code, 1) << arg;
        EXPECT_EQ(r.err, kReading + illegal(1, "nonsense")) << arg;
    }
}

TEST(StartupE2E, DriveLetterMappedThroughEnvironment) {
    ZUNT_SKIP_UNDER_WINDOWS("drive letters are the system's own on Windows, not ZUNT_DRIVE_X");
    Sandbox box;
    box.write("bbs/Zunt.Ctl", "nonsense\r\n");
    RunResult r = box.run({"/cQ:\\BBS\\ZUNT.CTL"}, {{"ZUNT_DRIVE_Q", box.dir()}});
    EXPECT_EQ(r.err, kReading + illegal(1, "nonsense"));
}

// The Begin line, and the block closed by End and an empty line on a stop.
TEST(StartupE2E, UploadLogFailureClosesTheActivityLogBlock) {
    Sandbox box;
    box.make_dir("up.log");  // a directory cannot be opened as the upload log
    box.write("zunt.ctl", kBase + "logfile ZUNT.LOG\r\nuploadlog up.log\r\n");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + "  Error opening upload log file: Is a directory\n");
    std::regex want("\\+ " + kStamp + "ZUNT Begin, ZUNT 1\\.30\\.wb\r\n! " + kStamp +
                    "ZUNT Couldn't open upload log file up\\.log, errno=21\r\n\\+ " + kStamp +
                    "ZUNT End\\. 0 files processed\r\n\r\n");
    EXPECT_TRUE(std::regex_match(box.read("zunt.log"), want)) << box.read("zunt.log");
}

// The activity log's path built from the environment; each run appends one
// block that ends in its End line and an empty line.
TEST(StartupE2E, ExpandedLogPathAndBlocksOfTwoRuns) {
    Sandbox box;
    box.write("zunt.ctl", kBase + "logfile %ZName%_%%_%NOPE%.LOG\r\n");
    for (int i = 0; i < 2; ++i) {
        RunResult r = box.run({"/czunt.ctl", "/s"}, {{"ZNAME", "Run"}});
        EXPECT_EQ(r.err, kReading + kAccepted);
    }
    const std::string block = "\\+ " + kStamp + "ZUNT Begin, ZUNT 1\\.30\\.wb\r\n\\* " + kStamp +
                              "ZUNT Creating statistics output\\.\\.\\.\r\n! " + kStamp +
                              "TextOut or BBSOut or Statfile not defined in zunt\\.ctl\r\n\\+ " + kStamp +
                              "ZUNT End\\.\r\n\r\n";
    const std::string log = box.read("run_%_envnotfound.log");
    EXPECT_TRUE(std::regex_match(log, std::regex(block + block))) << log;
}

TEST(StartupE2E, DebugWithoutLogfileWritesNoDebugLines) {
    Sandbox box;
    box.write("zunt.ctl", kBase + "debug yes\r\nbbslog board.log\r\n");
    box.write("board.log", "");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err.find("Debug"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, kBanner);
}

}  // namespace
}  // namespace zunt::e2e
