#include "list/download_list.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zunt
