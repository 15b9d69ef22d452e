#include "logscan/log_scanner.h"

#include <gtest/gtest.h>

#include "list/download_list.h"
#include "logscan/scan_test_util.h"

namespace zunt {
namespace {

using testing::ScanDir;

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
    std::vector<long> run(const std::vector<std::string>& logs, bool force = false) {
        std::vector<long> counts;
        ActivityLog alog;
        alog.open(env, dir.path("zunt.log"), "ZUNT Begin", false);
        for (const std::string& name : logs) {
            ScanResult r = scan_log(env, settings, alog, force, dir.path(name), downloads, staging);
            counts.push_back(r.status == ScanStatus::scanned ? r.count : static_cast<long>(r.status));
        }
        std::unique_ptr<File> f;
        env.open(dir.path("uploads.log"), Access::append, Share::deny_none, f);
        TextWriter uploads(*f);
        failures = commit_scan_positions(env, alog, staging, &uploads, downloads);
        uploads.flush();
        alog.close("ZUNT End");
        return counts;
    }
    std::vector<std::string> paths() const {
        std::vector<std::string> p;
        for (std::size_t i = 0; i < downloads.size(); ++i) p.push_back(downloads.path(i));
        return p;
    }

    ScanDir dir{"scanner"};
    Env& env = default_env();
    ControlSettings settings;
    DownloadSeq downloads;
    ScanStaging staging;
    std::vector<CommitFailure> failures;
};

TEST_F(LogScannerTest, FirstRunSecondRunAndAppendedLines) {
    dir.write("max.log", board("DL-Z D:\\FILES\\A.ZIP") + board("DL-Z d:\\in\\a.tic") +
                             board("Caller logged off") + "\r\n");
    dir.write("binkd.log", binkd("/srv/files/b.zip") + binkd("/srv/out/0001.pkt"));
    EXPECT_EQ(run({"max.log", "binkd.log"}), (std::vector<long>{1, 1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"d:\\files\\a.zip", "d:\\in\\a.tic", "/srv/files/b.zip"}));
    // The position points at the last non-empty line.
    const std::string last = board("Caller logged off");
    EXPECT_EQ(load_scan_position(env, dir.path("max.znt")),
              (ScanPosition{board("DL-Z D:\\FILES\\A.ZIP").size() + board("DL-Z d:\\in\\a.tic").size(),
                            last.substr(0, last.size() - 2)}));

    downloads.clear();
    EXPECT_EQ(run({"max.log", "binkd.log"}), (std::vector<long>{0, 0}));
    dir.write("max.log", board("DL-Z d:\\files\\c.zip"), true);
    EXPECT_EQ(run({"max.log", "binkd.log"}), (std::vector<long>{1, 0}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"d:\\files\\c.zip"}));
    EXPECT_NE(dir.read("zunt.log").find("ZUNT Exact match - no log scan necessary"), std::string::npos);

    downloads.clear();
    EXPECT_EQ(run({"max.log"}, true), (std::vector<long>{2}));  // /f
}

TEST_F(LogScannerTest, UnfinishedLastLineWaitsForTheNextRun) {
    const std::string half = "+ 16 Dec 04:59:11 MAX  DL-Z d:\\files\\b.z";
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + half);
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    dir.write("max.log", "ip\r\n", true);
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"d:\\files\\a.zip", "d:\\files\\b.zip"}));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{0}));
}

TEST_F(LogScannerTest, CrLfLogEndedByCtrlZ) {
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") +
                             "+ 16 Dec 04:59:12 MAX  DL-Z d:\\files\\b.zip\x1a");
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{2}));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{0}));
}

TEST_F(LogScannerTest, LongLinesAreReadInPiecesThatCanBeRemembered) {
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + board(std::string(600, 'x')));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    const std::optional<ScanPosition> pos = load_scan_position(env, dir.path("max.znt"));
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->text, std::string(623 - 511, 'x'));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{0}));
    EXPECT_EQ(dir.read("zunt.log").find("mismatch"), std::string::npos);
}

TEST_F(LogScannerTest, TrimmedLogReadsOnAfterTheRememberedLine) {
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + board("DL-Z d:\\files\\b.zip"));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{2}));
    // Nightly maintenance cut the first line; then a new download came.
    dir.write("max.log", board("DL-Z d:\\files\\b.zip") + board("DL-Z d:\\files\\c.zip"));
    downloads.clear();
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"d:\\files\\c.zip"}));
    // The remembered line is now the log's first line: still found.
    dir.write("max.log", board("DL-Z d:\\files\\c.zip") + board("DL-Z d:\\files\\d.zip"));
    downloads.clear();
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"d:\\files\\d.zip"}));
    // Replaced by an unrelated, smaller log: scanned whole.
    dir.write("max.log", board("DL-Z d:\\x.zip"));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
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
    EXPECT_EQ(run({"binkd.log", "max.log"}), (std::vector<long>{1, 1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"/f/b.zip", "d:\\files\\c.zip", "d:\\in\\c.tic"}));
    EXPECT_EQ(list_node_count, before + 3);
    EXPECT_EQ(dir.read("uploads.log"), "16 Dec 04:59:11 UL: d:\\up\\y.zip (by )\r\n");
    EXPECT_NE(dir.read("zunt.log").find("ZUNT Log position mismatch - scanning from start"),
              std::string::npos);
}

