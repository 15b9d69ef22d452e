#include <gtest/gtest.h>

#include "counters/files_bbs_update.h"
#include "counters/list_rewrite.h"
#include "areas/area_test_util.h"
#include "config/settings.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

using testing::slurp;

// Counting several downloads through the index must leave, after every one
// of them, the very lines (and outcome) that applying them one by one over
// the whole list gives: the ".bak" is taken between two of them.
TEST(ListUpdate, SameLinesAfterEveryDownloadAsOneRewriteEach) {
    const std::vector<std::string> list = {
        "-- Utilities --  ", "", "A.ZIP      [ 3] Alpha   ", "b.zip Beta without counter\\", "c.zip", "   ",
        "  continued description ", "*.arj [ 1] every arj", "d?.zip [ 2] any d", "[ef].zip { 4} e or f",
        "a.zip [ 7] Alpha again", "hard\xff" "space.zip [ 1] kept\xff", "g.zip [ 9]"};
    const std::vector<std::pair<std::string, long long>> downloads = {
        {"c.zip", 1},  {"a.zip", 2},  {"x.arj", 1},  {"d1.zip", 3},  {"e.zip", 1},
        {"zz.zip", 1}, {"c.zip", 2},  {"b.zip", 1},  {"b.zip", 4},   {"g.zip", 1},
        {"a.zip", 1},  {"hard", 1},   {"", 1},       {"f.zip", 2},   {"y.arj", 1},
    };
    for (bool kill : {false, true}) {
        for (int style : {1, 2}) {
            const UpdateOptions options{CounterFormat{style, 3, false, 14}, kill};
            std::vector<std::string> one_by_one = list, indexed = list;
            ListUpdate update(indexed, options);
            for (std::size_t i = 0; i < downloads.size(); ++i) {
                const auto& [name, n] = downloads[i];
                DownloadOutcome want = apply_download(one_by_one, options, name, n);
                DownloadOutcome got = update.apply(name, n);
                EXPECT_EQ(std::pair(got.code, got.new_count), std::pair(want.code, want.new_count)) << i << name;
                ASSERT_EQ(indexed, one_by_one) << "after download " << i << " (" << name << ")"
                                               << " kill " << kill << " style " << style;
            }
        }
    }
}


// Lists of odd shapes: every way a line can differ from what the update
// writes for it, and lines or runs of lines that straddle the pieces a
// streamed rewrite reads the list in.
std::vector<std::string> odd_lists() {
    std::vector<std::string> lists = {
        "A.ZIP  [ 3] Alpha  \r\nb.zip Beta\\\r\n\r\n   \r\n  more\r\n*.zip [1] all\r\na.zip",
        "a.zip [ 1] x\r\r\nlone\rcr a.zip\n\x1a\x1a",
        "hard\xff" "a.zip [2] y\xff\r\na.zip\r\n\x1a",
        "a.zip\xff\r\nb.zip [ 5] hard\xff" "space\r\nA.ZIP\xff" "[ 1]\r\n",
        "lf only\na.zip [ 9] lf\n\nb.zip\n",
        "trailing \\ \r\na.zip [ 2] \\\\\r\n \\\r\n\\\r\nb.zip \r\r\n\r",
        "mid\x1a" "ctrl-z\r\n\x1a\r\na.zip [ 3]\x1a\r\n\x1a",
        "[ab].zip { 3} set\r\na?zip [ 2] one\r\n*.* all\r\nA.Z*\r\n?.zip\r\n",
        "no final line end a.zip",
        "\r\n\r\n\n\r",
        "\x1a\x1a\x1a",
        "",
    };
    // Long lines around the size of a read piece (64 KiB), with and without
    // line ends, and a list closed by a long run of Ctrl-Z.
    for (std::size_t len : {65534u, 65535u, 65536u, 65537u, 200000u}) {
        const std::string filler(len, 'x');
        lists.push_back("a.zip " + filler + "\r\nb.zip [ 1] short\r\n");
        lists.push_back("b.zip\r\n" + filler);
        lists.push_back("a.zip [ 4] " + filler + " \r\nA.ZIP\r\n");
        lists.push_back(filler + "\r\n\n");
    }
    lists.push_back("a.zip [ 1]\r\n" + std::string(70000, '\x1a'));
    // Many lines of varying length: every line end falls somewhere new
    // against the pieces read.
    std::string many;
    for (int i = 0; i < 6000; ++i) {
        many += "f" + std::to_string(i % 700) + ".zip " + std::string(static_cast<std::size_t>(i % 97), 'd');
        many += i % 11 == 0 ? " \r\n" : i % 13 == 0 ? "\n" : i % 17 == 0 ? "\xff\r\n" : "\r\n";
    }
    lists.push_back(many);
    return lists;
}

