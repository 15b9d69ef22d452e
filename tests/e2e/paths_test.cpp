// DOS paths as the board writes them reach the right file on every host:
// natively on Windows, through the path conventions elsewhere.
#include <gtest/gtest.h>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kReading = "\xFE Reading config...\n";

TEST(PathsE2E, BackslashesAndAnyCaseFindTheFile) {
    struct Case {
        const char* arg;
        const char* on_disk;
    };
    const Case cases[] = {
        {"/cBBS\\ZUNT.CTL", "bbs/Zunt.Ctl"},
        {"/cbbs/cfg\\zunt.ctl", "BBS/CFG/ZUNT.CTL"},
        {"/c.\\Bbs\\..\\bbs\\zunt.ctl", "bbs/zunt.ctl"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        box.write(c.on_disk, "nonsense\r\n");
        RunResult r = box.run({c.arg});
        EXPECT_EQ(r.exit_code, 1) << c.arg;
        EXPECT_EQ(r.err, kReading + "  Illegal config line in zunt.ctl\n  (Line 1, \"nonsense\")\n")
            << c.arg;
    }
}

// Opening a directory as a file reads the same on every host.
TEST(PathsE2E, DirectoryAsControlFile) {
    Sandbox box;
    box.make_dir("Conf");
    RunResult r = box.run({"/cconf"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, kReading + "  Can't open conf (Is a directory)\n");
}

}  // namespace
}  // namespace zunt::e2e
