#include "counters/list_rewrite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/settings.h"
#include "counters/files_bbs_update.h"
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

void put(const fs::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

class ListRewrite : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zunt_rewrite_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        settings_.counter_style = 1;
        settings_.counter_length = 3;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    std::size_t file_count() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
    ControlSettings settings_;
};

TEST(ListBytes, Split) {
    using V = std::vector<std::string>;
    struct Case {
        std::string bytes;
        V want;
    } cases[] = {
        {"a\r\nb\n", {"a", "b"}},
        {"a\x1a" "b\r\nc\r\n\x1a\x1a", {"a\x1a" "b", "c"}},  // only the end's Ctrl-Z go
        {"a\r\nlast", {"a", "last"}},
        {"last\x1a", {"last"}},
        {"", {}},
        {"\r\n\n", {"", ""}},
        {"a\r\r\n", {"a\r"}},
        {"a\rb\n", {"a\rb"}},
    };
    for (const auto& c : cases) EXPECT_EQ(split_list_bytes(c.bytes), c.want) << c.bytes;
    EXPECT_EQ(join_list_lines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(ListBytes, BackupName) {
    EXPECT_EQ(backup_name_for("C:\\FILES\\UTIL\\FILES.BBS"), "C:\\FILES\\UTIL\\FILES.bak");
    EXPECT_EQ(backup_name_for("d:files.bbs"), "d:files.bak");
    EXPECT_EQ(backup_name_for("/bbs/a.b/files"), "/bbs/a.b/files.bak");
    EXPECT_TRUE(is_backup_name("/bbs/FILES.BAK"));
    EXPECT_FALSE(is_backup_name("/bbs.bak/files.bbs"));
}

TEST_F(ListRewrite, ExactBytesAndBackup) {
    const std::string old_list =
        "-- Utilities --  \r\n"
        "\r\n"
        "TOOL.ZIP  [ 41] Nice tool\r\n"
        "  continued \\\n"
        "MID\x1aZ.ZIP Stray Ctrl-Z kept\r\n"
        "tool.zip No counter\r\n"
        "LAST.ZIP Last line";
    put(dir_ / "files.bbs", old_list);
    put(dir_ / "files.bak", "an older backup");
    long long count = 0;
    EXPECT_EQ(update_files_bbs(default_env(), settings_, path("files.bbs"), "tool.zip", count, 2),
              UpdateResult::ok);
    EXPECT_EQ(count, 43);
    EXPECT_EQ(slurp(dir_ / "files.bbs"),
              "-- Utilities --\r\n"
              "\r\n"
              "TOOL.ZIP  [ 43] Nice tool\r\n"
              "  continued\r\n"
              "MID\x1aZ.ZIP Stray Ctrl-Z kept\r\n"
              "tool.zip      [  2] No counter\r\n"
              "LAST.ZIP Last line\r\n");
    EXPECT_EQ(slurp(dir_ / "files.bak"), old_list);
    EXPECT_EQ(file_count(), 2u);  // no temporary file left behind
}

TEST_F(ListRewrite, CodesOfTheUpdate) {
    put(dir_ / "files.bbs", "A.ZIP x\r\n");
    long long count = -1;
    EXPECT_EQ(update_files_bbs(default_env(), settings_, path("files.bbs"), "b.zip", count, 1),
              UpdateResult::not_found);
    EXPECT_EQ(slurp(dir_ / "files.bak"), "A.ZIP x\r\n");
    EXPECT_EQ(update_files_bbs(default_env(), settings_, path("files.bbs"), "a.zip", count, 1),
              UpdateResult::new_counter);
    EXPECT_EQ(count, -1);  // only a raised counter sets it
    EXPECT_EQ(slurp(dir_ / "files.bbs"), "A.ZIP         [  1] x\r\n");
    EXPECT_EQ(slurp(dir_ / "files.bak"), "A.ZIP x\r\n");
}

TEST_F(ListRewrite, BackupNamedListIsRefused) {
    put(dir_ / "files.bak", "A.ZIP [ 1]\r\n");
    long long count = 0;
    EXPECT_EQ(update_files_bbs(default_env(), settings_, path("files.bak"), "a.zip", count, 1),
              UpdateResult::rename_failed);
    EXPECT_EQ(slurp(dir_ / "files.bak"), "A.ZIP [ 1]\r\n");
    EXPECT_EQ(file_count(), 1u);
}

TEST_F(ListRewrite, MissingListLeavesOlderBackup) {
    put(dir_ / "files.bak", "old backup");
    long long count = 0;
    EXPECT_EQ(update_files_bbs(default_env(), settings_, path("files.bbs"), "a.zip", count, 1),
              UpdateResult::rename_failed);
    EXPECT_EQ(slurp(dir_ / "files.bak"), "old backup");
    EXPECT_EQ(file_count(), 1u);
}

// A directory where nothing can be created (read-only, full disk).
class NoCreateEnv : public testing::FaultEnv {
public:
    using FaultEnv::FaultEnv;
    Errno open(const std::string& path, Access access, Share share,
               std::unique_ptr<File>& out) override {
        if (access == Access::create) return fail(EACCES);
        return FaultEnv::open(path, access, share, out);
    }
};

TEST_F(ListRewrite, ReadOnlyDirectoryGivesCode3) {
    put(dir_ / "files.bbs", "A.ZIP [ 1]\r\n");
    NoCreateEnv env(default_env());
    long long count = 0;
    EXPECT_EQ(update_files_bbs(env, settings_, path("files.bbs"), "a.zip", count, 1),
              UpdateResult::create_failed);
    EXPECT_EQ(slurp(dir_ / "files.bbs"), "A.ZIP [ 1]\r\n");
    EXPECT_EQ(file_count(), 1u);
}

// Whatever single operation fails, the list exists complete under its name:
// unchanged after a reported failure, rewritten (with its ".bak") after a
// reported success, and no temporary file is left.
TEST_F(ListRewrite, EveryFailurePointKeepsTheList) {
    const std::string old_list = "A.ZIP [ 1] x\r\nB.ZIP y\r\n";
    const std::string new_list = "A.ZIP [  2] x\r\nB.ZIP y\r\n";
    long points = 0;
    for (long n = 1;; ++n) {
        // A failed last rename leaves the two names on one file: start afresh.
        fs::remove(dir_ / "files.bbs");
        fs::remove(dir_ / "files.bak");
        put(dir_ / "files.bbs", old_list);
        put(dir_ / "files.bak", "older");
        testing::FaultEnv env(default_env(), n);
        long long count = 0;
        UpdateResult r = update_files_bbs(env, settings_, path("files.bbs"), "a.zip", count, 1);
        if (r == UpdateResult::ok) {
            EXPECT_EQ(slurp(dir_ / "files.bbs"), new_list) << n;
            EXPECT_EQ(slurp(dir_ / "files.bak"), old_list) << n;
        } else {
            EXPECT_TRUE(r == UpdateResult::rename_failed || r == UpdateResult::read_failed ||
                        r == UpdateResult::create_failed) << n;
            EXPECT_EQ(slurp(dir_ / "files.bbs"), old_list) << n;
            std::string bak = slurp(dir_ / "files.bak");
            EXPECT_TRUE(bak == "older" || bak == old_list) << n;
        }
        EXPECT_EQ(file_count(), 2u) << n;
        if (!env.fired()) break;
        ++points;
    }
    EXPECT_GE(points, 8);
}

TEST_F(ListRewrite, StagedBackupBytes) {
    put(dir_ / "files.bbs", "A.ZIP x\r\n");
    RewriteResult r = rewrite_list_staged(
        default_env(), path("files.bbs"), Share::exclusive,
        [](std::vector<std::string>& lines, std::optional<std::string>& backup) {
            backup = "A.ZIP middle\r\n";
            lines.push_back("B.ZIP y");
        });
    EXPECT_EQ(r, RewriteResult::ok);
    EXPECT_EQ(slurp(dir_ / "files.bbs"), "A.ZIP x\r\nB.ZIP y\r\n");
    EXPECT_EQ(slurp(dir_ / "files.bak"), "A.ZIP middle\r\n");
}

}  // namespace
}  // namespace zunt
