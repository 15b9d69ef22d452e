// Loading the board's file areas from farea.dat/farea.idx and the ASCII area
// file into an AreaConfig.
#pragma once

#include <optional>
#include <string>

#include "areas/area_table.h"
#include "platform/env.h"

namespace zunt {

enum class AreaResult {
    loaded = 0,
    out_of_memory = 1,
    cannot_open_farea = 2,   // farea.dat or farea.idx (or a farea value too short to name it)
    cannot_open_ascii = 3,
    ascii_syntax = 4,
    bad_farea = 5,           // not a valid Maximus 3.x farea.dat
};

// farea.dat's areas first, in file order, then the ASCII area file's. In
// list mode they go onto config.area_list, otherwise into config.area_table.
// config.farea_path keeps the farea value as given. What was loaded before a
// failure stays in `config` until release_area_config.
AreaResult load_area_config(Env& env, const std::optional<std::string>& farea,
                            const std::optional<std::string>& ascii, bool list_mode,
                            AreaConfig& config);

// farea.idx beside farea.dat: the farea value with its last three characters
// replaced by "idx"; nullopt when the value is shorter than that.
std::optional<std::string> farea_idx_path(const std::string& farea);

}  // namespace zunt
