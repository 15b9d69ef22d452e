#include "areas/area_config.h"

#include <gtest/gtest.h>

#include "area_test_util.h"
#include "platform/path_key.h"
#include "areas/ascii_area_file.h"

namespace zunt {
namespace {

using testing::ScratchDir;

TEST(AsciiAreaLine, SplitsFields) {
    struct Case { std::string line; const char* name; std::string dir, bbs; };
    const Case cases[] = {
        {"Util files/util", "Util", "files/util/", ""},
        {"Util c:\\u\\\\\\", "Util", "c:\\u\\", ""},
        {"N " + std::string(1500, 'd') + " " + std::string(700, 'B'), "N", std::string(1500, 'd') + "\\",
         std::string(700, 'b')},  // long fields stay whole
    };
    for (const Case& c : cases) {
        FareaArea a;
        ASSERT_TRUE(parse_ascii_area_line(c.line, a)) << c.line;
        EXPECT_EQ(a.name, c.name);
        EXPECT_EQ(a.download_dir, c.dir);
        EXPECT_EQ(a.filesbbs_path, c.bbs);
    }
    FareaArea a;
    EXPECT_FALSE(parse_ascii_area_line("\\\\", a));
}

// Byte sum at 16 bits, modulo 101; lookups by the directory's identity,
// the first inserted wins.
TEST(AreaTable, HashAndLookup) {
    EXPECT_EQ(area_hash("c:\\files\\util\\"), 97);  // 14 bytes summing to 1410
    EXPECT_EQ(area_hash(""), 0);
    EXPECT_EQ(area_hash("\xFF"), 255 % 101);
    EXPECT_EQ(area_hash(std::string(300, '\xFF')), 76500 % 65536 % 101);
    AreaTable t = area_table_new();
    Env& env = default_env();
    for (auto [dir, list, name] : {std::tuple{"c:\\files\\util\\", "c:\\lists\\util.bbs", "Util"},
                                   {"C:/Files/Util/", "c:\\lists\\other.bbs", "Again"},
                                   {"c:\\files\\tuil\\", "", "Anagram"}})  // same bucket
        area_table_insert(t, dir, dir_key(env, dir), list, name);
    EXPECT_EQ(t.buckets[97].size(), 2u);
    const std::pair<const char*, const char*> cases[] = {{"c:\\files\\util\\", "Util"},
        {"c:\\files\\tuil\\", "Anagram"}, {"C:\\FILES\\UTIL\\", "Util"},
        {"c:\\files\\util", "Util"}, {"c:\\files\\", nullptr}};
    for (auto [dir, name] : cases) {
        const DownloadRecord* r = area_table_lookup(t, dir_key(env, dir));
        EXPECT_EQ(r ? area_name(*r) : "(none)", name ? name : "(none)") << dir;
    }
    area_table_free(t);
}

TEST(AreaConfigLoad, RealFilesCountedAndReleased) {
    const std::string farea = testing::fixture("farea.dat");
    const long before = list_node_count;
    AreaConfig table;
    ASSERT_EQ(load_area_config(default_env(), farea, std::nullopt, false, table), AreaResult::loaded);
    EXPECT_EQ(list_node_count, before + 3);
    EXPECT_EQ(table.farea_index_image, testing::slurp(testing::fixture("farea.idx")));
    release_area_config(table);
    EXPECT_EQ(list_node_count, before);
    release_area_config(table);  // a second release is harmless
    EXPECT_EQ(list_node_count, before);
}

// farea.dat's areas come first; a failure keeps what was loaded before it.
TEST(AreaConfigLoad, OrderAndStops) {
    ScratchDir dir("cfg");
    auto f = testing::build_farea({{"Max", "c:\\files\\util\\", "c:\\max.bbs"}});
    const std::string farea = dir.write("farea.dat", f.dat);
    dir.write("farea.idx", f.idx);
    const std::string ascii = dir.write("areas.txt", "Ascii c:\\files\\util c:\\ascii.bbs\r\n");
    AreaConfig both;
    ASSERT_EQ(load_area_config(default_env(), farea, ascii, false, both), AreaResult::loaded);
    EXPECT_EQ(area_name(*area_table_lookup(*both.area_table, dir_key(default_env(), "c:\\files\\util\\"))), "Max");
    release_area_config(both);
    struct Case { const char* what; std::optional<std::string> farea, ascii; AreaResult want; std::size_t areas; };
    const Case cases[] = {
        {"no farea.dat", dir.path("none/farea.dat"), ascii, AreaResult::cannot_open_farea, 0},
        {"farea too short", std::string("at"), std::nullopt, AreaResult::cannot_open_farea, 0},
        {"one field", std::nullopt, dir.write("one.txt", "A a\\\r\nLonely\r\nC c\\\r\n"),
         AreaResult::ascii_syntax, 1},
    };
    for (const Case& c : cases) {
        AreaConfig config;
        EXPECT_EQ(load_area_config(default_env(), c.farea, c.ascii, true, config), c.want) << c.what;
        EXPECT_EQ(config.area_list.size(), c.areas) << c.what;
        EXPECT_EQ(config.farea_path, c.farea) << c.what;
        release_area_config(config);
    }
}

}  // namespace
}  // namespace zunt
