#include "run/driver.h"

#include "config/text_util.h"

namespace zunt {

void RunContext::close_upload_log() {
    if (upload_log) upload_log->flush();
    upload_log.reset();
    if (upload_log_file) upload_log_file->close();
    upload_log_file.reset();
}

void RunContext::progress(std::string_view text) {
    std::string line = "\xFE ";
    line.append(text);
    env.err(line);
}

void RunContext::console_system_error(std::string_view text) {
    std::string line(text);
    line += ": ";
    line += env.error_text(env.last_error());
    line += "\n";
    env.err(line);
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

int run_zunt(Env& env, int argc, char** argv) {
    (void)env;
    (void)argc;
    (void)argv;
    return 0;
}

}  // namespace zunt
