// Reading ZUNT.CTL: one "keyword value" per line into ControlSettings, with
// %NAME% environment references in path values and the exclusion-pattern file
// read in as soon as its keyword is met.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"
#include "platform/env.h"

namespace zunt {

// The codes the run driver turns into console text; 0 is success, 7 a warning
// after which the run goes on, every other code ends the run.
enum class ConfigResult : int {
    ok = 0,
    cannot_open = 1,
    illegal_line = 2,             // a line without a space
    illegal_counter_style = 3,
    illegal_counter_length = 4,
    illegal_max_file_areas = 5,
    unknown_keyword = 6,
    no_area_file = 7,             // warning: neither farea nor asciiareafile
    need_counter_style = 8,
    need_counter_length = 9,
    illegal_top = 10,
    illegal_max_desc_len = 11,
    illegal_sort_by = 12,
    illegal_sort_order = 13,
    no_sort_order = 14,
    illegal_tabulate = 15,
    maxfiles_without_farea = 16,
};

// What the caller needs to word the messages.
struct ConfigState {
    int config_line_number = 0;    // lines read so far, comments and blanks included
    std::string config_line_text;  // the line being handled, stripped, case as written
    Errno open_error = 0;          // why the control file could not be opened or read
    // With the no_area_file warning the remaining checks (counter style and
    // length, sort order) still have their say: their result is kept here.
    ConfigResult after_warning = ConfigResult::ok;
};

// Reads the control file at `path` into `settings` (reset to the defaults
// first). The list entries are counted in list_node_count.
ConfigResult read_control_file(Env& env, const std::string& path, ControlSettings& settings,
                               ConfigState& state);

// Cuts a line at its first blank (0x20 only): keyword before, value after
// that one blank. False when the line holds no blank.
bool split_keyword(std::string_view line, std::string& keyword, std::string& value);

// Replaces every %NAME% by the value of the environment variable NAME (upper
// case), "EnvNotFound" when unset; "%%" is one "%"; a "%" whose name runs into
// white space or the end of the text is kept as written. The result is
// lower-cased as a whole.
void expand_environment(Env& env, std::string& text);

// The checks that follow the last line, from the counter style on: the
// defaults of maxfileareas and systemname, and the presence of counterstyle,
// counterlength and (with sortby) sortorder.
ConfigResult check_required_settings(ControlSettings& settings);

}  // namespace zunt
