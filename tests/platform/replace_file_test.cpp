#include <gtest/gtest.h>
#include <sys/stat.h>

#include "areas/area_test_util.h"
#include "platform/text_io.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// Whatever single operation fails, the file holds either its old or its new
// bytes, and a reported success means the new bytes.
TEST(ReplaceFile, EveryFailurePointLeavesOldOrNew) {
    testing::ScratchDir dir("replace");
    const std::string path = dir.path("stat.dat");
    long points = 0;
    for (long n = 1;; ++n) {
        dir.write("stat.dat", "old contents");
        testing::FaultEnv env(default_env(), n);
        const bool ok = replace_file(env, path, "new contents, longer") == 0;
        EXPECT_EQ(testing::slurp(path), ok ? "new contents, longer" : "old contents") << n;
        EXPECT_FALSE(fs::exists(temp_name_for(path))) << n;
        if (!env.fired()) break;
        ++points;
    }
    EXPECT_GE(points, 4);
}

// A replaced file keeps its permissions, a file reached through a symbolic
// link is replaced behind the link, and a name given in other case is
// the one on disk.
TEST(ReplaceFile, KeepsPermissionsLinksAndTheNameOnDisk) {
    testing::ScratchDir dir("identity");
    const std::string target = dir.write("Real/FILES.BBS", "old");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir.path("files.bbs"));
    ASSERT_EQ(replace_file(default_env(), dir.path("files.bbs"), "new"), 0);
    EXPECT_TRUE(fs::is_symlink(dir.path("files.bbs")));
    EXPECT_EQ(testing::slurp(target), "new");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(replace_file(default_env(), dir.path("real/files.bbs"), "again"), 0);
    EXPECT_EQ(testing::slurp(target), "again");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path("Real")), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace zunt
