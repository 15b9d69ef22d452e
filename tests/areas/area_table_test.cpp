#include "areas/area_table.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

TEST(AreaTable, HashIsByteSumModulo101) {
    EXPECT_EQ(area_hash("c:\\files\\util\\"), 97);
    EXPECT_EQ(area_hash(""), 0);
    EXPECT_EQ(area_hash("\xFF"), 255 % 101);
    // 300 bytes of 0xFF sum to 76500, which wraps at 16 bits to 10964.
    EXPECT_EQ(area_hash(std::string(300, '\xFF')), 10964 % 101);
}

TEST(AreaTable, LookupIsExactAndFindsTheFirstInserted) {
    AreaTable t = area_table_new();
    area_table_insert(t, "c:\\files\\util\\", "c:\\lists\\util.bbs", "Util");
    area_table_insert(t, "c:\\files\\util\\", "c:\\lists\\other.bbs", "Again");
    area_table_insert(t, "c:\\files\\tuil\\", "", "Anagram");

    struct Case { const char* dir; const char* name; };
    const Case cases[] = {
        {"c:\\files\\util\\", "Util"},
        {"c:\\files\\tuil\\", "Anagram"},
        {"C:\\FILES\\UTIL\\", nullptr},
        {"c:\\files\\util", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const DownloadRecord* r = area_table_lookup(t, c.dir);
        if (c.name == nullptr) {
            EXPECT_EQ(r, nullptr) << c.dir;
        } else {
            ASSERT_NE(r, nullptr) << c.dir;
            EXPECT_EQ(area_name(*r), c.name);
        }
    }
    EXPECT_EQ(area_hash("c:\\files\\util\\"), area_hash("c:\\files\\tuil\\"));
    area_table_free(t);
}

TEST(AreaTable, ReleaseUncountsEveryRecord) {
    const long before = list_node_count;
    AreaConfig config;
    config.area_table = area_table_new();
    for (int i = 0; i < 250; ++i) area_table_insert(*config.area_table, "d" + std::to_string(i), "", "n");
    list_append(config.area_list, "x");
    config.farea_index_image = "bytes";
    EXPECT_EQ(list_node_count, before + 251);
    release_area_config(config);
    EXPECT_EQ(list_node_count, before);
    EXPECT_FALSE(config.area_table.has_value());
    EXPECT_TRUE(config.farea_index_image.empty());
    release_area_config(config);  // a second release is harmless
    EXPECT_EQ(list_node_count, before);
}

}  // namespace
}  // namespace zunt
