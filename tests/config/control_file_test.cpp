#include "config/control_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "list/download_list.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// The real file system with a made-up process environment.
class TestEnv : public testing::FaultEnv {
public:
    TestEnv() : FaultEnv(default_env()) {}
    std::map<std::string, std::string> vars;
    std::optional<std::string> get_env(const std::string& name) override {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    }
};

class ControlFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zunt_ctl_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string put(const std::string& name, const std::string& bytes) {
        std::string p = (dir_ / name).string();
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    ConfigResult read(const std::string& bytes) {
        return read_control_file(env, put("zunt.ctl", bytes), s, state);
    }

    fs::path dir_;
    TestEnv env;
    ControlSettings s;
    ConfigState state;
};

const std::string kArea = "farea f\r\ncounterstyle 1\r\ncounterlength 3\r\n";

TEST_F(ControlFile, ResultCodesTable) {
    struct Case {
        std::string text;
        ConfigResult want;
    } cases[] = {
        {kArea, ConfigResult::ok},
        {kArea + "counterstyle 0\r\n", ConfigResult::illegal_counter_style},
        {kArea + "counterstyle 5\r\n", ConfigResult::illegal_counter_style},
        {kArea + "counterlength 7\r\n", ConfigResult::illegal_counter_length},
        {kArea + "counterlength 65537\r\n", ConfigResult::illegal_counter_length},
        {kArea + "maxfileareas 2049\r\n", ConfigResult::illegal_max_file_areas},
        {kArea + "top 0\r\n", ConfigResult::illegal_top},
        {kArea + "top 101\r\n", ConfigResult::illegal_top},
        {kArea + "maxdesclen -1\r\n", ConfigResult::illegal_max_desc_len},
        {kArea + "maxdesclen 1025\r\n", ConfigResult::illegal_max_desc_len},
        {kArea + "sortby size\r\n", ConfigResult::illegal_sort_by},
        {kArea + "sortorder up\r\n", ConfigResult::illegal_sort_order},
        {kArea + "sortby name\r\n", ConfigResult::no_sort_order},
        {kArea + "sortorder ascending\r\n", ConfigResult::ok},
        {kArea + "tabulate 0\r\n", ConfigResult::illegal_tabulate},
        {kArea + "tabulate 27\r\n", ConfigResult::illegal_tabulate},
        {kArea + "debug\r\n", ConfigResult::illegal_line},
        {kArea + "a\tb\r\n", ConfigResult::illegal_line},
        {kArea + " ;comment\r\n", ConfigResult::unknown_keyword},
        {kArea + "\t;x y\r\n", ConfigResult::unknown_keyword},
        {kArea + "  \\ \\\r\n", ConfigResult::ok},
        {"counterstyle 1\r\ncounterlength 1\r\n", ConfigResult::no_area_file},
        {"asciiareafile a\r\nmaxfilesidx m\r\ncounterstyle 1\r\n", ConfigResult::maxfiles_without_farea},
        {"farea f\r\ncounterlength 1\r\n", ConfigResult::need_counter_style},
        {"farea f\r\ncounterstyle 1\r\n", ConfigResult::need_counter_length},
        {"farea f\r\ncounterstyle 9\r\nbogus\r\n", ConfigResult::illegal_counter_style},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.text), c.want) << c.text;
}

TEST_F(ControlFile, ValuesAndDefaults) {
    ASSERT_EQ(read("FArea C:\\Max\\FArea\\\r\nCounterStyle  2\r\nCOUNTERLENGTH +4x\r\n"
                   "ZeroPadd YES\r\nIgnoreTic  yes\r\nDebug no\r\nTabulate 1\r\n"
                   "MailerString Sent:\r\nSystemName My  BBS\r\nPriority idle\r\n"
                   "Priority bogus\r\nTicFile before\r\nUseAreaDatFirst No\r\n"
                   "SortBy Date\r\nSortOrder Descending\r\nBbsLog a.log\r\nMailerLog B.LOG\r\n"),
              ConfigResult::ok);
    EXPECT_EQ(s.farea_path, "c:\\max\\farea");
    EXPECT_EQ(s.counter_style, 2);
    EXPECT_EQ(s.counter_length, 4);
    EXPECT_TRUE(s.zero_pad);
    EXPECT_FALSE(s.ignore_tic);  // the value begins with a blank
    EXPECT_TRUE(s.debug_mode);
    EXPECT_EQ(s.tabulate_column, 0);
    EXPECT_EQ(s.mailer_strings, (std::vector<std::string>{"Sent:", "DL-"}));
    EXPECT_EQ(s.system_name, "My  BBS");
    EXPECT_EQ(s.process_priority, 1);
    EXPECT_TRUE(s.tic_before);
    EXPECT_FALSE(s.use_area_dat_first);
    EXPECT_EQ(s.sort_by, 2);
    EXPECT_EQ(s.sort_order, 2);
    EXPECT_EQ(s.log_list, (std::vector<std::string>{"a.log", "b.log"}));
    EXPECT_EQ(s.max_file_areas, 1024);
    EXPECT_EQ(s.top_count, 25);
}

