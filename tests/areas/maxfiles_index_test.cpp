#include "areas/maxfiles_index.h"

#include <gtest/gtest.h>

#include "area_test_util.h"
#include "areas/area_config.h"

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
        {false, "foo.zip", 1, ".zip"},
        {true, "foo.zip", 1, ".zip"},       // the exact record wins over FOO.ARJ
        {true, "foo.rar", 0, ".arj"},       // else the first with the same base name
        {false, "foo.rar", -1, ""},
        {false, "abcdefgh.zip", 2, ".zip"}, // 12 characters, no terminator
        {false, "abcdefgh.zipx", -1, ""},
        {false, "bar.lzh", 3, ".lzh"},      // garbage after the NUL, first in file order
        {true, "bar.zip", 3, ".lzh"},
        {false, "DISK.ZIP", 4, ".zip"},     // disk case in the index
        {true, "disk.arj", 4, ".zip"},
        {true, "readme.txt", 5, ""},
        {false, "longfilename.zip", -1, ""},
        {true, "longfilename.zip", -1, ""},
        {false, "", -1, ""},
    };
    for (const Case& c : cases) {
        MaxfilesMatch m;
        const bool found = maxfiles_find(index, c.relaxed, c.name, m);
        EXPECT_EQ(found, c.area >= 0) << c.name << " relaxed " << c.relaxed;
        if (found && c.area >= 0) {
            EXPECT_EQ(m.area, c.area) << c.name;
            EXPECT_EQ(m.ext, c.ext) << c.name;
        }
    }
}

class MaxfilesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        farea = testing::fixture("farea.dat");
        ASSERT_EQ(load_area_config(env, farea, std::nullopt, false, config), AreaResult::loaded);
        ASSERT_EQ(load_maxfiles_index(env, testing::fixture("maxfiles.idx"), index),
                  MaxfilesResult::loaded);
    }
    void TearDown() override {
        release_area_config(config);
        release_maxfiles_index(index);
    }
    Env& env = default_env();
    std::string farea;
    AreaConfig config;
    MaxfilesIndex index;
};

TEST_F(MaxfilesFixture, LooksUpTheRealIndex) {
    struct Case { bool relaxed; const char* name; const char* bbs; const char* ext; };
    const Case cases[] = {
        {false, "arj250.exe", "lists/games.bbs", ""},  // areas 1 and 0: the first record
        {false, "fts-0001.txt", "files/docs/files.bbs", ""},
        {false, "missing.zip", "files/util/files.bbs", ""},
        {false, "zztop.zip", "files/util/files.bbs", ""},  // bytes 14-15 are not the area
        {false, "nethack.zip", "lists/games.bbs", ""},
        {false, "doom.arj", nullptr, ""},
        {true, "doom.arj", "lists/games.bbs", ".zip"},
        {true, "readme.txt", "files/docs/files.bbs", ".txt"},
        {true, "unknown.zip", nullptr, ""},
    };
    for (const Case& c : cases) {
        std::string bbs, ext;
        const bool found = maxfiles_lookup(env, config, index, farea, c.relaxed, c.name, bbs, ext);
        ASSERT_EQ(found, c.bbs != nullptr) << c.name;
        if (found) {
            EXPECT_EQ(bbs, c.bbs) << c.name;
            EXPECT_EQ(ext, c.ext) << c.name;
        }
    }
}

TEST_F(MaxfilesFixture, UnreadableAreaGivesNotFound) {
    std::string bbs = "keep", ext = ".zip";
    EXPECT_FALSE(maxfiles_lookup(env, config, index, farea + ".gone", true, "doom.arj", bbs, ext));
    AreaConfig no_idx;
    EXPECT_FALSE(maxfiles_lookup(env, no_idx, index, farea, true, "doom.arj", bbs, ext));
    EXPECT_EQ(bbs, "keep");
    EXPECT_EQ(ext, ".zip");
}

}  // namespace
}  // namespace zunt
