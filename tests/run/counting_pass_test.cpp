#include "run/counting_pass.h"

#include <gtest/gtest.h>

#include <new>

#include "areas/area_test_util.h"
#include "platform/path_key.h"
#include "counters/files_bbs_update.h"
#include "support/count_once.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

void fill(DownloadSeq& list, const std::vector<std::string>& paths) {
    list.append_all({paths.begin(), paths.end()});
}

struct PassRun {
    std::string console;
    long nodes_after = 0;
};

PassRun run_pass(Env& base, const ControlSettings& settings, const AreaConfig& areas,
                 const std::vector<std::string>& downloads, bool no_sort = false) {
    testing::FaultEnv env(base);
    testing::ScratchDir journal("pass_journal");
    RunContext ctx(env, journal.path("zunt.jnl"));
    ctx.settings = settings;
    ctx.state.no_sort = no_sort;
    list_node_count = 0;
    DownloadSeq list;
    fill(list, downloads);
    StatTable stats;
    counting_pass(ctx, list, PassTables{areas, nullptr, &stats, ctx.changes});
    commit_changes(ctx);
    return PassRun{env.err_text, list_node_count};
}

ControlSettings dl_dir_settings() {
    ControlSettings s;
    s.counter_style = 1;
    s.counter_length = 2;
    s.use_area_dat_first = false;  // the download directory's files.bbs first
    return s;
}

const std::string kList =
    "a.zip [ 3] Alpha\r\nb.zip Beta, no counter\r\nc.zip [ 1] Gamma\r\nd*.zip [ 2] Any d\r\n"
    "a.zip [ 7] Alpha again\r\n\x1a";

// Several files of one list are counted in one write, and leave the list and
// its ".bak" exactly as one rewrite per file would.
TEST(CountingPass, OneWritePerListMatchesARewritePerFile) {
    testing::ScratchDir batched("pass_batch"), single("pass_single");
    const std::vector<std::string> files = {"c.zip", "a.zip", "d1.zip", "b.zip", "a.zip", "zz.zip"};
    const ControlSettings s = dl_dir_settings();
    for (std::size_t n = 1; n <= files.size(); ++n) {
        batched.write("files.bbs", kList);
        single.write("files.bbs", kList);
        std::vector<std::string> downloads;
        for (std::size_t i = 0; i < n; ++i) downloads.push_back(batched.path(files[i]));
        AreaConfig areas;
        PassRun r = run_pass(default_env(), s, areas, downloads, true);
        EXPECT_EQ(r.nodes_after, 0);
        for (std::size_t i = 0; i < n; ++i) {
            long long value = 0;
            testing::count_once(default_env(), s, single.path("files.bbs"), files[i], value, 1);
        }
        for (const char* f : {"files.bbs", "files.bak"})
            EXPECT_EQ(testing::slurp(batched.path(f)), testing::slurp(single.path(f))) << f << " " << n;
    }
}

TEST(CountingPass, FilesPerSecond) {
    EXPECT_EQ(files_per_second(120, 1000, 1005), 20);   // six seconds counted
    EXPECT_EQ(files_per_second(120, 1000, 1000), 120);  // under one second counts as one
    EXPECT_EQ(files_per_second(7, 1000, 1001), 3);      // whole division
    EXPECT_EQ(files_per_second(120, 1000, 999), 120);   // the clock went back: no division by zero
}

// Memory runs out while the areas load: the run stops with the memory
// message and writes neither a scan position nor an upload line.
class ExhaustingEnv : public testing::FaultEnv {
public:
    using FaultEnv::FaultEnv;
    Errno open(const std::string& path, Access access, Share share,
               std::unique_ptr<File>& out) override {
        if (path.find("areas.txt") != std::string::npos) throw std::bad_alloc();
        return FaultEnv::open(path, access, share, out);
    }
};

TEST(CountingPass, ExhaustedMemoryCommitsNothing) {
    testing::ScratchDir dir("pass_memory");
    dir.write("max.log", "* 16 Dec 04:59:11 MAX  DL-Z d:\\files\\a.zip\r\n");
    ExhaustingEnv env(default_env());
    RunContext ctx(env, dir.path("zunt.jnl"));
    ctx.settings.log_list = {dir.path("max.log")};
    ctx.settings.mailer_strings = {"DL-"};
    ctx.settings.ascii_area_path = dir.path("areas.txt");
    list_node_count = 0;
    EXPECT_EQ(counting_run(ctx), 1);
    EXPECT_EQ(env.err_text, "\xFE Parsing " + dir.path("max.log") + " 1 files\n"
                            "\xFE Reading area config\n"
                            "  Error allocating memory!\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path("max.znt")));
}

}  // namespace
}  // namespace zunt
