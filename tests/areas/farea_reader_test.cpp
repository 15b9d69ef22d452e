#include "areas/farea_reader.h"

#include <gtest/gtest.h>

#include <functional>

#include "area_test_util.h"

namespace zunt {
namespace {

using testing::build_farea;
using testing::TestArea;

std::vector<FareaArea> read_ok(const testing::TestFarea& f) {
    std::vector<FareaArea> areas;
    EXPECT_TRUE(read_farea_areas(f.dat, f.idx, areas));
    return areas;
}

TEST(FareaReader, ReadsTheRealMaximusFiles) {
    const std::string dat = testing::slurp(testing::fixture("farea.dat"));
    const std::string idx = testing::slurp(testing::fixture("farea.idx"));
    std::vector<FareaArea> areas;
    ASSERT_TRUE(read_farea_areas(dat, idx, areas));
    ASSERT_EQ(areas.size(), 3u);
    const FareaArea want[] = {{"files/util/", "", "UTIL"},
                              {"files/games/", "lists/games.bbs", "GAMES"},
                              {"files/docs/", "", "DOCS"}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(areas[i].download_dir, want[i].download_dir);
        EXPECT_EQ(areas[i].filesbbs_path, want[i].filesbbs_path);
        EXPECT_EQ(areas[i].name, want[i].name);
    }
    std::string bbs;
    ASSERT_TRUE(farea_area_files_bbs(dat, idx, 1, bbs));
    EXPECT_EQ(bbs, "lists/games.bbs");
    ASSERT_TRUE(farea_area_files_bbs(dat, idx, 2, bbs));
    EXPECT_EQ(bbs, "files/docs/files.bbs");
    EXPECT_FALSE(farea_area_files_bbs(dat, idx, 3, bbs));
}

TEST(FareaReader, LowerCasesPathsButNotTheName) {
    auto areas = read_ok(build_farea({{"Util Area", "C:\\Files\\UTIL\\", "C:\\Lists\\U.BBS"}}));
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0].name, "Util Area");
    EXPECT_EQ(areas[0].download_dir, "c:\\files\\util\\");
    EXPECT_EQ(areas[0].filesbbs_path, "c:\\lists\\u.bbs");
}

TEST(FareaReader, MaskedAttributesAreNotAreas) {
    const std::pair<std::uint16_t, bool> cases[] = {
        {0x0000, true}, {0x0FFF, true}, {0x1000, false}, {0x2000, false},
        {0x4000, false}, {0x8000, false}, {0xF0FF, false}};
    for (auto [attr, taken] : cases) {
        TestArea a{"A", "a\\", ""};
        a.attributes = attr;
        EXPECT_EQ(read_ok(build_farea({a, {"B", "b\\", ""}})).size(), taken ? 2u : 1u) << attr;
    }
}

TEST(FareaReader, DivisionRecordsCountInTheNumbering) {
    TestArea begin{"DIV", "", ""}, end{"", "", ""};
    begin.attributes = 0x4000;
    end.attributes = 0x8000;
    const auto f = build_farea({begin, {"UTIL", "u/", ""}, end, {"GAMES", "g/", "l/g.bbs"}});
    EXPECT_EQ(read_ok(f).size(), 2u);
    std::string bbs;
    ASSERT_TRUE(farea_area_files_bbs(f.dat, f.idx, 1, bbs));
    EXPECT_EQ(bbs, "u/files.bbs");
    ASSERT_TRUE(farea_area_files_bbs(f.dat, f.idx, 3, bbs));
    EXPECT_EQ(bbs, "l/g.bbs");
    EXPECT_FALSE(farea_area_files_bbs(f.dat, f.idx, 0, bbs));
    EXPECT_FALSE(farea_area_files_bbs(f.dat, f.idx, 2, bbs));
}

TEST(FareaReader, RecordSizesFromEachRecord) {
    // Overrides of both widths, a longer fixed part, and a length of 0.
    struct Case { std::uint16_t length, overrides; std::size_t width; };
    const Case cases[] = {{64, 3, 8}, {64, 3, 12}, {80, 3, 8}, {80, 2, 12}, {0, 0, 8}, {0, 1, 12}};
    for (const Case& c : cases) {
        TestArea first{"ONE", "one/", "one.bbs"};
        first.length = c.length;
        first.overrides = c.overrides;
        first.override_size = c.width;
        TestArea last = first;
        last.name = "TWO";
        last.download = "two/";
        auto areas = read_ok(build_farea({first, last}));
        ASSERT_EQ(areas.size(), 2u) << c.length << " " << c.overrides << " " << c.width;
        EXPECT_EQ(areas[0].filesbbs_path, "one.bbs");
        EXPECT_EQ(areas[1].download_dir, "two/");
    }
}

TEST(FareaReader, MalformedFilesAreRejected) {
    const auto good = build_farea({{"UTIL", "u/", "u.bbs"}, {"GAMES", "g/", ""}});
    const std::size_t second = good.dat.size() - (64 + 10);  // start of the GAMES record
    struct Case { const char* what; std::function<void(std::string&)> damage; };
    const Case cases[] = {
        {"bad magic", [](std::string& d) { d[0] = 'X'; }},
        {"record length 63", [](std::string& d) { testing::put16(d, 4, 63); }},
        {"record length 1", [](std::string& d) { testing::put16(d, 4, 1); }},
        {"heap past the file", [&](std::string& d) { testing::put16(d, second + 4, 500); }},
        {"overrides past the file", [&](std::string& d) { testing::put16(d, second + 2, 900); }},
        {"name past the heap", [&](std::string& d) { testing::put16(d, second + 10, 10); }},
        {"path offset far out", [&](std::string& d) { testing::put16(d, second + 12, 0xFFFF); }},
        {"no terminator", [](std::string& d) { d.back() = 'x'; }},
        {"file ends in a head", [](std::string& d) { d += std::string(40, '\0'); }},
    };
    for (const Case& c : cases) {
        std::string dat = good.dat;
        c.damage(dat);
        std::vector<FareaArea> areas;
        EXPECT_FALSE(read_farea_areas(dat, good.idx, areas)) << c.what;
    }
}

TEST(FareaReader, BadIndexEntriesGiveNoArea) {
    auto f = build_farea({{"UTIL", "u/", ""}});
    std::string bbs = "untouched";
    struct Case { const char* what; std::string idx; std::size_t area; };
    std::string past_dat = f.idx;
    testing::put32(past_dat, 20, static_cast<std::uint32_t>(f.dat.size()));
    std::string far_out = f.idx;
    testing::put32(far_out, 20, 0xFFFFFFF0u);
    const Case cases[] = {
        {"offset at the end of farea.dat", past_dat, 0},
        {"offset far past farea.dat", far_out, 0},
        {"offset inside the magic", std::string(20, '\0') + std::string("\x01\0\0\0", 4), 0},
        {"area past farea.idx", f.idx, 1},
        {"partial farea.idx record", f.idx.substr(0, 23), 0},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(farea_area_files_bbs(f.dat, c.idx, c.area, bbs)) << c.what;
    }
    EXPECT_EQ(bbs, "untouched");
}

}  // namespace
}  // namespace zunt
