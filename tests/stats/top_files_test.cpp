#include "stats/top_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "stats/stat_table.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

const std::string kTopRule = " \xC9" + std::string(76, '\xCD') + "\xBB";
const std::string kMidRule = " \xCC" + std::string(76, '\xCD') + "\xB9";
const std::string kEndRule = " \xC8" + std::string(76, '\xCD') + "\xBC";
const std::string kEmpty = " \xBA" + std::string(76, ' ') + "\xBA";

std::string c(char x) { return std::string("\x16\x01\x10", 3) + x; }

std::string lines(std::initializer_list<std::string> ls) {
    std::string s;
    for (const auto& l : ls) s += l + "\r\n";
    return s;
}

ControlSettings settings_named(const char* name, int top = 25) {
    ControlSettings s;
    s.system_name = name;
    s.top_count = top;
    return s;
}

// What a line shows on screen: colour changes and the form feed take no room.
std::string visible(const std::string& line) {
    std::string v;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\x16') i += 3;
        else if (line[i] != '\f') v += line[i];
    }
    return v;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t e = text.find("\r\n", at);
        out.push_back(text.substr(at, e - at));
        at = e + 2;
    }
    return out;
}

const std::vector<TopEntry> kTwo = {{"TOOL.ZIP", 12}, {"README.TXT", 3}};

TEST(TopFiles, TextBulletinByteForByte) {
    std::string want = lines({
        kTopRule,
        " \xBA" "                          The Top Files at My BBS                           " "\xBA",
        kMidRule,
        kEmpty,
        " \xBA" "           Rank                File                Downloads                " "\xBA",
        " \xBA" "           \xC4\xC4\xC4\xC4" "                " "\xC4\xC4\xC4\xC4" "                "
        "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4" "                " "\xBA",
        kEmpty,
        " \xBA" "             1.                TOOL.ZIP                12                   " "\xBA",
        " \xBA" "             2.                README.TXT               3                   " "\xBA",
        kEndRule,
        "",
    });
    EXPECT_EQ(format_text_bulletin(kTwo, settings_named("My BBS")), want);
}

TEST(TopFiles, BoardBulletinByteForByte) {
    std::string want = lines({
        "\f" + c('\x81') + kTopRule,
        " \xBA " + c('\x8E') + "                         The Top Files at My BBS                          " +
            c('\x81') + " \xBA",
        kMidRule,
        kEmpty,
        " \xBA" "          " + c('\x8F') + " Rank                File                Downloads" + c('\x81') +
            "                \xBA",
        " \xBA" "          " + c('\x8F') + " \xC4\xC4\xC4\xC4" "                " "\xC4\xC4\xC4\xC4"
            "                " "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4" + c('\x81') + "                \xBA",
        kEmpty,
        " \xBA" "           " + c('\x8A') + "  1." "               " + c('\x8E') + " TOOL.ZIP     " "         " +
            c('\x8D') + " 12" + c('\x81') + "                    \xBA",
        " \xBA" "           " + c('\x8A') + "  2." "               " + c('\x8E') + " README.TXT   " "         " +
            c('\x8D') + "  3" + c('\x81') + "                    \xBA",
        kMidRule,
        " \xBA" + c('\x87') + "                            Created by ZUNT 1.30                            " +
            c('\x81') + "\xBA",
        kEndRule,
        "",
    });
    std::string got = format_board_bulletin(kTwo, settings_named("My BBS"));
    EXPECT_EQ(got, want);
    for (const auto& l : split_lines(got)) {
        if (l.empty()) continue;
        EXPECT_EQ(visible(l).size(), 79u) << l;
    }
}

TEST(TopFiles, CentringPadsTheOddSpaceOnTheRight) {
    struct Case {
        const char* text;
        std::size_t width;
        const char* want;
    } cases[] = {
        {"ab", 5, " ab  "}, {"ab", 6, "  ab  "}, {"abc", 3, "abc"}, {"abcdef", 3, "abcdef"}, {"", 3, "   "},
    };
    for (const auto& k : cases) EXPECT_EQ(centre_text(k.text, k.width), k.want) << k.text << k.width;
}

