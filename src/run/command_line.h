// The switches, the banner and the help text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/driver.h"

namespace zunt {

// CR LF, the program line, CR LF: printed first, on standard output.
extern const std::string_view kBanner;
// The help text of /? and /h, on standard output.
extern const std::string_view kHelpText;
// The longest control file path /c accepts.
constexpr std::size_t kMaxControlPathLength = 259;

enum class SwitchResult {
    go_on,           // all arguments taken
    help,            // /? or /h: print the help text, end with 0
    illegal,         // an unknown switch: `bad_argument` holds it
    path_too_long,   // a /c value over kMaxControlPathLength: `bad_argument` holds it
};

// Takes the arguments (without the program name) left to right. Each is
// lower-cased (A-Z) in place; its first two characters are the switch and
// the rest is the value. Stops at the first help, illegal or overlong switch.
SwitchResult parse_switches(std::vector<std::string>& args, RunState& state,
                            std::string& bad_argument);

// ZUNT.CTL in the drive and directory of the path the program was started by.
std::string default_control_file_path(std::string_view program_path);

// The console texts of the two refusals.
std::string illegal_switch_message(const std::string& argument);
std::string path_too_long_message();

}  // namespace zunt
