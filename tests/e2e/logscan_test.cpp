// Counting runs as far as the logs: the per-log lines, "Nothing to do!", and
// the scan position files and upload lines written at the run's commit.
#include <gtest/gtest.h>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

const std::string kReading = "\xFE Reading config...\n";
const std::string kCtl =
    "farea c:\\max\\farea\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n"
    "mailerstring sent:\r\n";

std::string board(const std::string& message) { return "+ 16 Dec 04:59:11 MAX  " + message + "\r\n"; }

// The activity log's lines without their day and time.
std::vector<std::string> log_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        lines.push_back(line.size() > 18 ? line.substr(0, 2) + line.substr(18) : line);
        start = end + 2;
    }
    return lines;
}

TEST(LogScanE2E, NothingToDo) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "bbslog missing.log\r\nmailerlog empty.log\r\nbbslog tics.log\r\n"
                                 "debug yes\r\n");
    box.write("empty.log", "");
    box.write("tics.log", board("DL-Z d:\\in\\a1b2.tic") + "\x1a");
    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, kReading + "\xFE Parsing missing.log unable to open, skipped\n"
                                "\xFE Parsing empty.log 0 files\n"
                                "\xFE Parsing tics.log 0 files\n"
                                "\xFE Nothing to do!\n\n");
    const std::vector<std::string> want = {
        "+ ZUNT Begin, ZUNT 1.30.wb",
        "* ZUNT Parsing log: missing.log",
        "! ZUNT Couldn't open missing.log, rc=2",
        "* ZUNT Parsing log: empty.log",
        "* ZUNT 0 files processed",
        // The control file's lists count too: three logs and two tokens.
        "? ZUNT [Debug] There are currently 5 dynamic list elements",
        "* ZUNT Parsing log: tics.log",
        "* ZUNT 0 files processed",
        "? ZUNT [Debug] There are currently 6 dynamic list elements",
        "? ZUNT [Debug] There are currently 6 dynamic list elements",
        "+ ZUNT End. 0 files processed",
        "",
    };
    EXPECT_EQ(log_lines(box.read("zunt.log")), want);
    EXPECT_FALSE(box.exists("missing.znt"));
    EXPECT_EQ(box.read("empty.znt"), std::string("\0\0\0\0\x10\0\0\0CaNnOtbEmAtChEd!", 24));
    EXPECT_EQ(box.read("tics.znt").substr(8), board("DL-Z d:\\in\\a1b2.tic").substr(0, 42));
}

TEST(LogScanE2E, UploadsAreCopiedOnceAtTheCommit) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "bbslog max.log\r\nuploadlog uploads.log\r\n");
    box.write("max.log", board("John Doe U#=12 logged on") + board("UL-Z d:\\upload\\new.zip"));
    for (int run = 0; run < 2; ++run) {
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.err, kReading + "\xFE Parsing max.log 0 files\n\xFE Nothing to do!\n\n");
    }
    EXPECT_EQ(box.read("uploads.log"), "16 Dec 04:59:11 UL: d:\\upload\\new.zip (by John Doe)\r\n");
}

TEST(LogScanE2E, PerLogCounts) {
    Sandbox box;
    box.write("zunt.ctl", kCtl + "bbslog max.log\r\nmailerlog binkd.log\r\nmailerlog odd.znt\r\n");
    box.write("max.log", board("DL-Z d:\\files\\a.zip") + board("DL-Z D:\\FILES\\B.ZIP"));
    box.write("binkd.log",
              "+ 16 Dec 04:59:11 [1234567] sent: /srv/files/c.zip (12345, 3456.78 CPS, 2:5020/1)\r\n");
    box.write("odd.znt", board("DL-Z d:\\files\\a.zip"));
    RunResult r = box.run({"/czunt.ctl"});
    const std::string head = kReading + "\xFE Parsing max.log 2 files\n"
                                        "\xFE Parsing binkd.log 1 files\n"
                                        "\xFE Parsing odd.znt has the scan position file "
                                        "extension .znt, skipped\n";
    EXPECT_EQ(r.err.substr(0, head.size()), head);
    const std::vector<std::string> lines = log_lines(box.read("zunt.log"));
    ASSERT_GE(lines.size(), 7u);
    const std::vector<std::string> want = {
        "+ ZUNT Begin, ZUNT 1.30.wb",
        "* ZUNT Parsing log: max.log",
        "* ZUNT 2 files processed",
        "* ZUNT Parsing log: binkd.log",
        "* ZUNT 1 files processed",
        "* ZUNT Parsing log: odd.znt",
        "! ZUNT Log odd.znt has the scan position file extension .znt, skipped",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), want);
    EXPECT_EQ(box.read("odd.znt"), board("DL-Z d:\\files\\a.zip"));
}

}  // namespace
}  // namespace zunt::e2e
