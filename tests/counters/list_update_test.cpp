#include <gtest/gtest.h>

#include "counters/files_bbs_update.h"

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
                DownloadOutcome got = update.update_files_bbs(name, n);
                EXPECT_EQ(std::pair(got.code, got.new_count), std::pair(want.code, want.new_count)) << i << name;
                ASSERT_EQ(indexed, one_by_one) << "after download " << i << " (" << name << ")"
                                               << " kill " << kill << " style " << style;
            }
        }
    }
}


}  // namespace
}  // namespace zunt
