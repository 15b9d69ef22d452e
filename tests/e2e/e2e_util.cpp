#include "e2e/e2e_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zunt::e2e {

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

Sandbox::Sandbox() {
    std::string templ = (fs::temp_directory_path() / "zunt_e2e_XXXXXX").string();
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
}

Sandbox::~Sandbox() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    fs::remove(dir_ + ".stdout", ec);
    fs::remove(dir_ + ".stderr", ec);
}

std::string Sandbox::path(std::string_view relative) const {
    return dir_ + "/" + std::string(relative);
}

void Sandbox::write(std::string_view relative, std::string_view bytes) const {
    fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Sandbox::read(std::string_view relative) const { return slurp(path(relative)); }

bool Sandbox::exists(std::string_view relative) const { return fs::exists(path(relative)); }

void Sandbox::make_dir(std::string_view relative) const { fs::create_directories(path(relative)); }

RunResult Sandbox::run(const std::vector<std::string>& args, const EnvVars& env,
                       const RunOptions& options) const {
    const std::string binary = ZUNT_BINARY;
    std::vector<std::string> words;
    const char* wrapper = std::getenv("ZUNT_TEST_WRAPPER");
    if (wrapper && *wrapper) words.push_back(wrapper);
    words.push_back(options.argv0.empty() ? binary : options.argv0);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string program = (wrapper && *wrapper) ? std::string(wrapper) : binary;
    const std::string out_path = dir_ + ".stdout", err_path = dir_ + ".stderr";

    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        // The child: only async-signal-safe-enough calls before exec.
        if (!std::freopen(out_path.c_str(), "wb", stdout) ||
            !std::freopen(err_path.c_str(), "wb", stderr) || ::chdir(dir_.c_str()) != 0)
            ::_exit(127);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    RunResult r;
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(out_path);
    r.err = slurp(err_path);
    return r;
}

std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace zunt::e2e
