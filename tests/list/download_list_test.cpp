#include "list/download_list.h"

#include <gtest/gtest.h>

#include "list/download_seq.h"

namespace zunt {
namespace {

// Sort keys 1 and 2 (stable, byte order), other keys leave the order.
TEST(ListSort, StableInBothDirectionsAndByteOrder) {
    struct Case { int key, dir; const char* want; };
    for (const Case& c : {Case{1, 1, "Z1,a2,b1,b3,"}, Case{1, 2, "b1,b3,a2,Z1,"}, Case{2, 1, "b1,Z1,a2,b3,"},
                          Case{0, 2, "Z1,a2,b1,b3,"}, Case{4, 2, "Z1,a2,b1,b3,"}}) {
        const long before = list_node_count;
        DownloadList l;
        for (const char* t : {"b1", "a2", "b3", "Z1"}) list_append(l, std::string(1, t[0]), std::string(1, t[1]));
        EXPECT_EQ(list_node_count, before + 4);
        list_sort(l, c.key, c.dir);
        std::string order;
        for (const auto& r : l) order += r.text1 + *r.text2 + ",";
        EXPECT_EQ(order, c.want) << c.key << "/" << c.dir;
        list_free(l);
        EXPECT_EQ(list_node_count, before);
    }
}

// Equal paths share one stored text; every download still counts as one
// list record, and the stored texts stay put as more arrive.
TEST(DownloadSeq, SharedPathsAndNodeCount) {
    const long base = list_node_count;
    {
        DownloadSeq s;
        for (int i = 0; i < 1000; ++i) s.append("d:\\files\\area\\file" + std::to_string(i % 37) + ".zip");
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
