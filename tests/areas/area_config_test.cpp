#include "areas/area_config.h"

#include <gtest/gtest.h>

#include "area_test_util.h"
#include "areas/ascii_area_file.h"

namespace zunt {
namespace {

using testing::ScratchDir;

TEST(AsciiAreaLine, SplitsFields) {
    struct Case { const char* line; const char* name; const char* dir; const char* bbs; };
    const Case cases[] = {
        {"Util C:\\Files\\Util", "Util", "c:\\files\\util\\", ""},
        {"Util C:\\Files\\Util\\ C:\\Lists\\UTIL.BBS", "Util", "c:\\files\\util\\", "c:\\lists\\util.bbs"},
        {"  Util    c:\\u\\   c:\\l.bbs   fourth  fifth\r\n", "Util", "c:\\u\\", "c:\\l.bbs"},
        {"Util\tName c:\\u", "Util\tName", "c:\\u\\", ""},
        {"Util files/util", "Util", "files/util/", ""},
        {"Util c:\\u\\\\\\", "Util", "c:\\u\\", ""},
    };
    for (const Case& c : cases) {
        FareaArea a;
        ASSERT_TRUE(parse_ascii_area_line(c.line, a)) << c.line;
        EXPECT_EQ(a.name, c.name);
        EXPECT_EQ(a.download_dir, c.dir);
        EXPECT_EQ(a.filesbbs_path, c.bbs);
    }
    for (const char* bad : {"", "   ", "Util", "  Util   ", "Util\tc:\\u", "\\\\"}) {
        FareaArea a;
        EXPECT_FALSE(parse_ascii_area_line(bad, a)) << "[" << bad << "]";
    }
}

TEST(AsciiAreaLine, LongFieldsStayWhole) {
    const std::string dir(1500, 'd');
    FareaArea a;
    ASSERT_TRUE(parse_ascii_area_line("Name " + dir + " " + std::string(700, 'B'), a));
    EXPECT_EQ(a.download_dir, dir + "\\");
    EXPECT_EQ(a.filesbbs_path, std::string(700, 'b'));
}

TEST(AreaConfigLoad, RealFilesIntoTableAndList) {
    const std::string farea = testing::fixture("farea.dat");
    const long before = list_node_count;
    AreaConfig table;
    ASSERT_EQ(load_area_config(default_env(), farea, std::nullopt, false, table), AreaResult::loaded);
    EXPECT_EQ(list_node_count, before + 3);
    EXPECT_EQ(table.farea_index_image, testing::slurp(testing::fixture("farea.idx")));
    EXPECT_EQ(table.farea_path, farea);
    const DownloadRecord* games = area_table_lookup(*table.area_table, "files/games/");
    ASSERT_NE(games, nullptr);
    EXPECT_EQ(area_filesbbs_path(*games), "lists/games.bbs");
    EXPECT_EQ(area_name(*games), "GAMES");
    release_area_config(table);
    EXPECT_EQ(list_node_count, before);

    AreaConfig list;
    ASSERT_EQ(load_area_config(default_env(), farea, std::nullopt, true, list), AreaResult::loaded);
    EXPECT_FALSE(list.area_table.has_value());
    ASSERT_EQ(list.area_list.size(), 3u);
    EXPECT_EQ(list.area_list[0].text1, "files/util/");
    EXPECT_EQ(list.area_list[2].text3, "DOCS");
    release_area_config(list);
}

TEST(AreaConfigLoad, ResultCodes) {
    ScratchDir dir("cfg");
    const std::string magic("\x3A\x95\x01\x1A", 4);
    const std::string empty_dat = dir.write("empty/farea.dat", magic);
    const std::string lone_dat = dir.write("lone/farea.dat", magic);
    dir.write("empty/farea.idx", "");
    const std::string bad_dat = dir.write("bad/farea.dat", "ABCD");
    auto bad = testing::build_farea({{"U", "u/", ""}});
    testing::put16(bad.dat, 4, 12);
    const std::string short_dat = dir.write("short/farea.dat", bad.dat);
    dir.write("short/farea.idx", bad.idx);
    const std::string ascii = dir.write("areas.txt", "A a\\\r\nB b\\ b.bbs\r\n");
    const std::string ascii_blank_end = dir.write("blank.txt", "A a\\\r\n\r\n");
    const std::string ascii_one_field = dir.write("one.txt", "A a\\\r\nLonely\r\nC c\\\r\n");

    struct Case { const char* what; std::optional<std::string> farea, ascii; AreaResult want; std::size_t areas; };
    const Case cases[] = {
        {"nothing", std::nullopt, std::nullopt, AreaResult::loaded, 0},
        {"no record", empty_dat, std::nullopt, AreaResult::loaded, 0},
        {"no farea.idx", lone_dat, std::nullopt, AreaResult::cannot_open_farea, 0},
        {"no farea.dat", dir.path("none/farea.dat"), ascii, AreaResult::cannot_open_farea, 0},
        {"bad magic", bad_dat, std::nullopt, AreaResult::bad_farea, 0},
        {"record length 12", short_dat, std::nullopt, AreaResult::bad_farea, 0},
        {"farea too short", std::string("x"), std::nullopt, AreaResult::cannot_open_farea, 0},
        {"ascii", std::nullopt, ascii, AreaResult::loaded, 2},
        {"ascii missing", std::nullopt, dir.path("gone.txt"), AreaResult::cannot_open_ascii, 0},
        {"blank last line", std::nullopt, ascii_blank_end, AreaResult::ascii_syntax, 1},
        {"one field", std::nullopt, ascii_one_field, AreaResult::ascii_syntax, 1},
        {"both", empty_dat, ascii, AreaResult::loaded, 2},
    };
    for (const Case& c : cases) {
        AreaConfig config;
        EXPECT_EQ(load_area_config(default_env(), c.farea, c.ascii, true, config), c.want) << c.what;
        EXPECT_EQ(config.area_list.size(), c.areas) << c.what;
        EXPECT_EQ(config.farea_path, c.farea) << c.what;
        release_area_config(config);
    }
}

TEST(AreaConfigLoad, FareaAreasComeBeforeAsciiAreas) {
    ScratchDir dir("order");
    auto f = testing::build_farea({{"Max", "c:\\files\\util\\", "c:\\max.bbs"}});
    const std::string farea = dir.write("farea.dat", f.dat);
    dir.write("farea.idx", f.idx);
    const std::string ascii = dir.write("areas.txt", "Ascii c:\\files\\util c:\\ascii.bbs\r\n");
    AreaConfig config;
    ASSERT_EQ(load_area_config(default_env(), farea, ascii, false, config), AreaResult::loaded);
    const DownloadRecord* r = area_table_lookup(*config.area_table, "c:\\files\\util\\");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(area_name(*r), "Max");
    EXPECT_EQ(config.area_table->buckets[97].size(), 2u);
    release_area_config(config);
}

TEST(AreaConfigLoad, IdxPathBesideTheDat) {
    EXPECT_EQ(farea_idx_path("c:\\max\\farea.dat"), "c:\\max\\farea.idx");
    EXPECT_EQ(farea_idx_path("dat"), "idx");
    EXPECT_EQ(farea_idx_path("at"), std::nullopt);
}

TEST(AreaConfigLoad, SampleBoardFiles) {
    const std::string max = std::string(ZUNT_SOURCE_DIR) + "/examples/board/max/";
    AreaConfig config;
    ASSERT_EQ(load_area_config(default_env(), max + "farea.dat", std::nullopt, true, config),
              AreaResult::loaded);
    ASSERT_EQ(config.area_list.size(), 3u);  // the two division records are not areas
    EXPECT_EQ(config.area_list[1].text1, "files\\games\\");
    EXPECT_EQ(config.area_list[1].text2, "files\\games\\files.bbs");
    release_area_config(config);
}

}  // namespace
}  // namespace zunt
