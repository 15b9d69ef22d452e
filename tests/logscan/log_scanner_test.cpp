#include "logscan/log_scanner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_util.h"
#include "list/download_list.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

std::string board(const std::string& message) { return "+ 16 Dec 04:59:11 MAX  " + message + "\r\n"; }

struct LogScannerTest : ::testing::Test {
    LogScannerTest() {
        settings.log_list = {dir.path("max.log")};
        settings.upload_log_path = dir.path("uploads.log");
    }
    ScanResult scan(Env& env, const std::string& name) {
        ActivityLog alog;
        return scan_log(env, settings, alog, false, dir.path(name), downloads, staging);
    }
    e2e::Sandbox dir;
    ControlSettings settings;
    DownloadSeq downloads;
    ScanStaging staging;
};

// A position file that exists but cannot be opened or read must not make
// the log count again from its start: the log waits for a run that can.
// Nor does a log met again under another name count again.
TEST_F(LogScannerTest, UnreadablePositionOrSecondNameCountsNothingAgain) {
    const std::string counted = "+ 16 Dec 04:59:11 MAX  DL-Z d:\\files\\a.zip";
    dir.write("max.log", counted + "\r\n" + board("DL-Z d:\\files\\b.zip"));
    dir.write("max.znt", encode_scan_position({0, counted}));
    // The log's open is operation 1, the position file's 2, its read 3.
    for (long fail_at : {2L, 3L, 0L}) {
        testing::FaultEnv faulty(default_env(), fail_at);
        EXPECT_EQ(scan(fail_at ? faulty : default_env(), "max.log").status, fail_at ? ScanStatus::cannot_open : ScanStatus::scanned);
        EXPECT_EQ(downloads.size() + staging.logs.size(), fail_at ? 0u : 2u) << fail_at;
    }
    std::filesystem::create_symlink(dir.path("max.log"), dir.path("link.log"));
    EXPECT_EQ(scan(default_env(), "link.log").count, 0);
}

// A log of many megabytes is read in pieces by several threads: whatever
// stands on either side of a piece's or a block's edge must count exactly as
// in a log read line by line. The uploader is named in one block and used in
// the next, the remembered line and the Ctrl-Z stand inside a block, and a
// line too long to hold sends reading back to line by line.
TEST_F(LogScannerTest, LogsOfManyBlocksReadAsOneLog) {
    const std::string remembered = "+ 16 Dec 04:59:11 MAX  Jane Roe U#=7 logged on", off = board("Caller logged off");
    // Before download `middle_at` stands `middle`, which a .znt names at
    // another offset when `remember`; of `total` downloads [first, end) are
    // taken, and `uploads` are copied, by `by`.
    const struct { long middle_at; std::string middle; bool remember; long first, end, total; int uploads; const char* by; std::size_t read_parts = 0; } cases[] = {
        {60000, off, false, 0, 120000, 120000, 3, "Joe Bloggs"},
        // The disk gives a piece in parts.
        {60000, off, false, 0, 120000, 120000, 3, "Joe Bloggs", 1000},
        {60000, remembered + "\r\n", true, 60000, 120000, 120000, 1, ""},
        {30000, "\x1a", false, 0, 30000, 120000, 1, "Joe Bloggs"},
        {60000, board(std::string(9 << 20, 'x')), false, 0, 120000, 120000, 3, "Joe Bloggs"},
        // Three blocks, the last a few pieces: nothing of the blocks
        // before may be counted again with it.
        {60000, off, false, 0, 185000, 185000, 4, "Joe Bloggs"},
    };
    for (const auto& c : cases) {
        std::string log = board("Joe Bloggs U#=3 logged on"), uploads;
        std::vector<std::string> expected;
        for (long i = 0; i < c.total; ++i) {
            if (i == c.middle_at) log += c.middle;
            if (i % 50000 == 7) log += board("UL-Z d:\\up\\x.zip");
            const std::string path = "d:\\files\\f" + std::to_string(i % 997) + ".zip";
            log += board("DL-Z " + path);
            if (i >= c.first && i < c.end) expected.push_back(path);
        }
        for (int u = 0; u < c.uploads; ++u) uploads += "16 Dec 04:59:11 UL: d:\\up\\x.zip (by " + std::string(c.by) + ")\r\n";
        dir.write("max.log", log), dir.write("uploads.log", "");
        dir.write("max.znt", c.remember ? encode_scan_position({1, remembered}) : "");
        testing::FaultEnv in_parts(default_env());
        in_parts.read_parts = c.read_parts;
        EXPECT_EQ(scan(in_parts, "max.log").count, c.end - c.first) << c.total << c.middle.size();
        ActivityLog alog;
        Transaction changes(default_env(), dir.path("zunt.jnl"));
        stage_scan_positions(changes, alog, staging, settings.upload_log_path, downloads);
        changes.commit();
        std::vector<std::string> taken;
        for (std::size_t i = 0; i < downloads.size(); ++i) taken.push_back(downloads.path(i));
        downloads.clear();
        EXPECT_EQ(taken, expected);
        EXPECT_EQ(dir.read("uploads.log"), uploads);
    }
}

}  // namespace
}  // namespace zunt
