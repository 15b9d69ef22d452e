#include "run/command_line.h"

#include <gtest/gtest.h>

#include "run/config_messages.h"

namespace zunt {
namespace {

TEST(CommandLine, SwitchTable) {
    struct Case {
        std::vector<std::string> args;
        SwitchResult want;
        std::string path;  // control_file_path afterwards
        bool f, i, s, ns;
        std::string bad;
    } cases[] = {
        {{}, SwitchResult::go_on, "start", false, false, false, false, ""},
        {{"/CD:\\BBS\\MY.CTL"}, SwitchResult::go_on, "d:\\bbs\\my.ctl", false, false, false, false, ""},
        {{"-ca.ctl", "/cb.ctl"}, SwitchResult::go_on, "b.ctl", false, false, false, false, ""},
        {{"/c"}, SwitchResult::go_on, "", false, false, false, false, ""},
        {{"/F", "-i", "/Sx"}, SwitchResult::go_on, "start", true, true, true, false, ""},
        {{"/iall", "nsort", "nd"}, SwitchResult::go_on, "start", false, true, false, true, ""},
        {{"nosort"}, SwitchResult::illegal, "start", false, false, false, false, "nosort"},
        {{"/"}, SwitchResult::illegal, "start", false, false, false, false, "/"},
        {{"/X", "/?"}, SwitchResult::illegal, "start", false, false, false, false, "/x"},
        {{"/?", "/x"}, SwitchResult::help, "start", false, false, false, false, ""},
        {{"/HELP"}, SwitchResult::help, "start", false, false, false, false, ""},
        {{"-h"}, SwitchResult::help, "start", false, false, false, false, ""},
        {{"/NS"}, SwitchResult::illegal, "start", false, false, false, false, "/ns"},
        {{"/c" + std::string(259, 'a')}, SwitchResult::go_on, std::string(259, 'a'), false, false,
         false, false, ""},
        {{"/c" + std::string(260, 'a')}, SwitchResult::path_too_long, "start", false, false, false,
         false, "/c" + std::string(260, 'a')},
    };
    for (auto& c : cases) {
        RunState st;
        st.control_file_path = "start";
        std::string bad;
        std::vector<std::string> args = c.args;
        EXPECT_EQ(parse_switches(args, st, bad), c.want) << ::testing::PrintToString(c.args);
        EXPECT_EQ(st.control_file_path, c.path);
        EXPECT_EQ(st.force_full_scan, c.f);
        EXPECT_EQ(st.init_run, c.i);
        EXPECT_EQ(st.stat_output_run, c.s);
        EXPECT_EQ(st.no_sort, c.ns);
        EXPECT_EQ(bad, c.bad);
    }
}

TEST(CommandLine, DefaultControlFile) {
    struct Case {
        const char* argv0;
        const char* want;
    } cases[] = {
        {"zunt", "ZUNT.CTL"},
        {"C:\\BBS\\ZUNT.EXE", "C:\\BBS\\ZUNT.CTL"},
        {"c:zunt.exe", "c:ZUNT.CTL"},
        {"/usr/local/bin/zunt", "/usr/local/bin/ZUNT.CTL"},
        {"", "ZUNT.CTL"},
    };
    for (const auto& c : cases) EXPECT_EQ(default_control_file_path(c.argv0), c.want) << c.argv0;
}

TEST(ConfigMessages, Table) {
    ConfigState st;
    st.config_line_number = 12;
    st.config_line_text = "Foo 100%s";
    struct Case {
        ConfigResult code;
        const char* want;
    } cases[] = {
        {ConfigResult::ok, ""},
        {ConfigResult::cannot_open, "  Can't open x.ctl (No such file)\n"},
        {ConfigResult::illegal_line,
         "  Illegal config line in zunt.ctl\n  (Line 12, \"Foo 100%s\")\n"},
        {ConfigResult::unknown_keyword,
         "  Unknown config line in zunt.ctl\n  (Line 12, \"Foo 100%s\")\n"},
        {ConfigResult::illegal_max_file_areas,
         "  Illegal MaxFileAres (must be 1-2048) in zunt.ctl\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(config_message(c.code, st, "x.ctl", "No such file"), c.want)
            << static_cast<int>(c.code);
    for (int code = 2; code <= 16; ++code)
        EXPECT_NE(config_message(static_cast<ConfigResult>(code), st, "", ""), "") << code;
}

}  // namespace
}  // namespace zunt
