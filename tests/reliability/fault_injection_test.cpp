// Whole counting and initialization runs on a small board with the Nth disk
// operation failing, for every N until a run no longer meets a failure.
// Nothing the board keeps may be damaged (board_check.h), and a clean run
// afterwards must succeed and leave what one whole run gives.
#include <gtest/gtest.h>

#include "reliability/board_check.h"
#include "support/fault_env.h"

namespace zunt::testing {
namespace {

// Records the number of failure points exercised, and how many of them the
// next run mended into exactly what one whole run leaves.
void inject_every_failure(const std::vector<std::string>& args, long least_points) {
    e2e::Sandbox box;
    const Files old_files = small_board();
    lay_out(box, old_files);
    FaultEnv clean(default_env());
    EXPECT_EQ(run_in(box, clean, args), 0) << clean.err_text;
    const Files new_files = snapshot(box, old_files);
    EXPECT_NE(new_files.at("files/util/files.bbs"), old_files.at("files/util/files.bbs"));
    EXPECT_NE(without_times(*new_files.at("zunt.sta")), old_files.at("zunt.sta"));
    long points = 0, exact = 0;
    for (long n = 1;; ++n) {
        lay_out(box, old_files);
        FaultEnv env(default_env(), n);
        const int code = run_in(box, env, args);
        if (!env.fired()) break;
        ++points;
        SCOPED_TRACE("failing operation " + std::to_string(n) + ", console:\n" + env.err_text);
        EXPECT_TRUE(code == 0 || code == 1);
        EXPECT_TRUE(code != 1 || env.err_text.find("\n  ") != std::string::npos) << "a stop says why";
        EXPECT_TRUE(code == 1 || env.err_text.find("Couldn't save") == std::string::npos) << "nothing saved: exit 1";
        const Files after = snapshot(box, old_files);
        EXPECT_EQ(damage(old_files, after, &new_files), "");
        // The next run mends everything: nothing lost, nothing counted twice.
        FaultEnv again(default_env());
        EXPECT_EQ(run_in(box, again, args), 0) << again.err_text;
        const Files mended = snapshot(box, old_files);
        EXPECT_EQ(damage(after, mended, &new_files), "") << "after the next run";
        EXPECT_EQ(differences(new_files, mended, env.err_text, false), "");
        exact += differences(new_files, mended, "", false).empty();
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(points, least_points);
    ::testing::Test::RecordProperty("points", static_cast<int>(points));
    ::testing::Test::RecordProperty("exact", static_cast<int>(exact));
}

TEST(FaultInjection, CountingRun) { inject_every_failure({"/czunt.ctl"}, 40); }
TEST(FaultInjection, InitializationRun) { inject_every_failure({"/czunt.ctl", "/i"}, 30); }

}  // namespace
}  // namespace zunt::testing
