// Whole runs on boards that the scenario folders cannot hold: a list behind a
// symbolic link, read-only lists, named pipes and file dates.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kCtl = "counterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\nbbslog max.log\r\n";
const std::string kList = "tool.zip [ 3] A handy tool\r\nzip.zip [12] Packer\r\n";

std::string download(const std::string& path) { return "* 16 Dec 04:59:11 MAX  DL-Z " + path + "\r\n"; }

// A list reached through a symbolic link is rewritten behind the link, and
// its backup is a file of its own holding the list as it stood: a backup
// that were a second name of the link would show the new list.
TEST(FileSystemE2E, ListBehindASymbolicLinkKeepsARealBackup) {
    ZUNT_SKIP_UNDER_WINDOWS("symbolic links are a POSIX convention here");
    Sandbox box;
    write_area_config(box, kCtl, "Util files\\util\r\n");
    box.write("real/util.bbs", kList);
    box.make_dir("files/util");
    fs::create_symlink(box.path("real/util.bbs"), box.path("files/util/files.bbs"));
    std::string before = kList;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"/czunt.ctl"}, {"/czunt.ctl"}, {"/czunt.ctl", "/i"}}) {
        box.write("max.log", box.read("max.log") + download("files\\util\\tool.zip"));
        RunResult r = box.run(args);
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_TRUE(fs::is_symlink(box.path("files/util/files.bbs")));
        EXPECT_FALSE(fs::is_symlink(box.path("files/util/files.bak")));
        EXPECT_EQ(box.read("files/util/files.bak"), before);
        EXPECT_NE(box.read("real/util.bbs"), before);
        before = box.read("real/util.bbs");
    }
}

// A files.bbs that nobody may write is not taken from the download
// directory, also when the program runs with every privilege: the area's
// list is used, or the file has no area. Neither list is touched.
TEST(FileSystemE2E, ReadOnlyListInDownloadDirectoryIsNotFound) {
    ZUNT_SKIP_UNDER_WINDOWS("write permission bits stand for the read-only attribute");
    for (const char* first : {"yes", "no"}) {
        SCOPED_TRACE(first);
        Sandbox box;
        write_area_config(box, kCtl + "useareadatfirst " + first + "\r\n", "Area area lists\\area.bbs\r\n");
        box.write("lists/area.bbs", "a.zip [ 1] A\r\n");
        box.write("area/files.bbs", "a.zip [ 7] A\r\n");
        box.write("dl/files.bbs", "b.zip [ 1] B\r\n");
        ASSERT_EQ(::chmod(box.path("area/files.bbs").c_str(), 0444), 0);
        ASSERT_EQ(::chmod(box.path("dl/files.bbs").c_str(), 0444), 0);
        box.write("max.log", download("area\\a.zip") + download("dl\\b.zip"));
        RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_NE(r.err.find("\xFE Scanning FILES.BBS\n  Incremented DLC for a.zip by 1 to 2\n"
                             "  No area for \"b.zip\", skipping file!\n"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(box.read("lists/area.bbs"), "a.zip [ 2] A\r\n");
        EXPECT_EQ(box.read("area/files.bbs"), "a.zip [ 7] A\r\n");
        EXPECT_EQ(box.read("dl/files.bbs"), "b.zip [ 1] B\r\n");
        const std::string log = box.read("zunt.log");
        EXPECT_NE(log.find("No FILES.BBS for \"dl\\b.zip\" in Area.Dat or dl\\\r\n"), std::string::npos);
        EXPECT_EQ(log.find("No FILES.BBS for \"area\\a.zip\" in DL dir found, using Area.Dat") != std::string::npos,
                  std::string(first) == "no");
    }
}

// A named pipe where a log or a list is expected is refused at once, like a
// directory, instead of holding the run until someone writes to it. (Should
// the program wait, a helper opens and closes each pipe after a few seconds,
// so that the test fails instead of hanging.)
TEST(FileSystemE2E, PipeAsLogOrListIsSkipped) {
    ZUNT_SKIP_UNDER_WINDOWS("named pipes in the file system are a POSIX thing");
    Sandbox box;
    write_area_config(box, kCtl + "bbslog pipe.log\r\n", "Docs files\\docs\r\n");
    box.write("max.log", download("files\\docs\\fts-0001.txt"));
    box.make_dir("files/docs");
    const std::vector<std::string> pipes = {box.path("pipe.log"), box.path("files/docs/files.bbs")};
    for (const std::string& p : pipes) ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
    std::atomic<bool> done{false};
    std::thread releaser([&] {
        for (int i = 0; i < 40 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        while (!done) {
            for (const std::string& p : pipes)
                if (int fd = ::open(p.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    RunResult r = box.run({"/czunt.ctl"});
    done = true;
    releaser.join();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("\xFE Parsing pipe.log unable to open, skipped\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  Couldn't open files\\docs\\files.bbs, skipped!\n"), std::string::npos) << r.err;
}

TEST(FileSystemE2E, InitializationSortsByFileDate) {
    Sandbox box;
    write_area_config(box, "counterstyle 1\r\ncounterlength 3\r\nsortby date\r\nsortorder ascending\r\n",
                      "Files files/\r\n");
    box.write("files/new.zip", "n");
    box.write("files/old.zip", "o");
    const auto now = fs::last_write_time(box.path("files/new.zip"));
    fs::last_write_time(box.path("files/old.zip"), now - std::chrono::hours(24 * 800));
    box.write("files/files.bbs", "new.zip New\r\nold.zip Old\r\n more\r\ngone.zip Gone\r\n");
    RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(box.read("files/files.bbs"),
              "gone.zip      [  0] Gone\r\nold.zip       [  0] Old\r\n more\r\nnew.zip       [  0] New\r\n");
}

}  // namespace
}  // namespace zunt::e2e
