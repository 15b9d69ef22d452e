#include "logscan/log_scanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "e2e/e2e_util.h"
#include "list/download_list.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

using Counts = std::vector<long>;

std::string board(const std::string& message) { return "+ 16 Dec 04:59:11 MAX  " + message + "\r\n"; }
std::string binkd(const std::string& path) {
    return "+ 16 Dec 04:59:11 [1234567] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}

class LogScannerTest : public ::testing::Test {
protected:
    LogScannerTest() {
        settings.mailer_strings = {"sent:", "DL-"};
        settings.log_list = {dir.path("max.log"), dir.path("binkd.log")};
    }

    // One run over `logs`: scan each, then commit.
    Counts run(const std::vector<std::string>& logs, bool force = false) {
        Counts counts;
        ActivityLog alog;
        alog.open(env, dir.path("zunt.log"), "ZUNT Begin", false);
        for (const std::string& name : logs)
            counts.push_back(scan_log(env, settings, alog, force, dir.path(name), downloads, staging).count);
        Transaction changes(env, dir.path("zunt.jnl"));
        failures = stage_scan_positions(changes, alog, staging, dir.path("uploads.log"), downloads).failures;
        changes.commit();
        alog.close("ZUNT End");
        return counts;
    }
    // The paths listed since the last call.
    std::vector<std::string> taken() {
        std::vector<std::string> p;
        for (std::size_t i = 0; i < downloads.size(); ++i) p.push_back(downloads.path(i));
        downloads.clear();
        return p;
    }
    bool logged(const std::string& text) const { return dir.read("zunt.log").find(text) != std::string::npos; }

    e2e::Sandbox dir;
    Env& env = default_env();
    ControlSettings settings;
    DownloadSeq downloads;
    ScanStaging staging;
    std::vector<CommitFailure> failures;
};

TEST_F(LogScannerTest, FirstRunSecondRunAndForcedRun) {
    dir.write("max.log", board("DL-Z D:\\FILES\\A.ZIP") + board("DL-Z d:\\in\\a.tic") +
                             board("Caller logged off") + "\r\n");
    dir.write("binkd.log", binkd("/srv/files/b.zip") + binkd("/srv/out/0001.pkt"));
    // A log named twice is read once a run.
    EXPECT_EQ(run({"max.log", "binkd.log", "max.log"}), (Counts{1, 1, 0}));
    EXPECT_EQ(taken(), (std::vector<std::string>{"d:\\files\\a.zip", "d:\\in\\a.tic", "/srv/files/b.zip"}));
    // The position points at the last non-empty line.
    const std::string last = board("Caller logged off");
    Errno e = 0;
    EXPECT_EQ(load_scan_position(env, dir.path("max.znt"), e),
              (ScanPosition{board("DL-Z D:\\FILES\\A.ZIP").size() + board("DL-Z d:\\in\\a.tic").size(),
                            last.substr(0, last.size() - 2)}));

    EXPECT_EQ(run({"max.log", "binkd.log"}), (Counts{0, 0}));
    EXPECT_EQ(run({"max.log", "max.log"}, true), (Counts{1, 0}));  // /f
    // Nor under another name of the same file; each name keeps the position.
    std::filesystem::create_symlink(dir.path("max.log"), dir.path("link.log"));
    EXPECT_EQ(run({"max.log", "link.log", "./max.log"}, true), (Counts{1, 0, 0}));
    EXPECT_EQ(dir.read("link.znt"), dir.read("max.znt"));
}

TEST_F(LogScannerTest, LongLinesAreReadInPiecesThatCanBeRemembered) {
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + board(std::string(600, 'x')));
    EXPECT_EQ(run({"max.log"}), (Counts{1}));
    Errno e = 0;
    EXPECT_EQ(load_scan_position(env, dir.path("max.znt"), e).value_or(ScanPosition{}).text, std::string(623 - 511, 'x'));
    EXPECT_EQ(run({"max.log"}), (Counts{0}));
    EXPECT_FALSE(logged("mismatch"));
}

// A log read from its start for its remembered line is read once: what
// came up to and including the last equal line is dropped again, the
// uploader named before it included, and earlier logs keep theirs.
TEST_F(LogScannerTest, MovedLineDropsWhatCameBeforeItsLastCopy) {
    settings.upload_log_path = dir.path("uploads.log");
    settings.log_list = {dir.path("binkd.log"), dir.path("max.log")};
    const std::string mark = board("Jane Roe U#=7 logged on");
    dir.write("max.znt", encode_scan_position({5, mark.substr(0, mark.size() - 2)}));
    dir.write("binkd.log", binkd("/f/b.zip"));
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + mark + board("UL-Z d:\\up\\x.zip") +
                             board("DL-Z d:\\files\\a.zip") + mark + board("UL-Z d:\\up\\y.zip") +
                             board("DL-Z d:\\files\\c.zip") + board("DL-Z d:\\in\\c.tic"));
    const long before = list_node_count;
    EXPECT_EQ(run({"binkd.log", "max.log"}), (Counts{1, 1}));
    EXPECT_EQ(list_node_count, before + 3);
    EXPECT_EQ(taken(), (std::vector<std::string>{"/f/b.zip", "d:\\files\\c.zip", "d:\\in\\c.tic"}));
    EXPECT_EQ(dir.read("uploads.log"), "16 Dec 04:59:11 UL: d:\\up\\y.zip (by )\r\n");
    EXPECT_TRUE(logged("ZUNT Log position mismatch - scanning from start"));
}