TEST(TopFiles, TitleWidthsAndWideCounts) {
    const std::string name57(57, 'N');
    auto title_line = [](const ControlSettings& s) { return split_lines(format_text_bulletin({}, s))[1]; };
    EXPECT_EQ(title_line(settings_named(name57.c_str())), " \xBA The Top Files at " + name57 + " \xBA");
    EXPECT_EQ(title_line(settings_named((name57 + "XY").c_str())).size(), 81u);  // pushes the border out
    ControlSettings unnamed;
    EXPECT_NE(title_line(unnamed).find("The Top Files at !Systemname not defined!"), std::string::npos);

    std::vector<TopEntry> wide = {{"BIG.ZIP", 12345}};
    auto s = settings_named("X");
    EXPECT_EQ(split_lines(format_text_bulletin(wide, s))[7],
              " \xBA" "             1.                BIG.ZIP              12345                   \xBA");
    EXPECT_EQ(visible(split_lines(format_board_bulletin(wide, s))[7]).size(), 81u);
}

TEST(TopFiles, TopLimitsTheRows) {
    std::vector<TopEntry> many(30, TopEntry{"A.ZIP", 1});
    struct Case {
        int top;
        std::size_t entries, rows;
    } cases[] = {{25, 10, 10}, {25, 30, 25}};
    for (const auto& k : cases) {
        std::vector<TopEntry> e(many.begin(), many.begin() + static_cast<long>(k.entries));
        EXPECT_EQ(split_lines(format_text_bulletin(e, settings_named("X", k.top))).size(), 9 + k.rows);
        EXPECT_EQ(split_lines(format_board_bulletin(e, settings_named("X", k.top))).size(), 11 + k.rows);
    }
}

TEST(TopFiles, SortKeepsFileOrderAmongEqualCounts) {
    std::vector<TopEntry> e = {{"A", 1}, {"B", 2}, {"C", 1}, {"D", 2}, {"E", 65535}};
    sort_top_files(e);
    std::string order;
    for (const auto& x : e) order += x.name;
    EXPECT_EQ(order, "EBDAC");
}

class TopFilesFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zunt_top_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        s_ = settings_named("My BBS");
        s_.statistics_path = (dir_ / "zunt.sta").string();
        s_.text_out_path = (dir_ / "top.txt").string();
        s_.bbs_out_path = (dir_ / "top.bbs").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    void write_stats(const std::vector<std::pair<std::string, int>>& files) {
        StatTable t;
        for (const auto& [name, count] : files) update_stat_entry(t, name, StatUpdate::set, count, 1);
        std::ofstream(*s_.statistics_path, std::ios::binary) << encode_statistics(t);
    }
    static std::string slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
    ControlSettings s_;
};

TEST_F(TopFilesFileTest, WritesBothBulletinsAndReportsEachFailure) {
    write_stats({{"c:/a/skip.me", 99}, {"d:\\files\\util\\tool.zip", 12}, {"d:\\files\\readme.txt", 3}});
    s_.exclude_patterns = {"X*", "SKIP.*"};
    std::string progress;
    auto note = [&progress](std::string_view t) { progress += t; };
    ASSERT_EQ(write_top_files(default_env(), s_, note), TopFilesResult::written);
    EXPECT_EQ(progress, "Reading statistics...\nSorting downloads...\nWriting output files...\n");
    EXPECT_EQ(slurp(*s_.text_out_path), format_text_bulletin(kTwo, s_));
    EXPECT_EQ(slurp(*s_.bbs_out_path), format_board_bulletin(kTwo, s_));

    ControlSettings no_board = s_;
    no_board.bbs_out_path = (dir_ / "missing" / "top.bbs").string();
    fs::remove(*s_.text_out_path);
    EXPECT_EQ(write_top_files(default_env(), no_board, note), TopFilesResult::board_write_failed);
    EXPECT_TRUE(fs::exists(*s_.text_out_path));  // the text bulletin comes first

    ControlSettings no_text = s_;
    no_text.text_out_path = (dir_ / "missing" / "top.txt").string();
    fs::remove(*s_.bbs_out_path);
    EXPECT_EQ(write_top_files(default_env(), no_text, note), TopFilesResult::text_write_failed);
    EXPECT_FALSE(fs::exists(*s_.bbs_out_path));

    std::ofstream(*s_.statistics_path, std::ios::binary) << std::string("\x05\0\0\0", 4);
    EXPECT_EQ(write_top_files(default_env(), s_, note), TopFilesResult::incompatible);
    fs::remove(*s_.statistics_path);
    EXPECT_EQ(write_top_files(default_env(), s_, note), TopFilesResult::cannot_open);
}

}  // namespace
}  // namespace zunt
