// Running the built zunt binary end to end, in a Sandbox: a fresh temporary
// directory, the program's current directory, removed with the Sandbox.
// Most end-to-end runs are scenarios (tests/scenarios/, scenario_test.cpp).
// Testing another build (zunt.exe under wine): ZUNT_TEST_BINARY names the
// program, ZUNT_TEST_WRAPPER a program that starts it (given the binary as
// its first argument). Every end-to-end suite's name ends in "E2E", so
//   ZUNT_TEST_BINARY=zunt.exe ZUNT_TEST_WRAPPER=wine zunt_tests --gtest_filter='*E2E.*'
// runs exactly those. A test of a POSIX-only convention starts with
// ZUNT_SKIP_UNDER_WINDOWS("why").
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zunt::e2e {

struct RunResult {
    int exit_code = -1;  // -1 when the program did not exit normally
    std::string out, err;
};

using EnvVars = std::vector<std::pair<std::string, std::string>>;

struct RunOptions {
    // The program's name as started (empty: the binary's path). A Windows
    // program learns its path from the system, so it is copied there first.
    std::string argv0;
    bool one_stream = false;  // standard error into standard output, as "2>&1"
    bool terminal = false;    // standard error to a pseudo-terminal
    // Called with the running program's id (to kill it, say) before the wait.
    std::function<void(pid_t)> while_running;
};

// ZUNT_TEST_BINARY, else the program built with the tests.
std::string binary_under_test();
// A Windows program (its name ends in ".exe").
bool testing_windows_binary();
// A file's bytes; empty when it cannot be read.
std::string slurp(const std::string& path);

#define ZUNT_SKIP_UNDER_WINDOWS(why)                                      \
    do {                                                                  \
        if (::zunt::e2e::testing_windows_binary()) GTEST_SKIP() << (why); \
    } while (0)

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path(std::string_view relative) const { return dir_ + "/" + std::string(relative); }
    // Byte for byte, parent directories made.
    void write(std::string_view relative, std::string_view bytes) const;
    std::string read(std::string_view relative) const;  // empty when absent
    bool exists(std::string_view relative) const;
    void make_dir(std::string_view relative) const;
    // Runs zunt with `args` (argv[0] left out) in the sandbox.
    RunResult run(const std::vector<std::string>& args, const EnvVars& env = {},
                  const RunOptions& options = {}) const;

private:
    std::string dir_;
};

}  // namespace zunt::e2e
