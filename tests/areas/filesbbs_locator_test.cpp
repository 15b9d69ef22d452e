#include "areas/filesbbs_locator.h"

#include <gtest/gtest.h>

#include "area_test_util.h"
#include "areas/area_config.h"

namespace zunt {
namespace {

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
    area_table_insert(*areas.area_table, bare, "", "Bare");
    area_table_insert(*areas.area_table, listed, "d:\\lists\\util.bbs", "Util");
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
        EXPECT_EQ(locate_filesbbs(default_env(), settings, areas, nullptr, c.dir + "foo.zip", bbs, ext), c.result)
            << c.dir << " " << c.area_first;
        EXPECT_EQ(bbs, c.bbs) << c.dir;
        EXPECT_EQ(ext, ".zip");
    }
    release_area_config(areas);
}

}  // namespace
}  // namespace zunt