const char* const kNames[] = {"a.zip", "b.zip", "f123.zip", "none.zip", ""};

// The update straight on a list's bytes, and the rewrite on disk that reads
// the list in pieces, give what splitting it into lines, updating them and
// joining them gives.
TEST(UpdateFilesBbs, SameBytesAsTheLineByLineUpdate) {
    testing::ScratchDir dir("streamed");
    for (bool kill : {false, true}) {
        ControlSettings settings;
        settings.counter_style = 1;
        settings.counter_length = 3;
        settings.kill_hard_space = kill;
        const UpdateOptions options = update_options_from(settings);
        for (const std::string& bytes : odd_lists()) {
            for (const char* name : kNames) {
                std::vector<std::string> lines = split_list_bytes(bytes);
                const DownloadOutcome want = apply_download(lines, options, name, 2);
                const std::string want_bytes = join_list_lines(lines);
                const std::string what = bytes.substr(0, 80) + " / " + name + (kill ? " kill" : "");
                DownloadOutcome got{UpdateResult::not_found, 0};
                EXPECT_EQ(apply_download_to_bytes(bytes, options, name, 2, got), want_bytes) << what;
                EXPECT_EQ(std::pair(got.code, got.new_count), std::pair(want.code, want.new_count)) << what;
                dir.write("files.bbs", bytes);
                long long count = -1;
                EXPECT_EQ(update_files_bbs(default_env(), settings, dir.path("files.bbs"), name, count, 2), want.code);
                EXPECT_EQ(count, want.code == UpdateResult::ok ? want.new_count : -1) << what;
                EXPECT_EQ(slurp(dir.path("files.bbs")), want_bytes) << what;
                EXPECT_EQ(slurp(dir.path("files.bak")), bytes) << what;
            }
        }
    }
}

// Whatever step of the streamed rewrite fails (a read, a write of a run
// taken straight from the read buffer or of gathered lines, the sync, a
// rename), the list keeps its old bytes and no temporary file stays.
TEST(UpdateFilesBbs, EveryFailurePointLeavesTheListWhole) {
    testing::ScratchDir dir("streamfail");
    std::string old_list;
    for (int i = 0; i < 4000; ++i) old_list += "f" + std::to_string(i) + ".zip [ 1] " + std::string(40, 'd') + "\r\n";
    old_list += "a.zip\n";
    ControlSettings settings;
    settings.counter_style = 1;
    settings.counter_length = 3;
    std::vector<std::string> want_lines = split_list_bytes(old_list);
    apply_download(want_lines, update_options_from(settings), "f2000.zip", 1);
    const std::string new_list = join_list_lines(want_lines);
    long fail_at = 1;
    for (;; ++fail_at) {
        dir.write("files.bbs", old_list);
        testing::FaultEnv env(default_env(), fail_at);
        long long count = 0;
        const UpdateResult r = update_files_bbs(env, settings, dir.path("files.bbs"), "f2000.zip", count, 1);
        if (!env.fired()) {
            EXPECT_EQ(r, UpdateResult::ok);
            EXPECT_EQ(slurp(dir.path("files.bbs")), new_list);
            break;
        }
        if (r == UpdateResult::ok) {
            EXPECT_EQ(slurp(dir.path("files.bbs")), new_list) << fail_at;  // a failed clean-up only
        } else {
            EXPECT_EQ(slurp(dir.path("files.bbs")), old_list) << fail_at;
        }
        for (const auto& e : std::filesystem::directory_iterator(dir.root()))
            EXPECT_EQ(e.path().string().find(".~zt"), std::string::npos) << fail_at << " " << e.path();
        std::filesystem::remove(dir.path("files.bak"));
    }
    EXPECT_GT(fail_at, 15);  // several reads and writes of the list among them
}

}  // namespace
}  // namespace zunt
