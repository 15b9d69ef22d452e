// Acceptance: start-up as a sysop sees it -- the help text, the switches, the
// control file's checks with their exact messages, environment references
// in paths, and the activity log's blocks across runs.
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

TEST(AcceptanceStartupE2E, HelpTextWhole) {
    Sandbox box;
    RunResult r = box.run({"/h"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, kBanner +
                         "ZUNT is a download counter for Maximus 3.x and a wide range of mailers.\n"
                         "\n"
                         "ZUNT will read all logs into memory, parse them and increase download\n"
                         "counters in your Files.Bbs accordingly.\n"
                         "\n"
                         "Switches:\n"
                         "\n"
                         " /c<cfg_file> - use cfg_file instead of ZUNT.CTL\n"
                         " /i           - initialize download counters in all Maximus file areas\n"
                         "                read all DLCs and initalize statfile\n"
                         " /f           - force; will process all downloads even if already processed\n"
                         " /s           - create 'Top Files' BBS/text from stat file\n"
                         " /? or /h     - this help text\n"
                         "\n"
                         "\n");
}

// Each control file is run with /s: a refused one stops with its message and
// exit code 1, an accepted one gets as far as the bulletin settings.
TEST(AcceptanceStartupE2E, ControlFileChecksEndToEnd) {
    struct Case {
        const char* name;
        std::string ctl;
        std::string err;  // standard error after "Reading config..."
    } cases[] = {
        {"style 0", kBase + "counterstyle 0\r\n", "  Illegal CounterStyle in zunt.ctl\n"},
        {"check stops at once", kBase + "counterstyle 9\r\nbogus\r\n",
         "  Illegal CounterStyle in zunt.ctl\n"},
        {"areas 2049", kBase + "maxfileareas 2049\r\n",
         "  Illegal MaxFileAres (must be 1-2048) in zunt.ctl\n"},
        {"top 101", kBase + "top 101\r\n", "  Illegal Top (must be 1-100) in zunt.ctl\n"},
        {"maxdesclen -1", kBase + "maxdesclen -1\r\n",
         "  Illegal TruncateDesc (must be 0-1024) in zunt.ctl\n"},
        {"sortby size", kBase + "sortby size\r\n",
         "  Illegal SortBy (must be either name or date) in zunt.ctl\n"},
        {"sortorder up", kBase + "sortorder up\r\n",
         "  Illegal SortOrder (must be ascending or descending) in zunt.ctl\n"},
        {"tabulate 0", kBase + "tabulate 0\r\n", "  Illegal Tabulate (must be 0-25) in zunt.ctl\n"},
        {"tabulate 27", kBase + "tabulate 27\r\n", "  Illegal Tabulate (must be 0-25) in zunt.ctl\n"},
        {"need length", "farea f\r\ncounterstyle 2\r\n", "  Need CounterLength in zunt.ctl\n"},
        {"debug without value", "; debug\r\n" + kBase + "Debug\r\n",
         "  Illegal config line in zunt.ctl\n  (Line 5, \"Debug\")\n"},
        {"blank before comment", kBase + " ; note\r\n",
         "  Unknown config line in zunt.ctl\n  (Line 4, \" ; note\")\n"},
        {"tab before keyword", kBase + "\ttop 3\r\n",
         "  Unknown config line in zunt.ctl\n  (Line 4, \"\ttop 3\")\n"},
        {"tab but no blank", kBase + "top\t3\r\n",
         "  Illegal config line in zunt.ctl\n  (Line 4, \"top\t3\")\n"},
        {"line cut at 511", kBase + "systemname " + std::string(510, 'x') + "\r\n",
         "  Illegal config line in zunt.ctl\n  (Line 5, \"" + std::string(10, 'x') + "\")\n"},
        {"capitals and two blanks", "FAREA f\r\nCounterStyle  2\r\nCOUNTERLENGTH 6\r\n", kAccepted},
        {"blanks and backslashes only", kBase + "  \\ \\  \r\n", kAccepted},
        {"debug no switches on", kBase + "debug no\r\n", kAccepted},
        {"range ends", kBase + "tabulate 1\r\ntabulate 26\r\ntop 100\r\nmaxdesclen 0\r\n", kAccepted},
        {"sortorder alone", kBase + "sortorder descending\r\n", kAccepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox box;
        box.write("zunt.ctl", c.ctl);
        RunResult r = box.run({"/czunt.ctl", "/s"});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.out, kBanner);
        EXPECT_EQ(r.err, kReading + c.err);
    }
}

TEST(AcceptanceStartupE2E, ControlFileNamedInCapitalsIsReadInLowerCase) {
    ZUNT_SKIP_UNDER_WINDOWS("d: is a real drive on Windows");
    Sandbox box;
    RunResult r = box.run({"/CD:\\BBS\\MY.CTL"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + "  Can't open d:\\bbs\\my.ctl (No such file or directory)\n");
}

// Started without a directory, the program reads ZUNT.CTL in the current
// directory.
TEST(AcceptanceStartupE2E, InitializationWinsOverStatistics) {
    Sandbox box;
    box.write("ZUNT.CTL", "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 3\r\n");
    box.write("areas.txt", "");
    RunResult r = box.run({"-S", "-I", "nd", "NS"}, {}, RunOptions{"zunt"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err.find("Creating statistics output"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\xFE Initializing all counters\n"), std::string::npos) << r.err;
}

// The activity log's path built from the environment; each run appends one
// block that ends in its End line and an empty line.
TEST(AcceptanceStartupE2E, ExpandedLogPathAndBlocksOfTwoRuns) {
    Sandbox box;
    box.write("zunt.ctl", kBase + "logfile %ZName%_%%_%NOPE%.LOG\r\n");
    for (int i = 0; i < 2; ++i) {
        RunResult r = box.run({"/czunt.ctl", "/s"}, {{"ZNAME", "Run"}});
        EXPECT_EQ(r.err, kReading + kAccepted);
    }
    const std::string stamp = "[ 123][0-9] [A-Z][a-z][a-z] [0-2][0-9]:[0-5][0-9]:[0-5][0-9] ";
    const std::string block = "\\+ " + stamp + "ZUNT Begin, ZUNT 1\\.30\\.wb\r\n\\* " + stamp +
                              "ZUNT Creating statistics output\\.\\.\\.\r\n! " + stamp +
                              "TextOut or BBSOut or Statfile not defined in zunt\\.ctl\r\n\\+ " + stamp +
                              "ZUNT End\\.\r\n\r\n";
    const std::string log = box.read("run_%_envnotfound.log");
    EXPECT_TRUE(std::regex_match(log, std::regex(block + block))) << log;
}

TEST(AcceptanceStartupE2E, DebugWithoutLogfileWritesNoDebugLines) {
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
