// The progress mark on standard error: the square of code page 437 as the
// byte 0xFE, but as "■" in UTF-8 on a terminal whose locale is UTF-8.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

// What zunt writes to standard error when that is a pseudo-terminal or a
// pipe, with LC_ALL set to `locale`. The control file is missing, so the run
// ends right after its first progress line.
std::string stderr_bytes(const Sandbox& box, bool terminal, const char* locale) {
    int ours = -1, theirs = -1;
    if (terminal) {
        ours = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (ours < 0 || ::grantpt(ours) != 0 || ::unlockpt(ours) != 0) return "no pty";
        theirs = ::open(::ptsname(ours), O_RDWR | O_NOCTTY);
    } else {
        int p[2];
        if (::pipe(p) != 0) return "no pipe";
        ours = p[0];
        theirs = p[1];
    }
    const std::string binary = binary_under_test();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (::dup2(theirs, STDERR_FILENO) < 0 || ::dup2(null, STDOUT_FILENO) < 0 ||
            ::chdir(box.dir().c_str()) != 0 || ::setenv("LC_ALL", locale, 1) != 0)
            ::_exit(127);
        ::close(ours);
        ::execl(binary.c_str(), binary.c_str(), "/cnone.ctl", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(theirs);
    std::string got;
    char buf[256];
    for (ssize_t n; (n = ::read(ours, buf, sizeof buf)) != 0;) {
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        else if (errno != EINTR) break;  // a terminal whose other side is closed: EIO
    }
    ::close(ours);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return got;
}

TEST(ConsoleMarkE2E, SquareOnlyOnAUtf8Terminal) {
    ZUNT_SKIP_UNDER_WINDOWS("terminals and locales are asked the POSIX way");
    const struct {
        bool terminal;
        const char* locale;
        const char* mark;
    } cases[] = {
        {true, "C.UTF-8", "\xE2\x96\xA0"},
        {true, "C", "\xFE"},
        {false, "C.UTF-8", "\xFE"},
    };
    Sandbox box;
    for (const auto& c : cases) {
        const std::string err = stderr_bytes(box, c.terminal, c.locale);
        EXPECT_EQ(err.find(std::string(c.mark) + " Reading config..."), 0u)
            << c.terminal << " " << c.locale << ": " << err;
    }
}

}  // namespace
}  // namespace zunt::e2e
