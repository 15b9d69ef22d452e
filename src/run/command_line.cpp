#include "run/command_line.h"

#include "config/text_util.h"

namespace zunt {

const std::string_view kBanner =
    "\r\nZUNT 1.30  A FAST! Downloadcounter for Maximus CBCS 3.x and mailers.\r\n";

const std::string_view kHelpText =
    "ZUNT is a download counter for Maximus 3.x and a wide range of mailers.\n"
    "\n"
    "ZUNT will read all logs into memory, parse them and increase download\n"
    "counters in your Files.Bbs accordingly.\n"
    "\n"
    "Switches:\n"
    "\n"
    " /c<cfg_file> - use cfg_file instead of ZUNT.CTL\n"
    " /i           - initialize download counters in all Maximus file areas\n"
    "                read all DLCs and initalize statfile\n"
    " /f           - force; will process all downloads even if already processed\n"
    " /s           - create 'Top Files' BBS/text from stat file\n"
    " /? or /h     - this help text\n"
    "\n"
    "\n";

SwitchResult parse_switches(std::vector<std::string>& args, RunState& state,
                            std::string& bad_argument) {
    for (std::string& arg : args) {
        to_lower_ascii(arg);
        const std::string key = arg.substr(0, 2);
        const std::string value = arg.size() > 2 ? arg.substr(2) : std::string();
        if (key == "/c" || key == "-c") {
            if (value.size() > kMaxControlPathLength) {
                bad_argument = arg;
                return SwitchResult::path_too_long;
            }
            state.control_file_path = value;
        } else if (key == "/f" || key == "-f") {
            state.force_full_scan = true;
        } else if (key == "/?" || key == "-?" || key == "/h" || key == "-h") {
            return SwitchResult::help;
        } else if (key == "/i" || key == "-i") {
            state.init_run = true;
        } else if (key == "/s" || key == "-s") {
            state.stat_output_run = true;
        } else if (key == "ns") {
            state.no_sort = true;
        } else if (key == "nd") {
            // Accepted for old command lines; does nothing.
        } else {
            bad_argument = arg;
            return SwitchResult::illegal;
        }
    }
    return SwitchResult::go_on;
}

std::string default_control_file_path(std::string_view program_path) {
    PathParts parts = split_path(program_path);
    return parts.drive + parts.dir + "ZUNT.CTL";
}

std::string illegal_switch_message(const std::string& argument) {
    return "\nIllegal command line switch: \"" + argument + "\"\n";
}

std::string path_too_long_message() {
    return strprintf("\nControl file name too long (at most %zu characters)\n",
                     kMaxControlPathLength);
}

}  // namespace zunt