TEST_F(LogScannerTest, RememberedEmptyLineAndNoLineAfterIt) {
    dir.write("max.znt", encode_scan_position({9999, ""}));
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + "\r\n" + board("DL-Z d:\\files\\b.zip") + "\r\n");
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{0}));
    EXPECT_EQ(load_scan_position(env, dir.path("max.znt")),
              (ScanPosition{2 * board("DL-Z d:\\files\\a.zip").size() + 2, ""}));
    dir.write("max.znt", encode_scan_position({9999, ""}));
    dir.write("max.log", board("DL-Z d:\\files\\b.zip"), true);
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"d:\\files\\b.zip"}));
}

TEST_F(LogScannerTest, LogListedTwiceIsCountedOnce) {
    settings.log_list = {dir.path("max.log"), dir.path("max.log")};
    dir.write("max.log", board("DL-Z d:\\files\\a.zip"));
    EXPECT_EQ(run({"max.log", "max.log"}), (std::vector<long>{1, 0}));
    EXPECT_EQ(run({"max.log", "max.log"}, true), (std::vector<long>{1, 0}));
}

TEST_F(LogScannerTest, LogsSharingAPositionNameKeepTheirOwn) {
    settings.log_list = {dir.path("binkley.log"), dir.path("binkley.ses")};
    dir.write("binkley.log", binkd("/f/a.zip"));
    dir.write("binkley.ses", binkd("/f/b.zip"));
    EXPECT_EQ(run({"binkley.log", "binkley.ses"}), (std::vector<long>{1, 1}));
    EXPECT_TRUE(dir.exists("binkley.znt"));
    EXPECT_TRUE(dir.exists("binkley.ses.znt"));
    EXPECT_EQ(run({"binkley.log", "binkley.ses"}), (std::vector<long>{0, 0}));
}

TEST_F(LogScannerTest, UnopenableAndPositionNamedLogs) {
    dir.write("odd.znt", board("DL-Z d:\\files\\a.zip"));
    EXPECT_EQ(run({"missing.log", "odd.znt"}),
              (std::vector<long>{static_cast<long>(ScanStatus::cannot_open),
                                 static_cast<long>(ScanStatus::position_name)}));
    EXPECT_FALSE(dir.exists("missing.znt"));
    EXPECT_EQ(dir.read("odd.znt"), board("DL-Z d:\\files\\a.zip"));
    ScanResult r = scan_log(env, settings, *std::make_unique<ActivityLog>(), false,
                            dir.path("missing.log"), downloads, staging);
    EXPECT_EQ(r.error, ENOENT);
}

TEST_F(LogScannerTest, DamagedPositionFileMeansWholeScan) {
    dir.write("max.log", board("DL-Z d:\\files\\a.zip"));
    dir.write("max.znt", std::string("\0\0\0\0\0\x10\0\0abc", 11));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{1}));
    EXPECT_EQ(dir.read("zunt.log").find("mismatch"), std::string::npos);
}

TEST_F(LogScannerTest, UploadsAreWrittenAtCommit) {
    settings.upload_log_path = dir.path("uploads.log");
    dir.write("max.log", board("UL-Z d:\\upload\\early.zip") + board("John Doe U#=12 logged on") +
                             board("UL-Z d:\\upload\\new.zip"));
    EXPECT_EQ(run({"max.log"}), (std::vector<long>{0}));
    EXPECT_EQ(dir.read("uploads.log"),
              "16 Dec 04:59:11 UL: d:\\upload\\early.zip (by )\r\n"
              "16 Dec 04:59:11 UL: d:\\upload\\new.zip (by John Doe)\r\n");
}

TEST_F(LogScannerTest, UnwritablePositionLeavesTheLogForTheNextRun) {
    settings.upload_log_path = dir.path("uploads.log");
    dir.write("max.log", board("DL-Z d:\\files\\a.zip") + board("UL-Z d:\\upload\\new.zip"));
    dir.write("binkd.log", binkd("/f/b.zip"));
    std::filesystem::create_directory(dir.path("max.znt"));  // cannot be replaced by a file
    const long before = list_node_count;
    EXPECT_EQ(run({"max.log", "binkd.log"}), (std::vector<long>{1, 1}));
    EXPECT_EQ(paths(), (std::vector<std::string>{"/f/b.zip"}));
    EXPECT_EQ(list_node_count, before + 1);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].dropped, 1);
    EXPECT_EQ(dir.read("uploads.log"), "");
    EXPECT_NE(dir.read("zunt.log").find("! "), std::string::npos);
    EXPECT_NE(dir.read("zunt.log").find("ZUNT Couldn't write scan position file"), std::string::npos);
}

}  // namespace
}  // namespace zunt
