#include <gtest/gtest.h>

#include <regex>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kBanner =
    "\r\nZUNT 1.30  A FAST! Downloadcounter for Maximus CBCS 3.x and mailers.\r\n";
const std::string kReading = "\xFE Reading config...\n";
const std::string kGoodCtl = "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\n";

struct StartCase {
    const char* name;
    std::vector<std::string> args;
    std::string ctl;  // written as zunt.ctl when not empty
    int exit_code;
    std::string err;  // expected standard error
};

TEST(StartupE2E, ConsoleAndExitCodes) {
    const StartCase cases[] = {
        {"illegal switch", {"/x"}, "", 1, "\nIllegal command line switch: \"/x\"\n"},
        {"lone slash", {"/"}, "", 1, "\nIllegal command line switch: \"/\"\n"},
        {"nosort has key no", {"NOSORT"}, "", 1, "\nIllegal command line switch: \"nosort\"\n"},
        {"bad switch before help", {"/x", "/?"}, "", 1,
         "\nIllegal command line switch: \"/x\"\n"},
        {"empty /c", {"/c"}, "", 1, kReading + "  Can't open  (No such file or directory)\n"},
        {"missing file lower-cased", {"/cNOPE.CTL"}, "", 1,
         kReading + "  Can't open nope.ctl (No such file or directory)\n"},
        {"line without blank", {"/czunt.ctl"}, "; c\r\n\r\nFArea\r\n", 1,
         kReading + "  Illegal config line in zunt.ctl\n  (Line 3, \"FArea\")\n"},
        {"unknown keyword", {"/czunt.ctl"}, "; c\r\n\r\n\r\n\r\nFoo Bar\\\r\n", 1,
         kReading + "  Unknown config line in zunt.ctl\n  (Line 5, \"Foo Bar\")\n"},
        {"counterlength full value", {"/czunt.ctl"}, "counterlength 65537\r\n", 1,
         kReading + "  Illegal CounterLength (must be 1-6) in zunt.ctl\n"},
        {"no area file then missing style", {"/czunt.ctl"}, "counterlength 2\r\n", 1,
         kReading +
             "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not possible.\n"
             "  Need CounterStyle in zunt.ctl\n"},
        {"maxfilesidx without farea", {"/czunt.ctl"}, "maxfilesidx x\r\nasciiareafile a\r\n", 1,
         kReading + "  You can't use Maxfiles.Idx without Area.Dat\n"},
        {"sortby without sortorder", {"/czunt.ctl"}, kGoodCtl + "sortby name\r\n", 1,
         kReading + "  You didn't specify SortOrder in zunt.ctl\n"},
        {"overlong /c", {"/c" + std::string(260, 'a')}, "", 1,
         "\nControl file name too long (at most 259 characters)\n"},
    };
    for (const auto& c : cases) {
        Sandbox box;
        if (!c.ctl.empty()) box.write("zunt.ctl", c.ctl);
        RunResult r = box.run(c.args);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.name;
        EXPECT_EQ(r.out, kBanner) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
}

TEST(StartupE2E, HelpEndsAtOnceWhateverFollows) {
    for (const char* help : {"/?", "-?", "/H", "-help"}) {
        Sandbox box;
        RunResult r = box.run({help, "/x"});
        EXPECT_EQ(r.exit_code, 0) << help;
        EXPECT_EQ(r.err, "") << help;
        ASSERT_EQ(r.out.rfind(kBanner + "ZUNT is a download counter", 0), 0u) << help;
        EXPECT_NE(r.out.find("\n /? or /h     - this help text\n\n\n"), std::string::npos);
    }
}

TEST(StartupE2E, DefaultControlFileBesideTheProgram) {
    Sandbox box;
    box.write("bin/ZUNT.CTL", "bogus\r\n");
    RunResult r = box.run({}, {}, RunOptions{"bin/zunt"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + "  Illegal config line in zunt.ctl\n  (Line 1, \"bogus\")\n");
}

// The Begin line, and the block closed by End and an empty line on a stop.
TEST(StartupE2E, UploadLogFailureClosesTheActivityLogBlock) {
    Sandbox box;
    box.make_dir("up.log");  // a directory cannot be opened as the upload log
    box.write("zunt.ctl", kGoodCtl + "logfile ZUNT.LOG\r\nuploadlog up.log\r\n");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + "  Error opening upload log file: Is a directory\n");
    const std::string stamp = "[ 123][0-9] [A-Z][a-z][a-z] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] ";
    std::regex want("\\+ " + stamp + "ZUNT Begin, ZUNT 1\\.30\\.wb\r\n" + "! " + stamp +
                    "ZUNT Couldn't open upload log file up\\.log, errno=21\r\n" + "\\+ " + stamp +
                    "ZUNT End\\. 0 files processed\r\n\r\n");
    EXPECT_TRUE(std::regex_match(box.read("zunt.log"), want)) << box.read("zunt.log");
}

TEST(StartupE2E, NoAreaFileWarnsAndGoesOn) {
    Sandbox box;
    box.write("zunt.ctl", "counterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err.rfind(kReading +
                              "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not "
                              "possible.\n",
                          0),
              0u)
        << r.err;
    EXPECT_NE(box.read("zunt.log").find("ZUNT Begin, ZUNT 1.30.wb\r\n"), std::string::npos);
}

TEST(StartupE2E, ActivityLogThatCannotBeOpenedStops) {
    Sandbox box;
    box.make_dir("zunt.log");
    box.write("zunt.ctl", kGoodCtl + "logfile zunt.log\r\n");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + "  Error opening log file!\n");
}

TEST(StartupE2E, DriveLetterMappedThroughEnvironment) {
    ZUNT_SKIP_UNDER_WINDOWS("drive letters are the system's own on Windows, not ZUNT_DRIVE_X");
    Sandbox box;
    box.write("bbs/Zunt.Ctl", "nonsense\r\n");
    RunResult r = box.run({"/cQ:\\BBS\\ZUNT.CTL"}, {{"ZUNT_DRIVE_Q", box.dir()}});
    EXPECT_EQ(r.err, kReading + "  Illegal config line in zunt.ctl\n  (Line 1, \"nonsense\")\n");
    r = box.run({"/cr:\\bbs\\zunt.ctl"});
    EXPECT_EQ(r.err, kReading + "  Can't open r:\\bbs\\zunt.ctl (No such file or directory)\n");
}

}  // namespace
}  // namespace zunt::e2e
