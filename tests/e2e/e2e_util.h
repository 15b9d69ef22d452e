// Running the built zunt binary end to end.
//
//   zunt::e2e::Sandbox box;                       // a fresh, empty temp directory
//   box.write("zunt.ctl", "CounterStyle 1\r\n");  // files, byte for byte (parents made)
//   auto r = box.run({"/czunt.ctl"}, {{"BBS", "/srv/bbs"}});
//   EXPECT_EQ(r.exit_code, 1);  EXPECT_EQ(r.err, "...");  EXPECT_EQ(box.read("zunt.log"), "...");
//
// The program runs with the sandbox as its current directory, the test's own
// environment plus the given variables, and argv[0] = the binary's path (or
// RunOptions::argv0). When the environment variable ZUNT_TEST_WRAPPER is set
// (e.g. "wine64"), that program is started with the binary as its first
// argument, for builds that do not run natively. The directory is removed
// when the Sandbox goes out of scope.
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
    std::string argv0;  // empty: the binary's own path
};

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

// CR LF line ends for a text written with "\n".
std::string crlf(std::string_view text);

}  // namespace zunt::e2e