TEST_F(ControlFile, UntouchedDefaults) {
    ASSERT_EQ(read(kArea), ConfigResult::ok);
    EXPECT_EQ(s.system_name, "!Systemname not defined!");
    EXPECT_EQ(s.tabulate_column, 14);
    EXPECT_TRUE(s.use_area_dat_first);
    EXPECT_EQ(s.mailer_strings, std::vector<std::string>{"DL-"});
}

TEST_F(ControlFile, ErrorLineCountsEveryLineAndKeepsCase) {
    EXPECT_EQ(read("; one\r\n\r\n   \r\nfarea x\r\nTyPo Value \\\r\nfarea y\r\n"),
              ConfigResult::unknown_keyword);
    EXPECT_EQ(state.config_line_number, 5);
    EXPECT_EQ(state.config_line_text, "TyPo Value");
    EXPECT_EQ(s.farea_path, "x");  // reading stopped at the faulty line
}

TEST_F(ControlFile, LongLinesReadInPiecesOf511) {
    std::string text = kArea + "farea " + std::string(600, 'x') + "\r\n";
    EXPECT_EQ(read(text), ConfigResult::illegal_line);  // the second piece has no blank
    EXPECT_EQ(state.config_line_number, 5);
    EXPECT_EQ(state.config_line_text, std::string(95, 'x'));
}

TEST_F(ControlFile, WarningStillChecksTheRest) {
    EXPECT_EQ(read("counterstyle 1\r\n"), ConfigResult::no_area_file);
    EXPECT_EQ(state.after_warning, ConfigResult::need_counter_length);
    EXPECT_FALSE(s.use_area_dat_first);
    EXPECT_EQ(read("counterstyle 1\r\ncounterlength 1\r\nsortby name\r\n"),
              ConfigResult::no_area_file);
    EXPECT_EQ(state.after_warning, ConfigResult::no_sort_order);
}

TEST_F(ControlFile, CannotOpenKeepsTheError) {
    EXPECT_EQ(read_control_file(env, (dir_ / "missing.ctl").string(), s, state),
              ConfigResult::cannot_open);
    EXPECT_EQ(state.open_error, ENOENT);
}

TEST_F(ControlFile, IgnorePathsEndInOneSeparator) {
    env.vars["BBS"] = "C:\\Files\\";
    env.vars["UNIX"] = "/srv/Files";
    ASSERT_EQ(read(kArea + "ignorepath c:\\tmp\r\nignorepath c:\\tmp\\\r\nignorepath %bbs%\r\n"
                           "ignorepath /var/in\r\nignorepath /var/in/\r\nignorepath %unix%\r\n"),
              ConfigResult::ok);
    EXPECT_EQ(s.ignore_paths, (std::vector<std::string>{"c:\\tmp\\", "c:\\tmp\\", "c:\\files\\",
                                                        "/var/in/", "/var/in/", "/srv/files/"}));
}

TEST_F(ControlFile, ExclusionFileEveryLineUpperCased) {
    put("excl.txt", "*.tic\r\n\r\nfile_id.diz \\\r\nlast\x1Anot read\r\n");
    ASSERT_EQ(read(kArea + "excludefromlist " + (dir_ / "excl.txt").string() +
                   "\r\nexcludefromlist nowhere.txt\r\n"),
              ConfigResult::ok);
    EXPECT_EQ(s.exclude_patterns, (std::vector<std::string>{"*.TIC", "", "FILE_ID.DIZ", "LAST"}));
}

TEST_F(ControlFile, ListEntriesAreCounted) {
    long before = list_node_count;
    ASSERT_EQ(read(kArea + "bbslog a\r\nmailerstring x\r\nignorepath p\r\n"), ConfigResult::ok);
    EXPECT_EQ(list_node_count - before, 4);  // three and the final "DL-"
    ASSERT_EQ(read(kArea), ConfigResult::ok);
    EXPECT_EQ(list_node_count - before, 1);  // a new read releases the old entries
}

TEST(ExpandEnvironment, Table) {
    TestEnv env;
    env.vars["BBS"] = "C:\\BBS";
    env.vars["EMPTY"] = "";
    struct Case {
        const char* in;
        const char* want;
    } cases[] = {
        {"%bbs%\\files", "c:\\bbs\\files"}, {"X%Bbs%Y", "xc:\\bbsy"},
        {"%nope%", "envnotfound"},          {"100%%", "100%"},
        {"a%b c%d", "a%b c%d"},             {"end%bbs", "end%bbs"},
        {"%", "%"},                         {"%empty%x", "x"},
        {"%a\tb%bbs%", "%a\tbc:\\bbs"},     {"%%%bbs%", "%c:\\bbs"},
    };
    for (const auto& c : cases) {
        std::string t = c.in;
        expand_environment(env, t);
        EXPECT_EQ(t, c.want) << c.in;
    }
}

TEST(SplitKeyword, OnlyTheFirstBlankCuts) {
    std::string k, v;
    ASSERT_TRUE(split_keyword("top  10 x", k, v));
    EXPECT_EQ(k, "top");
    EXPECT_EQ(v, " 10 x");
    ASSERT_TRUE(split_keyword(" x", k, v));
    EXPECT_EQ(k, "");
    EXPECT_FALSE(split_keyword("a\tb", k, v));
}

}  // namespace
}  // namespace zunt