TEST_F(LogScannerTest, UnwritablePositionLeavesTheLogForTheNextRun) {
    settings.upload_log_path = dir.path("uploads.log");
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + board("UL-Z d:\\upload\\new.zip"));
    dir.write("binkd.log", binkd("/f/b.zip"));
    dir.make_dir("max.znt");  // cannot be replaced by a file
    const long before = list_node_count;
    EXPECT_EQ(run({"max.log", "binkd.log"}), (Counts{1, 1}));
    EXPECT_EQ(list_node_count, before + 1);
    EXPECT_EQ(taken(), (std::vector<std::string>{"/f/b.zip"}));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].dropped, 1);
    EXPECT_EQ(dir.read("uploads.log"), "");
    EXPECT_TRUE(logged("! ") && logged("ZUNT Couldn't write scan position file"));
}

// A position file that exists but cannot be opened or read must not make
// the log count again from its start: the log waits for a run that can.
TEST_F(LogScannerTest, UnreadablePositionLeavesTheLogForTheNextRun) {
    const std::string counted = "+ 16 Dec 04:59:11 MAX  DL-Z d:\\files\\a.zip";
    dir.write("max.log", counted + "\r\n" + board("DL-Z d:\\files\\b.zip"));
    dir.write("max.znt", encode_scan_position({0, counted}));
    // The log's open is operation 1, the position file's 2, its read 3.
    const auto scanned = ScanStatus::scanned, unread = ScanStatus::cannot_open;
    for (const auto& [fail_at, status, count] : {std::tuple{0L, scanned, 1u}, {2L, unread, 0u}, {3L, unread, 0u}}) {
        testing::FaultEnv faulty(default_env(), fail_at);
        ActivityLog alog;
        ScanStaging fresh;
        EXPECT_EQ(scan_log(faulty, settings, alog, false, dir.path("max.log"), downloads, fresh).status, status);
        EXPECT_EQ(downloads.size(), count) << fail_at;
        EXPECT_EQ(fresh.logs.empty(), count == 0) << fail_at;
        downloads.clear();
    }
}

// A log of many megabytes is read in blocks, each shared by two threads:
// whatever stands on either side of a block's or a half's edge must count
// exactly as in a log read line by line. The uploader is named in one half
// and used in the next, the remembered line and the Ctrl-Z stand inside a
// block, and a line longer than two blocks sends reading back to line by
// line.
TEST_F(LogScannerTest, LogsOfManyBlocksReadAsOneLog) {
    settings.upload_log_path = dir.path("uploads.log");
    const std::string remembered = "+ 16 Dec 04:59:11 MAX  Jane Roe U#=7 logged on";
    struct Case {
        const char* name;
        long middle_at;  // the download the middle line stands before
        std::string middle;
        bool remember;   // a .znt names the middle line at another offset
        long first, end;  // the downloads [first, end) are taken
        long total;       // downloads in the log
        const char* uploads;
    };
    const Case cases[] = {
        {"whole", 60000, board("Caller logged off"), false, 0, 120000, 120000,
         "(by Joe Bloggs)(by Joe Bloggs)(by Joe Bloggs)"},
        {"remembered line", 60000, remembered + "\r\n", true, 60000, 120000, 120000, "(by )"},
        {"Ctrl-Z", 30000, "\x1a", false, 0, 30000, 120000, "(by Joe Bloggs)"},
        {"line longer than two blocks", 60000, board(std::string(9 << 20, 'x')), false, 0, 120000, 120000,
         "(by Joe Bloggs)(by Joe Bloggs)(by Joe Bloggs)"},
        // Three blocks, the last too short to be halved: nothing of the
        // first block's second half may be counted again with it.
        {"short third block", 60000, board("Caller logged off"), false, 0, 185000, 185000,
         "(by Joe Bloggs)(by Joe Bloggs)(by Joe Bloggs)(by Joe Bloggs)"},
    };
    for (const Case& c : cases) {
        std::string log = board("Joe Bloggs U#=3 logged on");
        std::vector<std::string> expected;
        for (long i = 0; i < c.total; ++i) {
            if (i == c.middle_at) log += c.middle;
            if (i % 50000 == 7) log += board("UL-Z d:\\up\\x.zip");
            const std::string path = "d:\\files\\f" + std::to_string(i % 997) + ".zip";
            log += board("DL-Z " + path);
            if (i >= c.first && i < c.end) expected.push_back(path);
        }
        dir.write("max.log", log);
        dir.write("uploads.log", "");
        std::filesystem::remove(dir.path("max.znt"));
        if (c.remember) dir.write("max.znt", encode_scan_position({1, remembered}));
        EXPECT_EQ(run({"max.log"}), (Counts{c.end - c.first})) << c.name;
        EXPECT_EQ(taken(), expected) << c.name;
        std::string uploaders;
        const std::string u = dir.read("uploads.log");
        for (std::size_t by = u.find("(by"); by != std::string::npos; by = u.find("(by", by + 1))
            uploaders += u.substr(by, u.find(')', by) + 1 - by);
        EXPECT_EQ(uploaders, c.uploads) << c.name;
    }
}

}  // namespace
}  // namespace zunt
