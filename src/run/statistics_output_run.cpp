// The /s run: the Top Files bulletins from the statistics file.
#include "config/text_util.h"
#include "run/driver.h"
#include "stats/top_files.h"

namespace zunt {

namespace {

int report_top_files_failure(RunContext& ctx, TopFilesResult result) {
    const ControlSettings& s = ctx.settings;
    const Errno err = ctx.env.last_error();
    switch (result) {
        case TopFilesResult::written:
            return 0;
        case TopFilesResult::memory:
            return failure_stop(ctx, "  Error allocating memory!\n", "ZUNT Couldn't allocate enough memory",
                                "ZUNT End.");
        case TopFilesResult::board_write_failed:
            ctx.console_system_error("  couldn't write BBS output file");
            return failure_stop(ctx, "",
                                strprintf("ZUNT Error creating %s (rc=%d)", s.bbs_out_path->c_str(), err),
                                "ZUNT End.");
        case TopFilesResult::text_write_failed:
            ctx.console_system_error("  couldn't write text output file");
            return failure_stop(ctx, "",
                                strprintf("ZUNT Error creating %s (rc=%d)", s.text_out_path->c_str(), err),
                                "ZUNT End.");
        case TopFilesResult::incompatible:
        case TopFilesResult::cannot_open:
            break;
    }
    return failure_stop(
        ctx, "  error reading from stat file\n",
        strprintf("ZUNT Non existing or incompatible stat file (%s, rc=%d)", s.statistics_path->c_str(), err),
        "ZUNT End.");
}

}  // namespace

int statistics_output_run(RunContext& ctx) {
    const ControlSettings& s = ctx.settings;
    ctx.progress("Creating statistics output\n");
    ctx.log.write(kStep, "ZUNT Creating statistics output...");
    if (!s.bbs_out_path || !s.text_out_path || !s.statistics_path)
        return failure_stop(ctx, "  TextOut or BBSOut or Statfile not defined in zunt.ctl\n",
                            "TextOut or BBSOut or Statfile not defined in zunt.ctl", "ZUNT End.");
    TopFilesResult result = write_top_files(ctx.env, ctx.changes, s,
                                            [&ctx](std::string_view text) { ctx.progress(text); });
    // A text bulletin written before the board bulletin failed stays written.
    const bool saved = commit_changes(ctx);
    if (result != TopFilesResult::written) return report_top_files_failure(ctx, result);
    if (!saved) return failure_stop(ctx, "", "", "ZUNT End.");
    ctx.progress("Cleaning up, done!\n\n");
    if (ctx.log.is_open()) ctx.log.close("ZUNT End.");
    ctx.close_upload_log();
    return 0;
}

}  // namespace zunt
