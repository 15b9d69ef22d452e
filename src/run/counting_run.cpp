// The counting run: scan every log for new downloads, then count them in the
// FILES.BBS lists and the statistics.
#include <new>

#include "config/text_util.h"
#include "list/download_list.h"
#include "list/download_seq.h"
#include "logscan/log_scanner.h"
#include "run/area_step.h"
#include "run/counting_pass.h"
#include "run/driver.h"
#include "run/statistics_step.h"

namespace zunt {

namespace {

// What the run's steps hand on to each other.
struct CountingWork {
    DownloadSeq downloads;
    ScanStaging staging;  // new log positions and upload lines, not yet written
    StatTable stats;
    AreaConfig areas;
    MaxfilesIndex maxfiles;
};

void log_debug_count(RunContext& ctx) {
    if (ctx.settings.debug_mode)
        ctx.log.write(kDebug, strprintf("ZUNT [Debug] There are currently %ld dynamic list elements",
                                        list_node_count));
}

void scan_one_log(RunContext& ctx, const std::string& path, CountingWork& w) {
    ctx.progress(strprintf("Parsing %s ", path.c_str()));
    ctx.log.write(kStep, "ZUNT Parsing log: " + path);
    ScanResult r = scan_log(ctx.env, ctx.settings, ctx.log, ctx.state.force_full_scan, path,
                            w.downloads, w.staging);
    switch (r.status) {
        case ScanStatus::cannot_open:
            ctx.console("unable to open, skipped\n");
            ctx.log.write(kError, strprintf("ZUNT Couldn't open %s, rc=%d", path.c_str(), r.error));
            return;
        case ScanStatus::position_name:
            // Its scan position file would be the log itself.
            ctx.console("has the scan position file extension .znt, skipped\n");
            ctx.log.write(kError, strprintf("ZUNT Log %s has the scan position file extension "
                                            ".znt, skipped",
                                            path.c_str()));
            return;
        case ScanStatus::scanned:
            break;
    }
    ctx.console(strprintf("%ld files\n", r.count));
    ctx.log.write(kStep, strprintf("ZUNT %ld files processed", r.count));
    log_debug_count(ctx);
    ctx.state.files_processed += r.count;
}

void scan_logs(RunContext& ctx, CountingWork& w) {
    for (const std::string& path : ctx.settings.log_list) scan_one_log(ctx, path, w);
}

// The logs' new positions and their upload lines join the run's changes:
// they are made together with the counts they belong to.
void stage_positions(RunContext& ctx, CountingWork& w) {
    const PositionsStaged staged = stage_scan_positions(ctx.changes, ctx.log, w.staging,
                                                        ctx.settings.upload_log_path, w.downloads);
    for (const CommitFailure& f : staged.failures) {
        ctx.console(strprintf("  Couldn't write %s, downloads of %s left for the next run\n",
                              f.position_path.c_str(), f.log_path.c_str()));
        ctx.state.files_processed -= f.dropped;
    }
    if (staged.upload_error != 0) {
        const char* path = ctx.settings.upload_log_path->c_str();
        const std::string text = ctx.env.error_text(staged.upload_error);
        ctx.console(strprintf("  Error writing upload log file %s: %s\n", path, text.c_str()));
        ctx.log.write(kError, strprintf("ZUNT Couldn't write upload log file %s: %s", path, text.c_str()));
    }
    if (ctx.settings.upload_log_path) ctx.close_upload_log();
}

int nothing_to_do(RunContext& ctx) {
    const bool saved = commit_changes(ctx);
    ctx.progress("Nothing to do!\n\n");
    if (ctx.log.is_open()) {
        log_debug_count(ctx);
        ctx.log.close(strprintf("ZUNT End. %ld files processed", ctx.state.files_processed));
    }
    return saved ? 0 : 1;
}

// After the pass: the statistics go back to disk, then the End line with
// the rate.
int finish_run(RunContext& ctx, CountingWork& w, std::int64_t start) {
    const ControlSettings& s = ctx.settings;
    if (ctx.log.is_open() && s.debug_mode && s.statistics_path) log_stat_buckets(ctx.log, w.stats);
    if (s.statistics_path) write_statistics_step(ctx, w.stats, StatWriteLogging::step_and_failure);
    const bool saved = commit_changes(ctx);
    ctx.progress("Cleaning up, done!\n\n");
    if (s.debug_mode) ctx.log.write(kDebug, "ZUNT [Debug] Deallocating used memory");
    release_area_config(w.areas);
    release_maxfiles_index(w.maxfiles);
    const std::int64_t end = ctx.env.now();
    if (ctx.log.is_open()) {
        log_debug_count(ctx);
        const long files = ctx.state.files_processed;
        ctx.log.close(strprintf("ZUNT End. %ld files processed (%ld files/s)", files,
                                files_per_second(files, start, end)));
    }
    return saved ? 0 : 1;
}

int run_steps(RunContext& ctx, CountingWork& w) {
    const bool stats = ctx.settings.statistics_path.has_value();
    if (stats) {
        const std::string stop_end = strprintf("ZUNT End. %ld file areas initialized.",
                                               ctx.state.files_processed);
        if (int code = read_statistics_step(ctx, w.stats, stop_end); code >= 0) return code;
    }
    scan_logs(ctx, w);
    if (ctx.state.files_processed == 0) {
        stage_positions(ctx, w);
        return nothing_to_do(ctx);
    }
    // The area configuration and maxfiles.idx load before this commit, so
    // that a failure there leaves every log to be read again next run.
    if (int code = load_areas_step(ctx, w.areas, w.maxfiles); code >= 0) return code;
    stage_positions(ctx, w);
    const PassTables tables{w.areas, ctx.settings.maxfiles_idx_path ? &w.maxfiles : nullptr,
                            stats ? &w.stats : nullptr, ctx.changes};
    const std::int64_t start = counting_pass(ctx, w.downloads, tables);
    return finish_run(ctx, w, start);
}

}  // namespace

int counting_run(RunContext& ctx) {
    try {
        CountingWork w;
        return run_steps(ctx, w);
    } catch (const std::bad_alloc&) {
        // Before the commit point this leaves every log to be read again.
        return failure_stop(ctx, "  Error allocating memory!\n", "ZUNT Couldn't allocate enough memory",
                            "ZUNT End.");
    }
}

}  // namespace zunt
