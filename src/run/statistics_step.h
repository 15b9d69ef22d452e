// The statistics steps shared by the counting run and the initialization
// run: reading the statistics file at the start and writing it back at the
// end, with their console and log lines.
#pragma once

#include <string_view>

#include "run/driver.h"
#include "stats/stat_table.h"

namespace zunt {

// Reads `statistics_path` into `table` (the caller checks that it is set).
// Returns -1 to go on (also with a new, empty table), or the exit code of a
// failure stop, which then has been made with `stop_end_line` as End line:
// out of memory, or a file that exists but cannot be opened (starting anew
// would wipe every count when the table is written back).
int read_statistics_step(RunContext& ctx, StatTable& table, std::string_view stop_end_line);

enum class StatWriteLogging {
    step_and_failure,  // counting run: "Writing statistics back to disk" and a failure line
    failure_only,      // initialization run: only a failure line
};

// Puts `table` into the run's changes as the new `statistics_path`; a
// failure is reported and the run goes on. Returns true when it is in.
bool write_statistics_step(RunContext& ctx, const StatTable& table, StatWriteLogging logging);

}  // namespace zunt
