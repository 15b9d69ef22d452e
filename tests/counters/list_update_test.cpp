#include <gtest/gtest.h>

#include "counters/files_bbs_update.h"
#include "counters/list_rewrite.h"

namespace zunt {
namespace {

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


// The update straight on a list's bytes gives what splitting it into
// lines, updating them and joining them gives.
TEST(ApplyDownloadToBytes, SameAsTheLineByLineUpdate) {
    const std::string lists[] = {
        "A.ZIP  [ 3] Alpha  \r\nb.zip Beta\\\r\n\r\n   \r\n  more\r\n*.zip [1] all\r\na.zip",
        "a.zip [ 1] x\r\r\nlone\rcr a.zip\n\x1a\x1a",
        "hard\xff" "a.zip [2] y\xff\r\na.zip\r\n\x1a",
        "",
    };
    for (bool kill : {false, true}) {
        UpdateOptions options;
        options.kill_hard_space = kill;
        for (const std::string& bytes : lists) {
            for (const char* name : {"a.zip", "b.zip", "none.zip", ""}) {
                std::vector<std::string> lines = split_list_bytes(bytes);
                const DownloadOutcome want = apply_download(lines, options, name, 2);
                DownloadOutcome got{UpdateResult::not_found, 0};
                EXPECT_EQ(apply_download_to_bytes(bytes, options, name, 2, got), join_list_lines(lines))
                    << bytes << " / " << name;
                EXPECT_EQ(std::pair(got.code, got.new_count), std::pair(want.code, want.new_count));
            }
        }
    }
}

}  // namespace
}  // namespace zunt
