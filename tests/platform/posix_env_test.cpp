#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "areas/area_test_util.h"
#include "platform/env.h"
#include "platform/host_path.h"
#include "platform/text_io.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// Drive Q: mapped to a scratch directory holding Files/UTIL/FILES.BBS.
class PosixEnvTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("ZUNT_DRIVE_Q", root.c_str(), 1); }
    void TearDown() override { ::unsetenv("ZUNT_DRIVE_Q"); }
    testing::ScratchDir dir{"penv"};
    std::string list = dir.write("Files/UTIL/FILES.BBS", "x"), root = dir.root();
    Env& env = default_env();
};

TEST_F(PosixEnvTest, HostPathTable) {
    struct Case { std::string in, want; Errno err; };
    const Case cases[] = {
        {"q:\\files\\util\\files.bbs", list, 0},
        {"Q:/FILES/util/Files.Bbs", list, 0},
        {root + "\\files\\util", root + "/Files/UTIL", 0},
        {"q:\\files\\new\\x.txt", root + "/Files/new/x.txt", 0},  // missing parts as written
        {"z:\\x", "", ENOENT},
        // Only the last element missing as written, its directory found
        // as written or folded; of two names alike the first in byte order.
        {root + "/Files/UTIL/files.bbs", list, 0},
        {root + "/Files/UTIL/files.bak", root + "/Files/UTIL/files.bak", 0},
        {"q:\\files\\util\\files.bak", root + "/Files/UTIL/files.bak", 0},
        {root + "/Files/UTIL/two.txt", root + "/Files/UTIL/TWO.txt", 0},
        {root + "//Files/./UTIL//files.bbs", root + "//Files/./UTIL//FILES.BBS", 0},
        // A "directory" that is a file or a dangling link, a last element
        // that is no name, a closing slash.
        {root + "/Files/UTIL/FILES.BBS/x", root + "/Files/UTIL/FILES.BBS/x", 0},
        {root + "/Files/UTIL/dead/files.bbs", root + "/Files/UTIL/dead/files.bbs", 0},
        {root + "/files/util/..", root + "/Files/UTIL/..", 0},
        {root + "/files/UTIL/.", root + "/Files/UTIL/.", 0},
        {root + "/Files/UTIL/files.bbs/", root + "/Files/UTIL/FILES.BBS/", 0},
        {root + "/files/util/", root + "/Files/UTIL/", 0},
        // A name that exists as written is kept beside a twin that sorts first.
        {root + "/Files/UTIL/b.zip", root + "/Files/UTIL/b.zip", 0},
        {root + "/files/UTIL/b/new.txt", root + "/Files/UTIL/b/new.txt", 0},
    };
    for (const char* f : {"Files/UTIL/b.zip", "Files/UTIL/B.ZIP", "Files/UTIL/b/x", "Files/UTIL/B/x"}) dir.write(f, "");
    dir.write("Files/UTIL/two.TXT", "");
    dir.write("Files/UTIL/TWO.txt", "");
    fs::create_symlink("nowhere", dir.path("Files/UTIL/dead"));
    for (const auto& c : cases) {
        std::string host;
        EXPECT_EQ(to_host_path(c.in, host), c.err) << c.in;
        if (c.err == 0) { EXPECT_EQ(host, c.want) << c.in; }
    }
}

// Keys come from the text alone: "/srv/q" need not exist.
TEST(PathKey, OneKeyPerFile) {
    ::setenv("ZUNT_DRIVE_Q", "/Srv/Q/", 1);
    const std::pair<const char*, const char*> cases[] = {
        {"Q:\\MAX\\Files\\Util\\ZIP.ZIP", "/srv/q/max/files/util/zip.zip"},
        {"q:max/files/util/zip.zip", "/srv/q/max/files/util/zip.zip"},
        {"files\\util\\zip.zip", "/home/bbs/files/util/zip.zip"},
        {"./files//util/../util/./zip.zip", "/home/bbs/files/util/zip.zip"},
        {"/srv/q/max/files/util/", "/srv/q/max/files/util/"},
        {"files\\util\\", "/home/bbs/files/util/"},
        {"", "/home/bbs/"},
        {"/../..//x", "/x"},
        {"D:\\Files\\..\\..\\A.ZIP", "d:/a.zip"},  // an unmapped drive is a root of its own
        {"d:", "d:/"},
    };
    for (const auto& [path, key] : cases) EXPECT_EQ(host_path_key(path, "/home/BBS"), key) << path;
    ::unsetenv("ZUNT_DRIVE_Q");
}

TEST_F(PosixEnvTest, SharingModesBecomeLocks) {
    std::unique_ptr<File> holder, other;
    ASSERT_EQ(env.open(list, Access::read_write, Share::exclusive, holder), 0);
    EXPECT_EQ(env.open(list, Access::read, Share::deny_write, other), EACCES);
    EXPECT_EQ(env.open(list, Access::read, Share::exclusive, other), EACCES);
    EXPECT_EQ(env.open(list, Access::read, Share::deny_none, other), 0);  // no lock asked
    holder.reset();
    ASSERT_EQ(env.open(list, Access::read, Share::deny_write, holder), 0);
    EXPECT_EQ(env.open(list, Access::read, Share::deny_write, other), 0);  // readers share
    EXPECT_EQ(env.open(list, Access::read_write, Share::exclusive, other), EACCES);
}

TEST_F(PosixEnvTest, FindFirstIgnoresCaseAndDirectories) {
    dir.write("Files/UTIL/b.zip", "");
    dir.write("Files/UTIL/A.ZIP", "");
    fs::create_directories(dir.path("Files/UTIL/0.zip"));
    FoundFile found{};
    ASSERT_EQ(env.find_first("q:\\files\\util\\*.zip", found), 0);
    EXPECT_EQ(found.name, "A.ZIP");
    EXPECT_GT(found.dos_date, 0);
    EXPECT_EQ(env.find_first("q:\\files\\util\\*.arj", found), ENOENT);
}

}  // namespace
}  // namespace zunt
