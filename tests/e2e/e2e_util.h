// Running the built zunt binary end to end.
//
//   zunt::e2e::Sandbox box;                       // a fresh, empty temp directory
//   box.write("zunt.ctl", "CounterStyle 1\r\n");  // files, byte for byte (parents made)
//   auto r = box.run({"/czunt.ctl"}, {{"BBS", "/srv/bbs"}});
//   EXPECT_EQ(r.exit_code, 1);  EXPECT_EQ(r.err, "...");  EXPECT_EQ(box.read("zunt.log"), "...");
//
// Most end-to-end runs are scenarios kept as data (tests/scenarios/, run by
// scenario_test.cpp); a Sandbox in C++ is for runs that need code around them.
//
// The program runs with the sandbox as its current directory, the test's own
// environment plus the given variables, and argv[0] = the binary's path (or
// RunOptions::argv0). The directory is removed when the Sandbox goes out of
// scope.
//
// Running another build of the program (zunt.exe under wine):
//   ZUNT_TEST_BINARY   the program to test instead of the one built beside
//                      the tests;
//   ZUNT_TEST_WRAPPER  a program that starts it (e.g. "wine"), given the
//                      binary as its first argument.
// Every end-to-end test belongs to a suite whose name ends in "E2E", so
//   ZUNT_TEST_BINARY=zunt.exe ZUNT_TEST_WRAPPER=wine zunt_tests --gtest_filter='*E2E.*'
// runs exactly those. A test of a POSIX-only convention (drive letters through
// ZUNT_DRIVE_X, case folding, "\" to "/", flock, permissions, signals) starts
// with ZUNT_SKIP_UNDER_WINDOWS("why"), which skips it for a Windows binary.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zunt::e2e {

struct RunResult {
    int exit_code = -1;  // the exit status; -1 when the program did not exit normally
    std::string out;     // standard output, bytes as written
    std::string err;     // standard error, bytes as written
};

using EnvVars = std::vector<std::pair<std::string, std::string>>;

struct RunOptions {
    // Empty: the binary's own path. A Windows program learns its path from
    // the system rather than from its caller, so for a Windows binary the
    // program is copied to this path in the sandbox (".exe" added) and
    // started from there.
    std::string argv0;
    // Standard error goes where standard output goes, as with "2>&1"; the
    // result's `out` holds both.
    bool one_stream = false;
};

// The program under test: ZUNT_TEST_BINARY, else the one built with the tests.
std::string binary_under_test();
// True when the program under test is a Windows program (its name ends in
// ".exe"), where drive letters, "\" and case-insensitive names are native.
bool testing_windows_binary();

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

    // Absolute path of the sandbox, and of a file inside it.
    const std::string& dir() const { return dir_; }
    std::string path(std::string_view relative) const;

    // Writes `bytes` exactly (no line-end translation), making parent dirs.
    void write(std::string_view relative, std::string_view bytes) const;
    // The file's bytes; empty when it does not exist.
    std::string read(std::string_view relative) const;
    bool exists(std::string_view relative) const;
    void make_dir(std::string_view relative) const;

    // Runs zunt with `args` (not including argv[0]) in the sandbox.
    RunResult run(const std::vector<std::string>& args, const EnvVars& env = {},
                  const RunOptions& options = {}) const;

private:
    std::string dir_;
};

// Writes zunt.ctl ("asciiareafile areas.txt" then `ctl`) and areas.txt.
void write_area_config(const Sandbox& box, const std::string& ctl, const std::string& areas);

}  // namespace zunt::e2e
