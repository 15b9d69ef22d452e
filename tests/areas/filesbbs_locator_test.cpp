#include "areas/filesbbs_locator.h"

#include <gtest/gtest.h>

#include "area_test_util.h"
#include "areas/area_config.h"
#include "config/text_util.h"

namespace zunt {
namespace {

class Locator : public ::testing::Test {
protected:
    void SetUp() override {
        areas.area_table = area_table_new();
        with_list = dir.path("dl") + "/";
        no_list = dir.path("bare") + "/";
        no_area = dir.path("loose") + "/";
        dir.write("dl/files.bbs", "FOO.ZIP  A file\r\n");
        dir.write("loose/files.bbs", "FOO.ZIP  A file\r\n");
        dir.write("bare/keep", "");
        area_table_insert(*areas.area_table, no_list, "", "Bare");
        area_table_insert(*areas.area_table, with_list, "d:\\lists\\util.bbs", "Util");
    }
    void TearDown() override { release_area_config(areas); }

    int locate(const std::string& path, std::string& bbs, std::string& ext) {
        return locate_filesbbs(default_env(), settings, areas, nullptr, path, bbs, ext);
    }

    testing::ScratchDir dir{"locate"};
    std::string with_list, no_list, no_area;
    ControlSettings settings;
    AreaConfig areas;
};

TEST_F(Locator, SourcesInTheConfiguredOrder) {
    struct Case { bool area_first; std::string path; int result; std::string bbs; };
    const Case cases[] = {
        {true, no_list + "foo.zip", 1, no_list + "files.bbs"},   // not checked on disk
        {false, no_list + "foo.zip", 2, no_list + "files.bbs"},
        {true, with_list + "foo.zip", 1, "d:\\lists\\util.bbs"},
        {false, with_list + "foo.zip", 1, with_list + "files.bbs"},
        {true, no_area + "foo.zip", 2, no_area + "files.bbs"},
        {false, no_area + "foo.zip", 1, no_area + "files.bbs"},
        {true, dir.path("other") + "/foo.zip", 0, ""},
        {false, dir.path("other") + "/foo.zip", 0, ""},
    };
    for (const Case& c : cases) {
        settings.use_area_dat_first = c.area_first;
        std::string bbs = "stale", ext = ".zip";
        EXPECT_EQ(locate(c.path, bbs, ext), c.result) << c.path << " " << c.area_first;
        EXPECT_EQ(bbs, c.bbs) << c.path;
        EXPECT_EQ(ext, ".zip");
    }
}

TEST(LocatorMaxfiles, RelaxedMatchReplacesTheExtension) {
    ControlSettings settings;
    settings.farea_path = testing::fixture("farea.dat");
    AreaConfig areas;
    ASSERT_EQ(load_area_config(default_env(), settings.farea_path, std::nullopt, false, areas),
              AreaResult::loaded);
    MaxfilesIndex index;
    ASSERT_EQ(load_maxfiles_index(default_env(), testing::fixture("maxfiles.idx"), index),
              MaxfilesResult::loaded);
    struct Case { bool index_set, relaxed; const char* path; int result; const char* bbs, *ext; };
    const Case cases[] = {
        {true, true, "/nowhere/doom.arj", 3, "lists/games.bbs", ".zip"},
        {true, false, "/nowhere/doom.arj", 0, "", ".arj"},
        {true, false, "c:\\dl\\fts-0001.txt", 3, "files/docs/files.bbs", ".txt"},
        {false, true, "/nowhere/doom.arj", 0, "", ".arj"},
    };
    for (const Case& c : cases) {
        settings.maxfiles_idx_path = c.index_set ? std::optional<std::string>("maxfiles.idx") : std::nullopt;
        settings.relaxed_index_match = c.relaxed;
        std::string bbs, ext = split_path(c.path).ext;
        EXPECT_EQ(locate_filesbbs(default_env(), settings, areas, &index, c.path, bbs, ext), c.result)
            << c.path;
        EXPECT_EQ(bbs, c.bbs) << c.path;
        EXPECT_EQ(ext, c.ext) << c.path;
    }
    release_area_config(areas);
}

}  // namespace
}  // namespace zunt
