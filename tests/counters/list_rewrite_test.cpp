#include "counters/list_rewrite.h"

#include <gtest/gtest.h>

#include "areas/area_test_util.h"
#include "config/settings.h"
#include "counters/files_bbs_update.h"
#include "support/count_once.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

using testing::slurp;

TEST(ListBytes, SplitJoinAndBackupName) {
    using V = std::vector<std::string>;
    const struct {
        std::string bytes;
        V want;
    } cases[] = {
        {"a\r\nb\n", {"a", "b"}},        {"a\x1a" "b\r\nc\r\n\x1a\x1a", {"a\x1a" "b", "c"}},  // only the end's Ctrl-Z go
        {"a\r\nlast", {"a", "last"}},    {"last\x1a", {"last"}}, {"", {}}, {"\r\n\n", {"", ""}},
        {"a\r\r\n", {"a\r"}},            {"a\rb\n", {"a\rb"}},
    };
    std::vector<std::string_view> views;
    for (const auto& c : cases) {
        list_line_views(c.bytes, views);
        EXPECT_EQ(V(views.begin(), views.end()), c.want) << c.bytes;
    }
    std::string joined;
    join_list_lines({"a", "", "b"}, joined);
    EXPECT_EQ(joined, "a\r\n\r\nb\r\n");
    EXPECT_EQ(backup_name_for("C:\\FILES\\UTIL\\FILES.BBS"), "C:\\FILES\\UTIL\\FILES.bak");
    EXPECT_EQ(backup_name_for("d:files.bbs"), "d:files.bak");
    EXPECT_EQ(backup_name_for("/bbs/a.b/files"), "/bbs/a.b/files.bak");
    EXPECT_TRUE(is_backup_name("/bbs/FILES.BAK"));
    EXPECT_FALSE(is_backup_name("/bbs.bak/files.bbs"));
}

ControlSettings style1() {
    ControlSettings s;
    s.counter_style = 1;
    s.counter_length = 3;
    return s;
}

std::size_t file_count(const testing::ScratchDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.root()), {}));
}

TEST(ListRewrite, ExactBytesAndBackup) {
    testing::ScratchDir dir("rewrite");
    const std::string old_list =
        "-- Utilities --  \r\n\r\nTOOL.ZIP  [ 41] Nice tool\r\n  continued \\\n"
        "MID\x1aZ.ZIP Stray Ctrl-Z kept\r\ntool.zip No counter\r\nLAST.ZIP Last line";
    dir.write("files.bbs", old_list);
    dir.write("files.bak", "an older backup");
    long long count = 0;
    EXPECT_EQ(testing::count_once(default_env(), style1(), dir.path("files.bbs"), "tool.zip", count, 2), UpdateResult::ok);
    EXPECT_EQ(count, 43);
    EXPECT_EQ(slurp(dir.path("files.bbs")),
              "-- Utilities --\r\n\r\nTOOL.ZIP  [ 43] Nice tool\r\n  continued\r\n"
              "MID\x1aZ.ZIP Stray Ctrl-Z kept\r\ntool.zip      [  2] No counter\r\nLAST.ZIP Last line\r\n");
    EXPECT_EQ(slurp(dir.path("files.bak")), old_list);
    EXPECT_EQ(file_count(dir), 2u);  // no temporary file left behind
}

// A directory where nothing can be created (read-only, full disk).
class NoCreateEnv : public testing::FaultEnv {
public:
    using FaultEnv::FaultEnv;
    Errno open(const std::string& path, Access access, Share share, std::unique_ptr<File>& out) override {
        if (access == Access::create) return fail(EACCES);
        return FaultEnv::open(path, access, share, out);
    }
};

TEST(ListRewrite, CodesOfTheUpdate) {
    const struct {
        const char *list, *bak, *target, *file;
        bool no_create;
        UpdateResult code;
        const char *list_after, *bak_after;
        std::size_t files;
    } cases[] = {
        {"A.ZIP x\r\n", nullptr, "files.bbs", "b.zip", false, UpdateResult::not_found, "A.ZIP x\r\n", "A.ZIP x\r\n", 2},
        {"A.ZIP x\r\n", nullptr, "files.bbs", "a.zip", false, UpdateResult::new_counter, "A.ZIP         [  1] x\r\n",
         "A.ZIP x\r\n", 2},
        // A list named like its own backup is refused; a missing one leaves the older backup.
        {nullptr, "A.ZIP [ 1]\r\n", "files.bak", "a.zip", false, UpdateResult::rename_failed, nullptr, "A.ZIP [ 1]\r\n", 1},
        {nullptr, "old backup", "files.bbs", "a.zip", false, UpdateResult::rename_failed, nullptr, "old backup", 1},
        {"A.ZIP [ 1]\r\n", nullptr, "files.bbs", "a.zip", true, UpdateResult::create_failed, "A.ZIP [ 1]\r\n", nullptr, 1},
    };
    for (const auto& c : cases) {
        testing::ScratchDir dir("codes");
        if (c.list) dir.write("files.bbs", c.list);
        if (c.bak) dir.write("files.bak", c.bak);
        NoCreateEnv no_create(default_env());
        long long count = -1;
        EXPECT_EQ(testing::count_once(c.no_create ? no_create : default_env(), style1(), dir.path(c.target), c.file, count, 1),
                  c.code) << c.file;
        EXPECT_EQ(count, -1);  // only a raised counter sets it
        if (c.list_after) { EXPECT_EQ(slurp(dir.path("files.bbs")), c.list_after); }
        if (c.bak_after) { EXPECT_EQ(slurp(dir.path("files.bak")), c.bak_after); }
        EXPECT_EQ(file_count(dir), c.files);
    }
}

}  // namespace
}  // namespace zunt
