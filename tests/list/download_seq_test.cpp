#include "list/download_seq.h"

#include <gtest/gtest.h>

#include "list/download_list.h"

namespace zunt {
namespace {

std::vector<std::string> paths_of(const DownloadSeq& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size(); ++i) out.push_back(s.path(i));
    return out;
}

TEST(DownloadSeq, EqualPathsShareOneStoredPath) {
    DownloadSeq s;
    for (const char* p : {"d:\\a.zip", "d:\\b.zip", "d:\\a.zip", "d:\\a.zip"}) s.append(p);
    EXPECT_EQ(s.size(), 4u);
    EXPECT_EQ(s.distinct(), 2u);
    EXPECT_EQ(s.id(0), s.id(2));
    EXPECT_NE(s.id(0), s.id(1));
    EXPECT_EQ(paths_of(s), (std::vector<std::string>{"d:\\a.zip", "d:\\b.zip", "d:\\a.zip", "d:\\a.zip"}));
}

// Every download counts as one list record, whatever it shares.
TEST(DownloadSeq, NodeCountFollowsTheDownloads) {
    const long base = list_node_count;
    {
        DownloadSeq s;
        // Long paths too: the stored texts must not move as more arrive.
        for (int i = 0; i < 1000; ++i) s.append("d:\\files\\area\\file" + std::to_string(i % 37) + ".zip");
        EXPECT_EQ(list_node_count, base + 1000);
        EXPECT_EQ(s.distinct(), 37u);
        EXPECT_EQ(s.path(999), "d:\\files\\area\\file0.zip");
        s.truncate(600);
        EXPECT_EQ(list_node_count, base + 600);
        s.truncate(700);  // longer than it is: nothing happens
        EXPECT_EQ(s.size(), 600u);
        std::vector<bool> keep(600, false);
        keep[5] = keep[42] = true;
        s.keep_if(keep);
        EXPECT_EQ(paths_of(s), (std::vector<std::string>{"d:\\files\\area\\file5.zip",
                                                         "d:\\files\\area\\file5.zip"}));
        EXPECT_EQ(list_node_count, base + 2);
    }
    EXPECT_EQ(list_node_count, base);  // released with the sequence
    DownloadSeq s;
    s.append("x");
    s.clear();
    EXPECT_EQ(list_node_count, base);
    EXPECT_EQ(s.distinct(), 0u);
    s.append("y");
    EXPECT_EQ(s.path(0), "y");
    s.clear();
}

}  // namespace
}  // namespace zunt
