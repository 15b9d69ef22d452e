// The /i run: every FILES.BBS gets its counters and the statistics are
// rebuilt from them.
#include "config/text_util.h"
#include "counters/initdlc.h"
#include "run/driver.h"
#include "run/statistics_step.h"
#include "stats/stat_table.h"

namespace zunt {

namespace {

std::string areas_end_line(const RunContext& ctx) {
    return strprintf("ZUNT End. %ld file areas initialized.", ctx.state.files_processed);
}

std::string files_end_line(const RunContext& ctx) {
    return strprintf("ZUNT End. %ld files processed", ctx.state.files_processed);
}

// Stops the run after the area configuration could not be loaded; -1 when
// it was loaded. The system's error is taken before anything is written.
int area_failure(RunContext& ctx, AreaResult result) {
    const std::string farea = ctx.settings.farea_path.value_or("");
    const std::string ascii = ctx.settings.ascii_area_path.value_or("");
    const Errno err = ctx.env.last_error();
    switch (result) {
        case AreaResult::loaded:
            return -1;
        case AreaResult::out_of_memory:
            return failure_stop(ctx, "  Error allocating memory!\n", "Couldn't allocate enough memory",
                                areas_end_line(ctx));
        case AreaResult::cannot_open_farea:
            ctx.console_system_error("  Couldn't open file");
            return failure_stop(ctx, "", strprintf("ZUNT Couldn't open %s, errno=%d", farea.c_str(), err),
                                files_end_line(ctx));
        case AreaResult::cannot_open_ascii:
            ctx.console_system_error("  Couldn't open ascii area file");
            return failure_stop(ctx, "", strprintf("ZUNT Couldn't open %s, rc=%d", ascii.c_str(), err),
                                files_end_line(ctx));
        case AreaResult::ascii_syntax:
            return failure_stop(ctx, "  Syntax error in ascii area file",
                                "ZUNT Syntax error in ascii area file", files_end_line(ctx));
        case AreaResult::bad_farea:
            // Initializing nothing and ending as if all went well would hide
            // a broken area configuration.
            return failure_stop(ctx, "  No valid Maximus 3.x farea.dat file",
                                strprintf("ZUNT %s is no valid Maximus 3.x farea.dat file", farea.c_str()),
                                areas_end_line(ctx));
    }
    return -1;
}

}  // namespace

int initialization_run(RunContext& ctx) {
    const ControlSettings& s = ctx.settings;
    ctx.progress("Initializing all counters\n");
    ctx.log.write(kStep, "ZUNT Initializing all counters...");

    StatTable stats;
    if (s.statistics_path) {
        if (int code = read_statistics_step(ctx, stats, areas_end_line(ctx)); code >= 0) return code;
    }
    if (s.farea_path || s.ascii_area_path) {
        ctx.progress("Reading area config\n");
        ctx.log.write(kStep, "ZUNT Reading area configuration into memory");
    }
    InitContext init{ctx.env, ctx.changes, s, ctx.log, stats};
    const AreaResult result = init_all_areas(init, ctx.state.files_processed);
    if (int code = area_failure(ctx, result); code >= 0) return code;

    // The statistics go out while the log is still open, so that a failed
    // write is on record too; the console shows the same lines in the same
    // order either way.
    if (s.statistics_path) write_statistics_step(ctx, stats, StatWriteLogging::failure_only);
    const bool saved = commit_changes(ctx);
    if (ctx.log.is_open()) ctx.log.close(areas_end_line(ctx));
    ctx.progress("Cleaning up, done!\n\n");
    ctx.close_upload_log();
    return saved ? 0 : 1;
}

}  // namespace zunt
