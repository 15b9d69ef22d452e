#include "run/command_line.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

TEST(CommandLine, SwitchTable) {
    const std::string long_path(259, 'a');
    const struct {
        std::vector<std::string> args;
        SwitchResult want;
        std::string path;   // control_file_path afterwards
        const char* flags;  // f(orce full scan), i(nit), s(tatistics), n(o sort)
        std::string bad;
    } cases[] = {
        {{}, SwitchResult::go_on, "start", "", ""},
        {{"/CD:\\BBS\\MY.CTL"}, SwitchResult::go_on, "d:\\bbs\\my.ctl", "", ""},
        {{"-ca.ctl", "/cb.ctl"}, SwitchResult::go_on, "b.ctl", "", ""},
        {{"/c"}, SwitchResult::go_on, "", "", ""},
        {{"/F", "-i", "/Sx"}, SwitchResult::go_on, "start", "fis", ""},
        {{"/iall", "nsort", "nd"}, SwitchResult::go_on, "start", "in", ""},
        {{"nosort"}, SwitchResult::illegal, "start", "", "nosort"},
        {{"/"}, SwitchResult::illegal, "start", "", "/"},
        {{"/NS"}, SwitchResult::illegal, "start", "", "/ns"},
        {{"/HELP"}, SwitchResult::help, "start", "", ""},
        {{"-h"}, SwitchResult::help, "start", "", ""},
        {{"/c" + long_path}, SwitchResult::go_on, long_path, "", ""},
    };
    for (auto& c : cases) {
        RunState st;
        st.control_file_path = "start";
        std::string bad, flags;
        std::vector<std::string> args = c.args;
        EXPECT_EQ(parse_switches(args, st, bad), c.want) << ::testing::PrintToString(c.args);
        EXPECT_EQ(st.control_file_path, c.path);
        for (auto [set, letter] : {std::pair{st.force_full_scan, 'f'}, {st.init_run, 'i'}, {st.stat_output_run, 's'},
                                   {st.no_sort, 'n'}})
            if (set) flags += letter;
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(bad, c.bad);
    }
}

TEST(CommandLine, DefaultControlFileBesideTheProgram) {
    EXPECT_EQ(default_control_file_path("C:\\BBS\\ZUNT.EXE"), "C:\\BBS\\ZUNT.CTL");
    EXPECT_EQ(default_control_file_path("c:zunt.exe"), "c:ZUNT.CTL");
    EXPECT_EQ(default_control_file_path("/usr/local/bin/zunt"), "/usr/local/bin/ZUNT.CTL");
    EXPECT_EQ(default_control_file_path(""), "ZUNT.CTL");
}

}  // namespace
}  // namespace zunt
