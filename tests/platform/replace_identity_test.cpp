#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text_io.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// A replaced file keeps its permissions, and a file reached through a
// symbolic link is replaced behind the link, which stays.
TEST(ReplaceFile, KeepsPermissionsAndSymbolicLinks) {
    fs::path dir = fs::temp_directory_path() / ("zunt_identity_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "real");
    const fs::path target = dir / "real" / "files.bbs";
    std::ofstream(target, std::ios::binary) << "old";
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir / "files.bbs");

    ASSERT_EQ(replace_file(default_env(), (dir / "files.bbs").string(), "new"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "files.bbs"));
    EXPECT_EQ(slurp(target), "new");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zunt
