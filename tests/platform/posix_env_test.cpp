#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/env.h"
#include "platform/host_path.h"
#include "platform/text_io.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

class PosixEnvTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = (fs::temp_directory_path() / ("zunt_penv_" + std::to_string(::getpid()))).string();
        fs::create_directories(dir_ + "/Files/UTIL");
        put("Files/UTIL/FILES.BBS", "x");
        ::setenv("ZUNT_DRIVE_Q", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("ZUNT_DRIVE_Q");
        fs::remove_all(dir_);
    }
    void put(const std::string& rel, const std::string& bytes) {
        std::ofstream(dir_ + "/" + rel, std::ios::binary) << bytes;
    }
    std::string dir_;
    Env& env = default_env();
};

TEST_F(PosixEnvTest, HostPathTable) {
    struct Case {
        std::string in;
        std::string want;
        Errno err;
    } cases[] = {
        {"q:\\files\\util\\files.bbs", dir_ + "/Files/UTIL/FILES.BBS", 0},
        {"Q:/FILES/util/Files.Bbs", dir_ + "/Files/UTIL/FILES.BBS", 0},
        {dir_ + "\\files\\util", dir_ + "/Files/UTIL", 0},
        {"q:\\files\\new\\x.txt", dir_ + "/Files/new/x.txt", 0},  // missing parts as written
        {"z:\\x", "", ENOENT},
    };
    for (const auto& c : cases) {
        std::string host;
        EXPECT_EQ(to_host_path(c.in, host), c.err) << c.in;
        if (c.err == 0) {
            EXPECT_EQ(host, c.want) << c.in;
        }
    }
}

TEST_F(PosixEnvTest, UnmappedDriveCannotBeOpened) {
    std::unique_ptr<File> f;
    EXPECT_EQ(env.open("y:\\bbs\\zunt.ctl", Access::read, Share::deny_none, f), ENOENT);
    EXPECT_EQ(env.last_error(), ENOENT);
    EXPECT_EQ(env.error_text(ENOENT), "No such file or directory");
}

TEST_F(PosixEnvTest, RewriteKeepsTheNameOnDisk) {
    ASSERT_EQ(replace_file(env, "q:\\files\\util\\files.bbs", "new"), 0);
    std::string bytes;
    ASSERT_EQ(read_whole_file(env, dir_ + "/Files/UTIL/FILES.BBS", Share::deny_none, bytes), 0);
    EXPECT_EQ(bytes, "new");
    EXPECT_FALSE(fs::exists(dir_ + "/Files/UTIL/files.bbs.~zt"));
}

TEST_F(PosixEnvTest, SharingModesBecomeLocks) {
    const std::string p = dir_ + "/Files/UTIL/FILES.BBS";
    std::unique_ptr<File> holder, other;
    ASSERT_EQ(env.open(p, Access::read_write, Share::exclusive, holder), 0);
    EXPECT_EQ(env.open(p, Access::read, Share::deny_write, other), EACCES);
    EXPECT_EQ(env.open(p, Access::read, Share::exclusive, other), EACCES);
    EXPECT_EQ(env.open(p, Access::read, Share::deny_none, other), 0);  // no lock asked
    holder.reset();
    ASSERT_EQ(env.open(p, Access::read, Share::deny_write, holder), 0);
    EXPECT_EQ(env.open(p, Access::read, Share::deny_write, other), 0);  // readers share
    EXPECT_EQ(env.open(p, Access::read_write, Share::exclusive, other), EACCES);
}

TEST_F(PosixEnvTest, AppendCreatesAndAppends) {
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<File> f;
        ASSERT_EQ(env.open("q:\\files\\up.log", Access::append, Share::deny_none, f), 0);
        ASSERT_EQ(f->write("ab", 2), 0);
    }
    std::string bytes;
    ASSERT_EQ(read_whole_file(env, dir_ + "/Files/up.log", Share::deny_none, bytes), 0);
    EXPECT_EQ(bytes, "abab");
}

TEST_F(PosixEnvTest, FindFirstIgnoresCaseAndDirectories) {
    put("Files/UTIL/b.zip", "");
    put("Files/UTIL/A.ZIP", "");
    fs::create_directories(dir_ + "/Files/UTIL/0.zip");
    FoundFile found{};
    ASSERT_EQ(env.find_first("q:\\files\\util\\*.zip", found), 0);
    EXPECT_EQ(found.name, "A.ZIP");
    EXPECT_GT(found.dos_date, 0);
    EXPECT_EQ(env.find_first("q:\\files\\util\\*.arj", found), ENOENT);
}

}  // namespace
}  // namespace zunt
