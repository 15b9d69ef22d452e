#include <gtest/gtest.h>
#include <stdlib.h>

#include "areas/area_test_util.h"
#include "platform/env.h"
#include "platform/host_path.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// Drive Q: mapped to a scratch directory holding Files/UTIL/FILES.BBS.
struct PosixEnvTest : ::testing::Test {
    void SetUp() override { ::setenv("ZUNT_DRIVE_Q", root.c_str(), 1); }
    void TearDown() override { ::unsetenv("ZUNT_DRIVE_Q"); }
    testing::ScratchDir dir{"penv"};
    std::string list = dir.write("Files/UTIL/FILES.BBS", "x"), root = dir.root(), util = root + "/Files/UTIL";
    Env& env = default_env();
};

TEST_F(PosixEnvTest, HostPathTable) {
    const std::tuple<std::string, std::string, Errno> cases[] = {  // path, host path, error
        {"q:\\files\\util\\files.bbs", list, 0},
        {"Q:/FILES/util/Files.Bbs", list, 0},
        {root + "\\files\\util", util, 0},
        {"q:\\files\\new\\x.txt", root + "/Files/new/x.txt", 0},  // missing parts as written
        {"z:\\x", "", ENOENT},
        // Only the last element missing as written, its directory found
        // as written or folded; of two names alike the first in byte order.
        {util + "/files.bbs", list, 0},
        {util + "/files.bak", util + "/files.bak", 0},
        {"q:\\files\\util\\files.bak", util + "/files.bak", 0},
        {util + "/two.txt", util + "/TWO.txt", 0},
        {root + "//Files/./UTIL//files.bbs", root + "//Files/./UTIL//FILES.BBS", 0},
        // A "directory" that is a file or a dangling link, a last element
        // that is no name, a closing slash.
        {util + "/FILES.BBS/x", util + "/FILES.BBS/x", 0},
        {util + "/dead/files.bbs", util + "/dead/files.bbs", 0},
        {root + "/files/util/..", util + "/..", 0},
        {root + "/files/UTIL/.", util + "/.", 0},
        {util + "/files.bbs/", util + "/FILES.BBS/", 0},
        {root + "/files/util/", util + "/", 0},
        // A name that exists as written is kept beside a twin that sorts first.
        {util + "/b.zip", util + "/b.zip", 0},
        {root + "/files/UTIL/b/new.txt", util + "/b/new.txt", 0},
    };
    for (const char* f : {"b.zip", "B.ZIP", "b/x", "B/x", "two.TXT", "TWO.txt"}) dir.write("Files/UTIL/" + std::string(f), "");
    fs::create_symlink("nowhere", util + "/dead");
    for (const auto& [in, want, err] : cases) {
        std::string host;
        EXPECT_EQ(to_host_path(in, host), err) << in;
        EXPECT_EQ(err ? want : host, want) << in;
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

TEST_F(PosixEnvTest, SharingModesBecomeLocksAndFindFirstIgnoresCaseAndDirectories) {
    std::unique_ptr<File> holder, other;
    ASSERT_EQ(env.open(list, Access::read_write, Share::exclusive, holder), 0);
    EXPECT_EQ(env.open(list, Access::read, Share::deny_write, other), EACCES);
    EXPECT_EQ(env.open(list, Access::read, Share::exclusive, other), EACCES);
    EXPECT_EQ(env.open(list, Access::read, Share::deny_none, other), 0);  // no lock asked
    holder.reset();
    ASSERT_EQ(env.open(list, Access::read, Share::deny_write, holder), 0);
    EXPECT_EQ(env.open(list, Access::read, Share::deny_write, other), 0);  // readers share
    EXPECT_EQ(env.open(list, Access::read_write, Share::exclusive, other), EACCES);

    dir.write("Files/UTIL/b.zip", "");
    dir.write("Files/UTIL/A.ZIP", "");
    fs::create_directories(util + "/0.zip");
    FoundFile found{};
    ASSERT_EQ(env.find_first("q:\\files\\util\\*.zip", found), 0);
    EXPECT_EQ(found.name, "A.ZIP");
    EXPECT_GT(found.dos_date, 0);
    EXPECT_EQ(env.find_first("q:\\files\\util\\*.arj", found), ENOENT);
}

}  // namespace
}  // namespace zunt
