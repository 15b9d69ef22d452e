#include "run/area_step.h"

#include <gtest/gtest.h>

#include "areas/area_test_util.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

// One run of the area step with an activity log in a scratch directory. The
// console messages of a bad area file are shown end to end (BadInputE2E);
// here the log lines with their return codes.
struct StepRun {
    int code = 0;
    std::string console, log;
};

StepRun run_step(const ControlSettings& settings, const testing::ScratchDir& dir) {
    testing::FaultEnv env(default_env());
    RunContext ctx(env, dir.path("zunt.jnl"));
    ctx.settings = settings;
    ctx.log.open(env, dir.path("zunt.log"), "ZUNT Begin", false);
    AreaConfig areas;
    MaxfilesIndex maxfiles;
    StepRun r;
    r.code = load_areas_step(ctx, areas, maxfiles);
    ctx.log.close("test end");
    release_area_config(areas);
    release_maxfiles_index(maxfiles);
    r.console = env.err_text;
    // The level character and the message, without date and time.
    std::string raw = testing::slurp(dir.path("zunt.log"));
    for (std::size_t at = 0; at < raw.size();) {
        std::size_t end = raw.find("\r\n", at);
        std::string line = raw.substr(at, end - at);
        if (line.size() > 18) r.log += line.substr(0, 1) + line.substr(18) + "\n";
        at = end + 2;
    }
    std::filesystem::remove(dir.path("zunt.log"));
    return r;
}

TEST(AreaStep, FailureStops) {
    testing::ScratchDir dir("step_fail");
    const std::string missing_dat = dir.path("max/farea.dat");
    const std::string no_text = default_env().error_text(ENOENT);
    struct Case { std::optional<std::string> farea, ascii, maxfiles; std::string console, log; };
    const Case cases[] = {
        {missing_dat, std::nullopt, std::nullopt,
         "\xFE Reading area config\n  Couldn't open farea.dat/farea.idx: " + no_text + "\n",
         "!ZUNT Couldn't open " + missing_dat + "/farea.idx, rc=2\n"},
        {testing::fixture("farea.dat"), std::nullopt, dir.path("maxfiles.idx"),
         "\xFE Reading area config\n\xFE Opening maxfiles.idx\n  Couldn't open maxfiles.idx: " +
             no_text + "\n",
         "*ZUNT Reading maxfiles.idx into memory\n!ZUNT Couldn't open \"" + dir.path("maxfiles.idx") +
             "\", rc=2\n"},
    };
    for (const Case& c : cases) {
        ControlSettings s;
        s.farea_path = c.farea;
        s.ascii_area_path = c.ascii;
        s.maxfiles_idx_path = c.maxfiles;
        StepRun r = run_step(s, dir);
        EXPECT_EQ(r.code, 1) << c.log;
        EXPECT_EQ(r.console, c.console);
        EXPECT_EQ(r.log, "+ZUNT Begin\n*ZUNT Reading area configuration into memory\n" + c.log +
                             "+ZUNT End.\n");
    }
}

}  // namespace
}  // namespace zunt
