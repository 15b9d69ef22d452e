#include "list/download_seq.h"

#include <gtest/gtest.h>

#include "list/download_list.h"

namespace zunt {
namespace {

// Equal paths share one stored text; every download still counts as one
// list record, and the stored texts stay put as more arrive.
TEST(DownloadSeq, SharedPathsAndNodeCount) {
    const long base = list_node_count;
    {
        DownloadSeq s;
        std::vector<std::string> paths;
        for (int i = 0; i < 1000; ++i) paths.push_back("d:\\files\\area\\file" + std::to_string(i % 37) + ".zip");
        s.append_all({paths.begin(), paths.end()});
        EXPECT_EQ(list_node_count, base + 1000);
        EXPECT_EQ(s.distinct(), 37u);
        EXPECT_EQ(s.id(0), s.id(37));
        EXPECT_NE(s.id(0), s.id(1));
        EXPECT_EQ(s.path(999), "d:\\files\\area\\file0.zip");
        s.truncate(600);
        s.truncate(700);  // longer than it is: nothing happens
        EXPECT_EQ(s.size(), 600u);
        EXPECT_EQ(list_node_count, base + 600);
        std::vector<bool> keep(600, false);
        keep[5] = keep[42] = true;
        s.keep_if(keep);
        ASSERT_EQ(s.size(), 2u);
        EXPECT_EQ(s.path(0) + s.path(1), "d:\\files\\area\\file5.zipd:\\files\\area\\file5.zip");
        EXPECT_EQ(list_node_count, base + 2);
    }
    EXPECT_EQ(list_node_count, base);  // released with the sequence
}

}  // namespace
}  // namespace zunt
