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

// Only a run on Windows paths shows these.
TEST(ListRewrite, BackupNames) {
    EXPECT_EQ(backup_name_for("C:\\FILES\\UTIL\\FILES.BBS"), "C:\\FILES\\UTIL\\FILES.bak");
    EXPECT_EQ(backup_name_for("d:files.bbs"), "d:files.bak");
    EXPECT_FALSE(is_backup_name("c:\\bbs.bak\\files.bbs"));
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
