#include "run/statistics_step.h"

#include "config/text_util.h"

namespace zunt {

int read_statistics_step(RunContext& ctx, StatTable& table, std::string_view stop_end_line) {
    const std::string path = ctx.settings.statistics_path.value_or("");
    ctx.progress("Reading statistics...\n");
    ctx.log.write(kStep, "ZUNT Opening statistics file: " + path);
    switch (read_statistics(ctx.env, path, table)) {
        case StatReadResult::read:
            return -1;
        case StatReadResult::memory:
            return failure_stop(ctx, "  Error allocating memory!\n", "ZUNT Couldn't allocate enough memory",
                                stop_end_line);
        case StatReadResult::incompatible:
            ctx.console("  Incompatible/old stat file - creating new one\n");
            ctx.log.write(kWorkaround, "ZUNT Incompatible/old stat file - creating new one");
            return -1;
        case StatReadResult::missing:
            ctx.console("  Couldn't open stat file - creating new one\n");
            ctx.log.write(kWorkaround, "ZUNT Couldn't open stat file - creating new one");
            return -1;
        case StatReadResult::open_failed: {
            const Errno err = ctx.env.last_error();
            ctx.console_system_error("  Couldn't open stat file");
            return failure_stop(ctx, "",
                                strprintf("ZUNT Couldn't open stat file %s, rc=%d", path.c_str(), err),
                                stop_end_line);
        }
    }
    return -1;
}

bool write_statistics_step(RunContext& ctx, const StatTable& table, StatWriteLogging logging) {
    ctx.progress("Writing statistics...\n");
    if (logging == StatWriteLogging::step_and_failure)
        ctx.log.write(kStep, "ZUNT Writing statistics back to disk");
    if (write_statistics(ctx.changes, ctx.settings.statistics_path.value_or(""), table) ==
        StatWriteResult::written)
        return true;
    ctx.console("  Error writing statistics!\n");
    ctx.log.write(kError, "ZUNT Error writing statistics - stat file was not updated and may be damaged.");
    return false;
}

}  // namespace zunt
