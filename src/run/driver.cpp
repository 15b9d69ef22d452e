#include "run/driver.h"

#include <vector>

#include "config/control_file.h"
#include "config/text_util.h"
#include "list/download_list.h"
#include "run/command_line.h"
#include "run/config_messages.h"
#include "run/run_lock.h"

namespace zunt {

void RunContext::close_upload_log() {
    if (upload_log_file) upload_log_file->close();
    upload_log_file.reset();
}

void RunContext::progress(std::string_view text) {
    // The mark is the small square of code page 437; a UTF-8 terminal gets
    // that square as its own character, U+25A0 in UTF-8. Pipes and files
    // get the byte, so that scripts and logs see the same bytes whatever
    // the terminal.
    std::string line = env.err_is_utf8_terminal() ? "\xE2\x96\xA0 " : "\xFE ";
    line.append(text);
    env.err(line);
    env.flush_console();  // seen before the step it announces begins
}

void RunContext::console_system_error(std::string_view text) {
    std::string line(text);
    line += ": ";
    line += env.error_text(env.last_error());
    line += "\n";
    env.err(line);
}

namespace {

// Upload lines only inform: a failure to add them is reported and the run
// goes on.
void report_upload_failure(RunContext& ctx, const CommitReport& report) {
    if (report.append_error == 0) return;
    const std::string text = ctx.env.error_text(report.append_error);
    ctx.console(strprintf("  Error writing upload log file %s: %s\n", report.append_path.c_str(),
                          text.c_str()));
    ctx.log.write(kError, strprintf("ZUNT Couldn't write upload log file %s: %s",
                                    report.append_path.c_str(), text.c_str()));
}

// Carries out the changes of a run that was stopped after its commit,
// before this run reads anything. False after the failure stop.
bool finish_interrupted_run(RunContext& ctx) {
    CommitReport report;
    const std::string journal = journal_path_for(ctx.state.control_file_path);
    switch (roll_forward(ctx.env, journal, report)) {
        case RollForward::nothing:
            return true;
        case RollForward::finished:
            ctx.console("  Finished the changes of an interrupted run\n");
            ctx.log.write(kWorkaround, "ZUNT Finished the changes of an interrupted run (" + journal + ")");
            report_upload_failure(ctx, report);
            return true;
        case RollForward::failed:
            break;
    }
    ctx.env.set_last_error(report.error);
    ctx.console_system_error("  Couldn't finish the changes of an interrupted run");
    failure_stop(ctx, "",
                 strprintf("ZUNT Couldn't finish the changes of an interrupted run (%s), rc=%d",
                           journal.c_str(), report.error),
                 "ZUNT End.");
    return false;
}

}  // namespace

bool commit_changes(RunContext& ctx) {
    const CommitReport report = ctx.changes.commit();
    report_upload_failure(ctx, report);
    if (report.result == CommitResult::done) return true;
    ctx.env.set_last_error(report.error);
    if (report.result == CommitResult::not_saved) {
        ctx.console_system_error("  Couldn't save the changes of this run");
        ctx.log.write(kError, strprintf("ZUNT Couldn't save the changes of this run, rc=%d - "
                                        "nothing was changed",
                                        report.error));
    } else {
        ctx.console_system_error("  Couldn't finish the changes of this run");
        ctx.log.write(kError, strprintf("ZUNT Couldn't finish the changes of this run, rc=%d - "
                                        "the next run finishes them",
                                        report.error));
    }
    return false;
}

int failure_stop(RunContext& ctx, std::string_view console_text, std::string_view log_line,
                 std::string_view end_line) {
    if (!console_text.empty()) ctx.console(console_text);
    if (ctx.log.is_open()) {
        if (!log_line.empty()) ctx.log.write(kError, log_line);
        ctx.log.close(end_line);
    }
    ctx.close_upload_log();
    return 1;
}

namespace {

constexpr const char* kBeginLine = "ZUNT Begin, ZUNT 1.30.wb";

// The control file's path and the switches. Returns -1 to go on, else the
// exit code (0 after the help text).
int take_command_line(Env& env, RunState& state, int argc, char** argv) {
    state.control_file_path = default_control_file_path(argc > 0 ? argv[0] : "");
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    std::string bad;
    switch (parse_switches(args, state, bad)) {
        case SwitchResult::go_on: return -1;
        case SwitchResult::help: env.out(kHelpText); return 0;
        case SwitchResult::illegal: env.err(illegal_switch_message(bad)); return 1;
        case SwitchResult::path_too_long: env.err(path_too_long_message()); return 1;
    }
    return 1;
}

// Only the warning about the missing area file lets the run go on, and then
// only when the remaining checks pass too.
bool read_config(RunContext& ctx) {
    ctx.progress("Reading config...\n");
    ConfigState state;
    const std::string& path = ctx.state.control_file_path;
    ConfigResult res = read_control_file(ctx.env, path, ctx.settings, state);
    std::string system_text =
        res == ConfigResult::cannot_open ? ctx.env.error_text(state.open_error) : std::string();
    if (res == ConfigResult::ok) return true;
    ctx.console(config_message(res, state, path, system_text));
    if (res != ConfigResult::no_area_file) return false;
    if (state.after_warning == ConfigResult::ok) return true;
    ctx.console(config_message(state.after_warning, state, path, system_text));
    return false;
}

// The upload log is opened in every run, so that a bad path stops each of
// them the same way; returns false after the failure stop.
bool open_upload_log(RunContext& ctx) {
    const std::string& path = *ctx.settings.upload_log_path;
    std::unique_ptr<File> file;
    if (Errno e = ctx.env.open(path, Access::append, Share::deny_none, file)) {
        ctx.env.set_last_error(e);
        std::string console = "  Error opening upload log file: " + ctx.env.error_text(e) + "\n";
        failure_stop(ctx, console,
                     strprintf("ZUNT Couldn't open upload log file %s, errno=%d", path.c_str(), e),
                     strprintf("ZUNT End. %ld files processed", ctx.state.files_processed));
        return false;
    }
    ctx.upload_log_file = std::move(file);
    return true;
}

// Waits for a run still busy on the same control file, before the
// activity log is opened so that two runs never interleave their lines.
bool take_run_lock(RunContext& ctx, std::unique_ptr<File>& holder) {
    const std::string& path = ctx.state.control_file_path;
    if (try_run_lock(ctx.env, path, holder) != RunLockResult::busy) return true;
    const int wait_seconds = run_lock_wait_seconds(ctx.env);
    ctx.console(run_lock_waiting_message(path, wait_seconds));
    if (wait_for_run_lock(ctx.env, path, wait_seconds, holder) != RunLockResult::busy) return true;
    ctx.console(run_lock_busy_message(path));
    return false;
}

}  // namespace

int run_zunt(Env& env, int argc, char** argv) {
    list_node_count = 0;
    std::unique_ptr<File> run_lock;  // held until the run and its logs have ended
    env.out(kBanner);
    RunState state;
    if (int code = take_command_line(env, state, argc, argv); code >= 0) return code;
    RunContext ctx(env, journal_path_for(state.control_file_path));
    ctx.state = state;
    if (!read_config(ctx)) return 1;
    if (!take_run_lock(ctx, run_lock)) return 1;
    if (ctx.settings.activity_log_path &&
        ctx.log.open(env, *ctx.settings.activity_log_path, kBeginLine, ctx.settings.debug_mode) != 0) {
        ctx.console("  Error opening log file!\n");
        return 1;
    }
    if (ctx.settings.upload_log_path && !open_upload_log(ctx)) return 1;
    if (!finish_interrupted_run(ctx)) return 1;
    if (ctx.state.init_run) return initialization_run(ctx);
    if (ctx.state.stat_output_run) return statistics_output_run(ctx);
    return counting_run(ctx);
}

}  // namespace zunt
