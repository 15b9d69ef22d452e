#include "config/control_file.h"

#include <gtest/gtest.h>

#include <map>

#include "areas/area_test_util.h"
#include "list/download_list.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

// The real file system; `vars` stand before the process environment.
using TestEnv = testing::FaultEnv;

class ControlFile : public ::testing::Test {
protected:
    ConfigResult read(const std::string& bytes) { return read_control_file(env, dir.write("zunt.ctl", bytes), s, state); }
    testing::ScratchDir dir{"ctl"};
    TestEnv env{default_env()};
    ControlSettings s;
    ConfigState state;
};

const std::string kArea = "farea f\r\ncounterstyle 1\r\ncounterlength 3\r\n";

TEST_F(ControlFile, ValuesAndDefaults) {
    ASSERT_EQ(read(kArea), ConfigResult::ok);
    EXPECT_EQ(s.tabulate_column, 14);
    EXPECT_TRUE(s.use_area_dat_first);
    ASSERT_EQ(read("counterstyle 1\r\ncounterlength 1\r\n"), ConfigResult::no_area_file);
    EXPECT_FALSE(s.use_area_dat_first);
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
    EXPECT_EQ(s.sort_by * 10 + s.sort_order, 22);
    EXPECT_EQ(s.log_list, (std::vector<std::string>{"a.log", "b.log"}));
    EXPECT_EQ(s.max_file_areas * 100 + s.top_count, 102425);
}

TEST_F(ControlFile, PathListsAndTheirCount) {
    env.vars = {{"BBS", "C:\\Files\\"}, {"UNIX", "/srv/Files"}};
    dir.write("excl.txt", "*.tic\r\n\r\nfile_id.diz \\\r\nlast\x1Anot read\r\n");
    const long before = list_node_count;
    ASSERT_EQ(read(kArea + "ignorepath c:\\tmp\r\nignorepath %bbs%\r\nignorepath /var/in/\r\n"
                           "ignorepath %unix%\r\nexcludefromlist " + dir.path("excl.txt") +
                   "\r\nexcludefromlist nowhere.txt\r\n"),
              ConfigResult::ok);
    EXPECT_EQ(s.ignore_paths, (std::vector<std::string>{"c:\\tmp\\", "c:\\files\\", "/var/in/", "/srv/files/"}));
    EXPECT_EQ(s.exclude_patterns, (std::vector<std::string>{"*.TIC", "", "FILE_ID.DIZ", "LAST"}));
    EXPECT_EQ(list_node_count - before, 9);  // four paths, four patterns and the final "DL-"
    ASSERT_EQ(read(kArea), ConfigResult::ok);
    EXPECT_EQ(list_node_count - before, 1);  // a new read releases the old entries
}

TEST(ExpandEnvironment, Table) {
    TestEnv env{default_env()};
    env.vars = {{"BBS", "C:\\BBS"}, {"EMPTY", ""}};
    const std::pair<const char*, const char*> cases[] = {
        {"X%Bbs%Y", "xc:\\bbsy"}, {"%nope%", "envnotfound"}, {"100%%", "100%"}, {"a%b c%d", "a%b c%d"},
        {"end%bbs", "end%bbs"},   {"%", "%"},                {"%empty%x", "x"}, {"%a\tb%bbs%", "%a\tbc:\\bbs"},
        {"%%%bbs%", "%c:\\bbs"}, {"%a\fb%bbs%", "%a\fbc:\\bbs"}, {"%a\rb%bbs%", "%a\rbc:\\bbs"},
        {"%a\vb%bbs%", "%a\vbc:\\bbs"}, {"%a\nb%bbs%", "%a\nbc:\\bbs"},
    };
    for (auto [in, want] : cases) {
        std::string t = in;
        expand_environment(env, t);
        EXPECT_EQ(t, want) << in;
    }
}

}  // namespace
}  // namespace zunt
