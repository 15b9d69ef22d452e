#include "list/download_list.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

std::string order(const DownloadList& l) {
    std::string s;
    for (const auto& r : l) s += r.text1 + (r.text2 ? *r.text2 : "") + ",";
    return s;
}

TEST(ListSort, StableInBothDirectionsAndByteOrder) {
    struct Case {
        int key, dir;
        const char* want;
    } cases[] = {
        {1, 1, "Z1,a2,b1,b3,"}, {1, 2, "b1,b3,a2,Z1,"}, {2, 1, "b1,Z1,a2,b3,"},
        {0, 2, "Z1,a2,b1,b3,"}, {4, 2, "Z1,a2,b1,b3,"},
    };
    for (const auto& c : cases) {
        long before = list_node_count;
        DownloadList l;
        list_append(l, "b", "1");
        list_append(l, "a", "2");
        list_append(l, "b", "3");
        list_append(l, "Z", "1");
        EXPECT_EQ(list_node_count, before + 4);
        list_sort(l, c.key, c.dir);
        EXPECT_EQ(order(l), c.want) << c.key << "/" << c.dir;
        list_free(l);
        EXPECT_EQ(list_node_count, before);
    }
}

}  // namespace
}  // namespace zunt
