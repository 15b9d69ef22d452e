#include "run/config_messages.h"

#include "config/text_util.h"

namespace zunt {

namespace {

// The messages name "zunt.ctl" whatever file was read: users know the name.
const char* fixed_text(ConfigResult result) {
    switch (result) {
        case ConfigResult::illegal_line: return "  Illegal config line in zunt.ctl\n";
        case ConfigResult::illegal_counter_style: return "  Illegal CounterStyle in zunt.ctl\n";
        case ConfigResult::illegal_counter_length:
            return "  Illegal CounterLength (must be 1-6) in zunt.ctl\n";
        case ConfigResult::illegal_max_file_areas:
            return "  Illegal MaxFileAres (must be 1-2048) in zunt.ctl\n";
        case ConfigResult::unknown_keyword: return "  Unknown config line in zunt.ctl\n";
        case ConfigResult::no_area_file:
            return "  Area.Dat and ASCII Areafile not specified. CD-ROM/Init Runs not possible.\n";
        case ConfigResult::need_counter_style: return "  Need CounterStyle in zunt.ctl\n";
        case ConfigResult::need_counter_length: return "  Need CounterLength in zunt.ctl\n";
        case ConfigResult::illegal_top: return "  Illegal Top (must be 1-100) in zunt.ctl\n";
        case ConfigResult::illegal_max_desc_len:
            return "  Illegal TruncateDesc (must be 0-1024) in zunt.ctl\n";
        case ConfigResult::illegal_sort_by:
            return "  Illegal SortBy (must be either name or date) in zunt.ctl\n";
        case ConfigResult::illegal_sort_order:
            return "  Illegal SortOrder (must be ascending or descending) in zunt.ctl\n";
        case ConfigResult::no_sort_order: return "  You didn't specify SortOrder in zunt.ctl\n";
        case ConfigResult::illegal_tabulate:
            return "  Illegal Tabulate (must be 0-25) in zunt.ctl\n";
        case ConfigResult::maxfiles_without_farea:
            return "  You can't use Maxfiles.Idx without Area.Dat\n";
        case ConfigResult::ok:
        case ConfigResult::cannot_open: break;
    }
    return "";
}

}  // namespace

std::string config_message(ConfigResult result, const ConfigState& state,
                           const std::string& control_file_path, const std::string& system_text) {
    if (result == ConfigResult::cannot_open)
        return "  Can't open " + control_file_path + " (" + system_text + ")\n";
    std::string text = fixed_text(result);
    if (result == ConfigResult::illegal_line || result == ConfigResult::unknown_keyword)
        text += strprintf("  (Line %d, \"", state.config_line_number) + state.config_line_text +
                "\")\n";
    return text;
}

}  // namespace zunt
