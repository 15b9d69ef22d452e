#include "list/download_list.h"

#include <algorithm>

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

// Many equal keys, in and out of order: the same order as a stable sort of
// the records themselves, and a list already in order stays as it is.
TEST(ListSort, LongListsMatchAStableSortOfTheRecords) {
    std::uint32_t seed = 7;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int key : {1, 2}) {
        for (int dir : {1, 2}) {
            DownloadList l;
            for (int i = 0; i < 300; ++i)
                list_append(l, std::string(1, static_cast<char>('a' + next() % 5)), std::to_string(i),
                            std::nullopt);
            if (key == 2) for (auto& r : l) std::swap(r.text1, *r.text2);
            DownloadList want = l;
            auto text = [key](const DownloadRecord& r) { return key == 1 ? r.text1 : *r.text2; };
            std::stable_sort(want.begin(), want.end(), [&](const auto& a, const auto& b) {
                return dir == 1 ? text(a) < text(b) : text(b) < text(a);
            });
            for (int pass = 0; pass < 2; ++pass) {  // the second pass meets a sorted list
                list_sort(l, key, dir);
                ASSERT_EQ(l.size(), want.size());
                for (std::size_t i = 0; i < l.size(); ++i)
                    EXPECT_EQ(l[i].text1 + *l[i].text2, want[i].text1 + *want[i].text2) << key << dir << i;
            }
            list_free(l);
        }
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
