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

// Division records are not areas but keep their numbers in farea.idx; a
// lookup by number takes a record left out of the areas for its attributes.
TEST(FareaReader, DivisionRecordsCountInTheNumbering) {
    const auto f = build_farea({{"DIV", "", "", 0x4000}, {"UTIL", "u/", ""}, {"", "", "", 0x8000},
                                {"GAMES", "g/", "l/g.bbs"}, {"NEW", "n/", "", 0x1000}});
    EXPECT_EQ(read_ok(f).size(), 2u);
    const std::pair<std::size_t, const char*> cases[] = {
        {0, nullptr}, {1, "u/files.bbs"}, {2, nullptr}, {3, "l/g.bbs"}, {4, "n/files.bbs"}};
    for (auto [area, want] : cases) {
        std::string bbs;
        EXPECT_EQ(farea_area_files_bbs(f.dat, f.idx, area, bbs), want != nullptr) << area;
        if (want) { EXPECT_EQ(bbs, want); }
    }
}

TEST(FareaReader, RecordSizesFromEachRecord) {
    // Overrides of both widths, a longer fixed part, and a length of 0.
    struct Case { std::uint16_t length, overrides; std::size_t width; };
    for (const Case& c : {Case{80, 2, 12}, Case{0, 1, 12}}) {
        TestArea first{"ONE", "one/", "one.bbs", 0, c.overrides, c.width, c.length};
        TestArea last = first;
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
    auto at = [](std::size_t where, std::uint32_t v) {
        return [=](std::string& d) { testing::put16(d, where, v); };
    };
    struct Case { const char* what; std::function<void(std::string&)> damage; };
    const Case cases[] = {
        {"bad magic", [](std::string& d) { d[0] = 'X'; }},
        {"record length 63", at(4, 63)},
        {"heap past the file", at(second + 4, 500)},
        {"overrides past the file", at(second + 2, 900)},
        {"name past the heap", at(second + 10, 10)},
        {"path offset far out", at(second + 12, 0xFFFF)},
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
    auto offset = [&](std::uint32_t v) {
        std::string idx = f.idx;
        testing::put32(idx, 20, v);
        return idx;
    };
    struct Case { const char* what; std::string idx; std::size_t area; };
    const Case cases[] = {
        {"offset at the end of farea.dat", offset(static_cast<std::uint32_t>(f.dat.size())), 0},
        {"offset far past farea.dat", offset(0xFFFFFFF0u), 0},
        {"offset inside the magic", offset(1), 0},
        {"area past farea.idx", f.idx, 1},
        {"partial farea.idx record", f.idx.substr(0, 23), 0},
    };
    std::string bbs = "untouched";
    for (const Case& c : cases) EXPECT_FALSE(farea_area_files_bbs(f.dat, c.idx, c.area, bbs)) << c.what;
    EXPECT_EQ(bbs, "untouched");
}

}  // namespace
}  // namespace zunt
