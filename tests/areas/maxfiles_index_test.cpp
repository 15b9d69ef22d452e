#include "areas/maxfiles_index.h"

#include <gtest/gtest.h>

#include "area_test_util.h"
#include "platform/path_key.h"
#include "areas/area_config.h"
#include "areas/filesbbs_locator.h"

namespace zunt {
namespace {

using testing::maxfiles_record;

TEST(MaxfilesIndex, FindsNamesStrictAndRelaxed) {
    MaxfilesIndex index;
    build_maxfiles_index(maxfiles_record("FOO.ARJ", 0) + maxfiles_record("FOO.ZIP", 1) +
                             maxfiles_record("ABCDEFGH.ZIP", 2) + maxfiles_record("BAR.LZH", 3, 'Q') +
                             maxfiles_record("Disk.Zip", 4, '\x7F') + maxfiles_record("README", 5) +
                             maxfiles_record("BAR.LZH", 6),
                         index);
    struct Case { bool relaxed; const char* name; int area; const char* ext; };
    const Case cases[] = {
        {true, "foo.zip", 1, ".zip"},        // the exact record wins over FOO.ARJ
        {true, "foo.rar", 0, ".arj"},        // else the first with the same base name
        {false, "foo.rar", -1, ""},
        {false, "abcdefgh.zip", 2, ".zip"},  // 12 characters, no terminator
        {false, "abcdefgh.zipx", -1, ""},
        {false, "bar.lzh", 3, ".lzh"},       // garbage after the NUL, first in file order
        {false, "DISK.ZIP", 4, ".zip"},      // disk case in the index
        {true, "disk.arj", 4, ".zip"},
        {true, "readme.txt", 5, ""},
        {true, "longfilename.zip", -1, ""},
        {false, "", -1, ""},
    };
    for (const Case& c : cases) {
        MaxfilesMatch m;
        ASSERT_EQ(maxfiles_find(index, c.relaxed, c.name, m), c.area >= 0) << c.name << " " << c.relaxed;
        if (c.area >= 0) {
            EXPECT_EQ(m.area, c.area) << c.name;
            EXPECT_EQ(m.ext, c.ext) << c.name;
        }
    }
}

// farea.dat gone, or its index image missing: not found, nothing changed.
TEST(MaxfilesIndex, UnreadableAreaGivesNotFound) {
    const std::string farea = testing::fixture("farea.dat");
    AreaConfig config;
    ASSERT_EQ(load_area_config(default_env(), farea, std::nullopt, false, config), AreaResult::loaded);
    MaxfilesIndex index;
    build_maxfiles_index(maxfiles_record("DOOM.ZIP", 1), index);
    std::string bbs = "keep", ext = ".zip";
    ASSERT_TRUE(maxfiles_lookup(default_env(), config, index, farea, false, "doom.zip", bbs, ext));
    EXPECT_EQ(bbs, "lists/games.bbs");
    bbs = "keep";
    EXPECT_FALSE(maxfiles_lookup(default_env(), config, index, farea + ".gone", true, "doom.arj", bbs, ext));
    AreaConfig no_idx;
    EXPECT_FALSE(maxfiles_lookup(default_env(), no_idx, index, farea, true, "doom.arj", bbs, ext));
    EXPECT_EQ(bbs + ext, "keep.zip");
    release_area_config(config);
    release_maxfiles_index(index);
}

// An area with a list, one without (not looked for on disk when the area
// comes first), a listed directory without an area, and neither.
TEST(Locator, SourcesInTheConfiguredOrder) {
    testing::ScratchDir dir("locate");
    const std::string listed = dir.path("dl") + "/", bare = dir.path("bare") + "/",
                      loose = dir.path("loose") + "/", other = dir.path("other") + "/";
    dir.write("dl/files.bbs", "FOO.ZIP  A file\r\n");
    dir.write("loose/files.bbs", "FOO.ZIP  A file\r\n");
    AreaConfig areas;
    areas.area_table = area_table_new();
    area_table_insert(*areas.area_table, bare, dir_key(default_env(), bare), "", "Bare");
    area_table_insert(*areas.area_table, listed, dir_key(default_env(), listed), "d:\\lists\\util.bbs", "Util");
    struct Case { bool area_first; std::string dir; int result; std::string bbs; };
    const Case cases[] = {
        {true, bare, 1, bare + "files.bbs"},       {false, bare, 2, bare + "files.bbs"},
        {true, listed, 1, "d:\\lists\\util.bbs"}, {false, listed, 1, listed + "files.bbs"},
        {true, loose, 2, loose + "files.bbs"},     {false, loose, 1, loose + "files.bbs"},
        {true, other, 0, ""},                      {false, other, 0, ""},
    };
    ControlSettings settings;
    for (const Case& c : cases) {
        settings.use_area_dat_first = c.area_first;
        std::string bbs = "stale", ext = ".zip";
        const std::string path = c.dir + "foo.zip";
        EXPECT_EQ(locate_filesbbs(default_env(), settings, areas, nullptr, path,
                                  default_env().path_key(path), bbs, ext), c.result)
            << c.dir << " " << c.area_first;
        EXPECT_EQ(bbs, c.bbs) << c.dir;
        EXPECT_EQ(ext, ".zip");
    }
    release_area_config(areas);
}

}  // namespace
}  // namespace zunt
