#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/text_io.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Whatever single operation fails, the file holds either its old or its new
// bytes, and a reported success means the new bytes.
TEST(ReplaceFile, EveryFailurePointLeavesOldOrNew) {
    fs::path dir = fs::temp_directory_path() / ("zunt_replace_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "stat.dat").string();
    long points = 0;
    for (long n = 1;; ++n) {
        std::ofstream(path, std::ios::binary) << "old contents";
        testing::FaultEnv env(default_env(), n);
        Errno e = replace_file(env, path, "new contents, longer");
        std::string now = slurp(path);
        if (e == 0) {
            EXPECT_EQ(now, "new contents, longer") << n;
        } else {
            EXPECT_EQ(now, "old contents") << n;
            EXPECT_FALSE(fs::exists(temp_name_for(path))) << n;
        }
        if (!env.fired()) break;
        ++points;
    }
    EXPECT_GE(points, 4);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zunt
