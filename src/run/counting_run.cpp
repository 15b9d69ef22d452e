// The counting run: scan every log for new downloads, then count them in the
// FILES.BBS lists and the statistics.
#include "config/text_util.h"
#include "list/download_list.h"
#include "logscan/log_scanner.h"
#include "run/driver.h"

namespace zunt {

namespace {

// What the run's steps hand on to each other.
struct CountingWork {
    DownloadList downloads;
    ScanStaging staging;  // new log positions and upload lines, not yet written
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

// The one point where the logs' new positions and their upload lines are
// written. The upload log stays open until here so that its lines go out
// together with the positions they belong to.
void commit_positions(RunContext& ctx, CountingWork& w) {
    std::vector<CommitFailure> failures = commit_scan_positions(
        ctx.env, ctx.log, w.staging, ctx.upload_log.get(), w.downloads);
    for (const CommitFailure& f : failures) {
        ctx.console(strprintf("  Couldn't write %s, downloads of %s left for the next run\n",
                              f.position_path.c_str(), f.log_path.c_str()));
        ctx.state.files_processed -= f.dropped;
    }
    if (ctx.settings.upload_log_path) ctx.close_upload_log();
}

int nothing_to_do(RunContext& ctx) {
    ctx.progress("Nothing to do!\n\n");
    if (ctx.log.is_open()) {
        log_debug_count(ctx);
        ctx.log.close(strprintf("ZUNT End. %ld files processed", ctx.state.files_processed));
    }
    return 0;
}

}  // namespace

int counting_run(RunContext& ctx) {
    CountingWork w;
    scan_logs(ctx, w);
    if (ctx.state.files_processed == 0) {
        commit_positions(ctx, w);
        return nothing_to_do(ctx);
    }
    // The area configuration and maxfiles.idx load before this commit, so
    // that a failure there leaves every log to be read again next run.
    commit_positions(ctx, w);
    // The download counting pass, the statistics and the End line follow.
    return 0;
}

}  // namespace zunt
