// A scan position file that exists but cannot be read must not make the
// scanner count its log again from the start: the log waits for a run that
// can read it.
#include <gtest/gtest.h>

#include <tuple>
#include <type_traits>

#include "logscan/log_scanner.h"
#include "logscan/scan_position.h"
#include "logscan/scan_test_util.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

// The container scan_log appends to, whatever it is called.
template <class F> struct DownloadsOf;
template <class R, class... A> struct DownloadsOf<R (*)(A...)> {
    using type = std::remove_reference_t<std::tuple_element_t<5, std::tuple<A...>>>;
};
using Downloads = DownloadsOf<decltype(&scan_log)>::type;

TEST(UnreadablePosition, LogIsLeftForTheNextRun) {
    testing::ScanDir dir{"unreadable"};
    const std::string counted = "+ 16 Dec 04:59:11 MAX  DL-Z d:\\files\\a.zip";
    dir.write("max.log", counted + "\r\n+ 16 Dec 04:59:12 MAX  DL-Z d:\\files\\b.zip\r\n");
    dir.write("max.znt", encode_scan_position({0, counted}));
    ControlSettings settings;
    settings.mailer_strings = {"DL-"};
    settings.log_list = {dir.path("max.log")};
    struct Case {
        long fail_at;  // the log's open is operation 1, the position file's 2, its read 3
        ScanStatus status;
        std::size_t downloads;
    };
    for (const Case& c : {Case{0, ScanStatus::scanned, 1}, Case{2, ScanStatus::cannot_open, 0},
                          Case{3, ScanStatus::cannot_open, 0}}) {
        testing::FaultEnv env(default_env(), c.fail_at);
        ActivityLog log;
        Downloads downloads;
        ScanStaging staging;
        ScanResult r = scan_log(env, settings, log, false, dir.path("max.log"), downloads, staging);
        EXPECT_EQ(r.status, c.status) << c.fail_at;
        EXPECT_EQ(downloads.size(), c.downloads) << c.fail_at;
        EXPECT_EQ(staging.logs.empty(), c.downloads == 0) << c.fail_at;
    }
}

TEST(UnreadablePosition, MissingFileOrDirectoryIsNoPosition) {
    testing::ScanDir dir{"noposition"};
    Errno e = -1;
    EXPECT_FALSE(load_scan_position(default_env(), dir.path("none.znt"), e));
    EXPECT_EQ(e, 0);
    std::filesystem::create_directory(dir.path("dir.znt"));
    EXPECT_FALSE(load_scan_position(default_env(), dir.path("dir.znt"), e));
    EXPECT_EQ(e, 0);
}

}  // namespace
}  // namespace zunt
