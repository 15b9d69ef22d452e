// The program killed (SIGKILL) at many moments of a counting run and of an
// initialization run on a board of a few hundred lines per list: whatever the
// moment, every list is whole under its own name, every backup is the older
// backup or a whole list, the statistics file is old, new or whole, every
// scan position file is old or new, and the next run succeeds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "reliability/board_check.h"

namespace zunt::e2e {
namespace {

using testing::Files;
const char* const kAreas[] = {"util", "games", "docs"};
constexpr int kLinesPerList = 300;
constexpr int kKillPoints = 40;

std::string file_name(int area, int i) { return std::string(kAreas[area]) + std::to_string(i) + ".zip"; }

Files initial_board() {
    Files f;
    f["zunt.ctl"] =
        "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\n"
        "bbslog max.log\r\nmailerlog binkd.log\r\nmailerstring sent:\r\nstatistics zunt.sta\r\n";
    std::string areas, max_log, binkd_log;
    for (int a = 0; a < 3; ++a) {
        const std::string dir = std::string("files\\") + kAreas[a];
        areas += std::string(kAreas[a]) + " " + dir + "\r\n";
        std::string list = "-- The " + std::string(kAreas[a]) + " area\r\n";
        for (int i = 0; i < kLinesPerList; ++i) {
            list += file_name(a, i) + (i % 3 ? " [ " + std::to_string(i % 7) + "]" : "") +
                    " A file of the board, number " + std::to_string(i) + "\r\n";
            if (i % 5 == 0) list += " that spans two lines\r\n";
        }
        f["files/" + std::string(kAreas[a]) + "/files.bbs"] = list;
        f["files/" + std::string(kAreas[a]) + "/files.bak"] = a == 0 ? std::optional("old.zip [1] x\r\n") : std::nullopt;
        for (int i = 0; i < kLinesPerList; i += 2) {
            max_log += "* 16 Dec 04:59:11 MAX  DL-Z " + dir + "\\" + file_name(a, i) + "\r\n";
            binkd_log += "+ 16 Dec 06:10:05 [4242] sent: " + dir + "\\" + file_name(a, (i * 7) % kLinesPerList) +
                         " (12345, 3456.78 CPS, 2:5020/1)\r\n";
        }
    }
    f["areas.txt"] = areas;
    f["max.log"] = max_log;
    f["binkd.log"] = binkd_log;
    f["max.znt"] = std::nullopt;
    f["binkd.znt"] = std::nullopt;
    StatTable stats;
    update_stat_entry(stats, "files\\util\\util0.zip", std::string("files\\util\\util0.zip"), StatUpdate::set, 4, 1000);
    f["zunt.sta"] = encode_statistics(stats);
    return f;
}

// Starts the program in the sandbox; returns its process id.
pid_t start(const Sandbox& box, bool init) {
    const std::string bin = binary_under_test();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(box.dir().c_str()) != 0) ::_exit(127);
        if (FILE* null = std::fopen("/dev/null", "w")) {
            ::dup2(::fileno(null), 1);
            ::dup2(::fileno(null), 2);
        }
        const char* argv[] = {bin.c_str(), "/czunt.ctl", init ? "/i" : nullptr, nullptr};
        ::execv(bin.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    return pid;
}

// Exit code, or -signal when killed.
int finish(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void kill_at_many_moments(bool init) {
    ZUNT_SKIP_UNDER_WINDOWS("kills the program with SIGKILL");
    Sandbox box;
    const Files board = initial_board();
    testing::lay_out(box, board);
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(finish(start(box, init)), 0);
    const auto whole = std::chrono::steady_clock::now() - t0;
    for (int k = 0; k < kKillPoints; ++k) {
        testing::lay_out(box, board);
        const auto delay = whole * k / kKillPoints;
        pid_t pid = start(box, init);
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        const int code = finish(pid);
        SCOPED_TRACE("kill point " + std::to_string(k));
        EXPECT_TRUE(code == -SIGKILL || code == 0) << code;
        const Files after = testing::snapshot(box, board);
        EXPECT_EQ(testing::damage(board, after), "");
        EXPECT_EQ(finish(start(box, init)), 0) << "the run after the kill";
        EXPECT_EQ(testing::damage(after, testing::snapshot(box, board)), "") << "after the next run";
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(CrashSafetyE2E, CountingRunKilledAnywhere) { kill_at_many_moments(false); }
TEST(CrashSafetyE2E, InitializationRunKilledAnywhere) { kill_at_many_moments(true); }

}  // namespace
}  // namespace zunt::e2e
