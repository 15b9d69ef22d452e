// Counter fields as a counting run writes them into a FILES.BBS: raising an
// existing field, giving a line a new one, which lines match a download, and
// what happens to every other line of the list.
#include <gtest/gtest.h>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kBaseCtl = "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 3\r\nbbslog max.log\r\n";

struct ListCase {
    const char* what;
    std::string settings;  // added to the control file
    std::string list;      // files/util/files.bbs before the run
    std::vector<std::string> files;
    std::string want_list;
    std::string want_report;  // the console lines of the counting pass
    // The backup: the list as it stood before the last file's rewrite;
    // empty for the list before the run.
    std::string want_backup = "";
};

void run_case(const ListCase& c) {
    Sandbox box;
    box.write("zunt.ctl", kBaseCtl + c.settings);
    box.write("areas.txt", "Util files/util\r\n");
    box.write("files/util/files.bbs", c.list);
    box.write("files/util/files.bak", "a backup from an earlier run\r\n");
    std::string log;
    for (const std::string& name : c.files) log += "* 16 Dec 04:59:11 MAX  DL-Z files/util/" + name + "\r\n";
    box.write("max.log", log);
    const RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0) << c.what;
    const std::string pass = "\xFE Scanning FILES.BBS\n" + c.want_report + "\xFE Cleaning up, done!\n\n";
    EXPECT_NE(r.err.find(pass), std::string::npos) << c.what << "\n" << r.err;
    EXPECT_EQ(box.read("files/util/files.bbs"), c.want_list) << c.what;
    // The backup of an earlier run gave way.
    EXPECT_EQ(box.read("files/util/files.bak"), c.want_backup.empty() ? c.list : c.want_backup) << c.what;
}

std::string incremented(const std::string& name, int by, int to) {
    return "  Incremented DLC for " + name + " by " + std::to_string(by) + " to " + std::to_string(to) + "\n";
}
std::string created(const std::string& name) { return "  No existing DLC for " + name + ", created new one!\n"; }

// The field forms one by one are the list update's unit tests; here the ones
// whose console report or column a sysop sees.
TEST(CountersE2E, FieldsRaisedAndCreated) {
    const std::vector<ListCase> cases = {
        {"raised in place", "", "FILE.ZIP  [ 41] Nice tool\r\n", {"file.zip", "file.zip"},
         "FILE.ZIP  [ 43] Nice tool\r\n", incremented("file.zip", 2, 43)},
        {"new field holds the downloads", "", "file.zip Nice tool\r\n",
         std::vector<std::string>(12, "file.zip"), "file.zip      [ 12] Nice tool\r\n", created("file.zip")},
        {"other column", "tabulate 20\r\n", "file.zip Nice tool\r\n", {"file.zip"},
         "file.zip           [  1] Nice tool\r\n", created("file.zip")},
        {"name alone keeps a trailing blank", "", "FILE.ZIP\r\n", {"file.zip"},
         "FILE.ZIP      [  1] \r\n", created("file.zip")},
        {"(c) is no field", "", "FILE.ZIP (c) 1995 Someone\r\n", {"file.zip"},
         "FILE.ZIP      [  1] (c) 1995 Someone\r\n", created("file.zip")},
        {"unclosed field", "", "FILE.ZIP [12\r\n", {"file.zip"}, "FILE.ZIP      [  1] [12\r\n", created("file.zip")},
        {"empty field", "counterlength 1\r\ncounterstyle 4\r\n", "FILE.ZIP <> x\r\n", {"file.zip"},
         "FILE.ZIP <1> x\r\n", incremented("file.zip", 1, 1)},
        {"digits after a blank ignored", "", "a.zip [1 2] x\r\n", {"a.zip"}, "a.zip [  2] x\r\n",
         incremented("a.zip", 1, 2)},
    };
    for (const ListCase& c : cases) run_case(c);
}

TEST(CountersE2E, WhichLinesMatchAndHowTheOthersAreCopied) {
    const std::string list =
        "-- Archives   \r\n"
        "\r\n"
        "*.ZIP Every zip\r\n"
        " tool.zip indented, a continuation   \r\n"
        "TOOL.ZIP [ 2] upper case name\\\\\r\n"
        "file[0-9].arj [ 5] a class\r\n"
        "last.arj [ 1] no line end";
    const std::vector<ListCase> cases = {
        {"wildcard, upper case and class lines", "", list, {"tool.zip", "file7.arj", "last.arj"},
         "-- Archives\r\n"
         "\r\n"
         "*.ZIP         [  1] Every zip\r\n"
         " tool.zip indented, a continuation\r\n"
         "TOOL.ZIP [  3] upper case name\r\n"
         "file[0-9].arj [  6] a class\r\n"
         "last.arj [  2] no line end\r\n",
         incremented("file7.arj", 1, 6) + incremented("last.arj", 1, 2) + incremented("tool.zip", 1, 3),
         "-- Archives\r\n"
         "\r\n"
         "*.ZIP Every zip\r\n"
         " tool.zip indented, a continuation\r\n"
         "TOOL.ZIP [ 2] upper case name\r\n"
         "file[0-9].arj [  6] a class\r\n"
         "last.arj [  2] no line end\r\n"},
        {"not listed", "", "a.zip [ 1] x   \r\n\r\n- note \r\n\x1A", {"b.zip"},
         "a.zip [ 1] x\r\n\r\n- note\r\n", "  b.zip not found in files/util/files.bbs, skipped!\n"},
        // The second file's rewrite strips the blank the first one left.
        {"each rewrite strips every line", "", "A.ZIP\r\nB.ZIP [1] x\r\n", {"a.zip", "b.zip"},
         "A.ZIP         [  1]\r\nB.ZIP [  2] x\r\n", created("a.zip") + incremented("b.zip", 1, 2),
         "A.ZIP         [  1] \r\nB.ZIP [1] x\r\n"},
    };
    for (const ListCase& c : cases) run_case(c);
}

}  // namespace
}  // namespace zunt::e2e
