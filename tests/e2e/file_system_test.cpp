// A named pipe where a log or a list is expected is refused at once, like a
// directory, instead of holding the run until someone writes to it. (Should
// the program wait, a helper opens and closes each pipe after a few seconds,
// so that the test fails instead of hanging.) Links, read-only lists and
// file dates are scenarios (links, read-only, days-old).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

TEST(FileSystemE2E, PipeAsLogOrListIsSkipped) {
    ZUNT_SKIP_UNDER_WINDOWS("named pipes in the file system are a POSIX thing");
    Sandbox box;
    box.write("zunt.ctl", "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nbbslog max.log\r\nbbslog pipe.log\r\n");
    box.write("areas.txt", "Docs files\\docs\r\n");
    box.write("max.log", "* 16 Dec 04:59:11 MAX  DL-Z files\\docs\\fts-0001.txt\r\n");
    box.make_dir("files/docs");
    const std::vector<std::string> pipes = {box.path("pipe.log"), box.path("files/docs/files.bbs")};
    for (const std::string& p : pipes) ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
    std::atomic<bool> done{false};
    std::thread releaser([&] {
        for (int i = 0; i < 40 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
            for (const std::string& p : pipes)
                if (int fd = ::open(p.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
    });
    RunResult r = box.run({"/czunt.ctl"});
    done = true;
    releaser.join();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("\xFE Parsing pipe.log unable to open, skipped\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  Couldn't open files\\docs\\files.bbs, skipped!\n"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace zunt::e2e
