// A run's changes as one transaction: a run stopped after its commit is
// finished by the next one, upload lines that cannot be written are
// reported, and files behind symbolic links into another directory (which a
// rename cannot leave, as between two file systems) are replaced where they
// are.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_util.h"
#include "run/driver.h"
#include "support/fault_env.h"

namespace zunt::e2e {
namespace {

namespace fs = std::filesystem;

// Renames fail (EIO when `all` is set) or cannot cross from one directory
// into another (EXDEV); files written to a path holding `full` run out of
// space.
class BoardEnv : public testing::FaultEnv {
public:
    explicit BoardEnv(std::string full = "", bool all = false)
        : FaultEnv(default_env()), full_(std::move(full)), all_(all) {}
    Errno rename(const std::string& from, const std::string& to) override {
        if (all_) return fail(EIO);
        if (fs::path(from).parent_path() != fs::path(to).parent_path()) return fail(EXDEV);
        return FaultEnv::rename(from, to);
    }
    Errno open(const std::string& path, Access access, Share share, std::unique_ptr<File>& out) override {
        Errno e = FaultEnv::open(path, access, share, out);
        if (e == 0 && !full_.empty() && path.find(full_) != std::string::npos && access != Access::read)
            out = std::make_unique<FullFile>(std::move(out));
        return e;
    }

private:
    struct FullFile : File {
        explicit FullFile(std::unique_ptr<File> f) : f_(std::move(f)) {}
        Errno read(char* b, std::size_t n, std::size_t& got) override { return f_->read(b, n, got); }
        Errno read_at(std::uint64_t o, char* b, std::size_t n, std::size_t& got) override {
            return f_->read_at(o, b, n, got);
        }
        Errno write(const char*, std::size_t) override { return ENOSPC; }
        Errno seek(std::uint64_t o) override { return f_->seek(o); }
        Errno size(std::uint64_t& out) override { return f_->size(out); }
        Errno sync() override { return f_->sync(); }
        Errno close() override { return f_->close(); }
        std::unique_ptr<File> f_;
    };
    std::string full_;
    bool all_;
};

int run_in(const Sandbox& box, Env& env, std::vector<std::string> args) {
    const fs::path cwd = fs::current_path();
    fs::current_path(box.dir());
    args.insert(args.begin(), "zunt");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    const int code = run_zunt(env, static_cast<int>(argv.size()), argv.data());
    fs::current_path(cwd);
    return code;
}

const std::string kControl =
    "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
    "bbslog max.log\r\nstatistics zunt.sta\r\nuploadlog uploads.log\r\n"
    "textout top.txt\r\nbbsout top.bbs\r\n";
const std::string kList = "tool.zip [ 3] A handy tool\r\n";
const std::string kCounted = "tool.zip [ 4] A handy tool\r\n";

void lay_out_board(const Sandbox& box) {
    box.write("zunt.ctl", kControl);
    box.write("areas.txt", "Util files\\util\r\n");
    box.write("files/util/files.bbs", kList);
    box.write("max.log", "* 16 Dec 04:59:11 MAX  DL-Z files\\util\\tool.zip\r\n"
                         "* 16 Dec 04:59:12 MAX  UL-Z files\\util\\new.zip\r\n");
}

// Not one of the run's changes stays half made: a run that cannot finish
// them says so, and the next run finishes them and says that too.
TEST(TransactionE2E, NextRunFinishesTheChangesOfAStoppedRun) {
    Sandbox box;
    lay_out_board(box);
    BoardEnv stopped("", true);
    EXPECT_EQ(run_in(box, stopped, {"/czunt.ctl"}), 1);
    EXPECT_NE(stopped.err_text.find("  Couldn't finish the changes of this run: Input/output error\n"),
              std::string::npos)
        << stopped.err_text;
    EXPECT_EQ(box.read("files/util/files.bbs"), kList);
    EXPECT_TRUE(box.exists("zunt.jnl"));

    RunResult r = box.run({"/czunt.ctl"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("  Finished the changes of an interrupted run\n"), std::string::npos) << r.err;
    EXPECT_NE(box.read("zunt.log").find("ZUNT Finished the changes of an interrupted run"), std::string::npos);
    EXPECT_EQ(box.read("files/util/files.bbs"), kCounted);  // once: the log was read before
    EXPECT_EQ(box.read("files/util/files.bak"), kList);
    EXPECT_EQ(box.read("uploads.log"), "16 Dec 04:59:12 UL: files\\util\\new.zip (by )\r\n");
    EXPECT_FALSE(box.exists("zunt.jnl"));
}

// Upload lines only inform: a full disk is reported with the upload log's
// name and the system's text, and the run counts and goes on.
TEST(TransactionE2E, UploadLogWriteErrorIsReported) {
    Sandbox box;
    lay_out_board(box);
    BoardEnv full("uploads.log");
    EXPECT_EQ(run_in(box, full, {"/czunt.ctl"}), 0);
    EXPECT_NE(full.err_text.find("  Error writing upload log file uploads.log: No space left on device\n"),
              std::string::npos)
        << full.err_text;
    const std::string log = box.read("zunt.log");
    const std::size_t at = log.find("ZUNT Couldn't write upload log file uploads.log: No space left on device");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log[log.rfind('\n', at) + 1], '!') << "level 4";
    EXPECT_EQ(box.read("files/util/files.bbs"), kCounted);
    EXPECT_TRUE(box.exists("max.znt"));
}

// A list, the statistics file and the bulletins reached through symbolic
// links into another directory are replaced behind the links, and the links
// stay.
TEST(TransactionE2E, FilesBehindLinksIntoAnotherDirectory) {
    ZUNT_SKIP_UNDER_WINDOWS("symbolic links");
    Sandbox box;
    lay_out_board(box);
    box.write("other/util.bbs", kList);
    box.write("other/zunt.sta", "");
    box.write("other/top.txt", "old");
    box.write("other/top.bbs", "old");
    fs::remove(box.path("files/util/files.bbs"));
    fs::create_symlink(box.path("other/util.bbs"), box.path("files/util/files.bbs"));
    for (const char* f : {"zunt.sta", "top.txt", "top.bbs"}) fs::create_symlink(box.path(std::string("other/") + f), box.path(f));
    BoardEnv env;
    EXPECT_EQ(run_in(box, env, {"/czunt.ctl"}), 0) << env.err_text;
    EXPECT_EQ(run_in(box, env, {"/czunt.ctl", "/s"}), 0) << env.err_text;
    EXPECT_EQ(box.read("other/util.bbs"), kCounted);
    EXPECT_EQ(box.read("files/util/files.bak"), kList);
    EXPECT_NE(box.read("other/zunt.sta"), "");
    EXPECT_NE(box.read("other/top.txt"), "old");
    EXPECT_NE(box.read("other/top.bbs"), "old");
    for (const char* f : {"files/util/files.bbs", "zunt.sta", "top.txt", "top.bbs"})
        EXPECT_TRUE(fs::is_symlink(box.path(f))) << f;
}

}  // namespace
}  // namespace zunt::e2e
