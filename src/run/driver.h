// The run driver: start-up, command line, and the hand-over to one run.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "platform/env.h"
#include "platform/text_io.h"
#include "config/activity_log.h"

namespace zunt {

// State the driver holds for the life of the process.
struct RunState {
    std::string control_file_path;
    bool force_full_scan = false;  // /f
    bool init_run = false;         // /i
    bool stat_output_run = false;  // /s
    bool no_sort = false;          // ns
    long files_processed = 0;
};

// Everything one run works with, passed explicitly.
struct RunContext {
    explicit RunContext(Env& e) : env(e) {}
    Env& env;
    ControlSettings settings;
    RunState state;
    ActivityLog log;
    // Open from start-up until the counting run has scanned its logs.
    std::unique_ptr<File> upload_log_file;
    std::unique_ptr<TextWriter> upload_log;

    void close_upload_log();
    // Console text on standard error.
    void console(std::string_view text) { env.err(text); }
    // A progress line: the mark 0xFE (U+25A0 on a UTF-8 terminal), a blank
    // and the text.
    void progress(std::string_view text);
    // "text: <system message>\n" for the current error number.
    void console_system_error(std::string_view text);
};

// The whole program: returns the exit code.
int run_zunt(Env& env, int argc, char** argv);

// A stop after a failure: console text, level-4 log line, End line, exit
// code 1 (returned). Empty texts are left out.
int failure_stop(RunContext& ctx, std::string_view console_text, std::string_view log_line,
                 std::string_view end_line);

// The three runs; each returns the exit code.
int counting_run(RunContext& ctx);
int initialization_run(RunContext& ctx);
int statistics_output_run(RunContext& ctx);

}  // namespace zunt
