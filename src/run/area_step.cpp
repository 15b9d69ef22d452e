#include "run/area_step.h"

#include "areas/area_config.h"
#include "config/text_util.h"

namespace zunt {

namespace {

constexpr const char* kEnd = "ZUNT End.";
constexpr const char* kNoMemoryConsole = "  Error allocating memory!\n";
constexpr const char* kNoMemoryLog = "ZUNT Couldn't allocate enough memory";

// Codes 2 and 3 quote the system's error; it is taken before anything else
// is written.
int open_failure_stop(RunContext& ctx, const char* console_text, const std::string& log_line) {
    ctx.console_system_error(console_text);
    return failure_stop(ctx, "", log_line, kEnd);
}

int area_failure(RunContext& ctx, AreaResult result) {
    const std::string farea = ctx.settings.farea_path.value_or("");
    const std::string ascii = ctx.settings.ascii_area_path.value_or("");
    const int rc = ctx.env.last_error();
    switch (result) {
        case AreaResult::loaded:
            return -1;
        case AreaResult::out_of_memory:
            return failure_stop(ctx, kNoMemoryConsole, kNoMemoryLog, kEnd);
        case AreaResult::cannot_open_farea:
            return open_failure_stop(ctx, "  Couldn't open farea.dat/farea.idx",
                                     strprintf("ZUNT Couldn't open %s/farea.idx, rc=%d",
                                               farea.c_str(), rc));
        case AreaResult::cannot_open_ascii:
            return open_failure_stop(ctx, "  Couldn't open ascii area file",
                                     strprintf("ZUNT Couldn't open %s, rc=%d", ascii.c_str(), rc));
        case AreaResult::ascii_syntax:
            return failure_stop(ctx, "  Syntax error in ascii area file",
                                "ZUNT Syntax error in ascii area file", kEnd);
        case AreaResult::bad_farea:
            return failure_stop(ctx, "  No valid Maximus 3.x farea.dat file",
                                strprintf("ZUNT %s is no valid Maximus 3.x farea.dat file",
                                          farea.c_str()),
                                kEnd);
    }
    return -1;
}

int maxfiles_failure(RunContext& ctx, MaxfilesResult result, const std::string& path) {
    const int rc = ctx.env.last_error();
    switch (result) {
        case MaxfilesResult::loaded:
            return -1;
        case MaxfilesResult::out_of_memory:
            return failure_stop(ctx, kNoMemoryConsole, kNoMemoryLog, kEnd);
        case MaxfilesResult::cannot_open:
            return open_failure_stop(ctx, "  Couldn't open maxfiles.idx",
                                     strprintf("ZUNT Couldn't open \"%s\", rc=%d", path.c_str(), rc));
    }
    return -1;
}

}  // namespace

int load_areas_step(RunContext& ctx, AreaConfig& areas, MaxfilesIndex& maxfiles) {
    const ControlSettings& s = ctx.settings;
    if (s.farea_path || s.ascii_area_path) {
        ctx.progress("Reading area config\n");
        ctx.log.write(kStep, "ZUNT Reading area configuration into memory");
    }
    AreaResult loaded = load_area_config(ctx.env, s.farea_path, s.ascii_area_path, false, areas);
    if (int code = area_failure(ctx, loaded); code >= 0) return code;

    if (s.maxfiles_idx_path) {
        ctx.progress("Opening maxfiles.idx\n");
        ctx.log.write(kStep, "ZUNT Reading maxfiles.idx into memory");
        MaxfilesResult r = load_maxfiles_index(ctx.env, *s.maxfiles_idx_path, maxfiles);
        if (int code = maxfiles_failure(ctx, r, *s.maxfiles_idx_path); code >= 0) return code;
    }
    return -1;
}

}  // namespace zunt
