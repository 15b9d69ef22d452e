#include "e2e/e2e_util.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zunt::e2e {

namespace fs = std::filesystem;

std::string slurp(const std::string& p) {
    std::stringstream ss;
    ss << std::ifstream(p, std::ios::binary).rdbuf();
    return ss.str();
}

namespace {

bool ends_in_exe(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s.ends_with(".exe");
}

}  // namespace

std::string binary_under_test() {
    const char* given = std::getenv("ZUNT_TEST_BINARY");
    return given && *given ? fs::absolute(given).string() : ZUNT_BINARY;
}

bool testing_windows_binary() { return ends_in_exe(binary_under_test()); }

Sandbox::Sandbox() {
    std::string templ = (fs::temp_directory_path() / "zunt_e2e_XXXXXX").string();
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
}

Sandbox::~Sandbox() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void Sandbox::write(std::string_view relative, std::string_view bytes) const {
    fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Sandbox::read(std::string_view relative) const { return slurp(path(relative)); }
bool Sandbox::exists(std::string_view relative) const { return fs::exists(path(relative)); }
void Sandbox::make_dir(std::string_view relative) const { fs::create_directories(path(relative)); }

RunResult Sandbox::run(const std::vector<std::string>& args, const EnvVars& env, const RunOptions& options) const {
    std::string binary = binary_under_test();
    std::string argv0 = options.argv0.empty() ? binary : options.argv0;
    if (!options.argv0.empty() && testing_windows_binary()) {
        if (!ends_in_exe(argv0)) argv0 += ".exe";
        const fs::path copy = fs::path(argv0).is_absolute() ? fs::path(argv0) : fs::path(path(argv0));
        fs::create_directories(copy.parent_path());
        fs::copy_file(binary, copy, fs::copy_options::overwrite_existing);
        binary = argv0;
    }
    std::vector<std::string> words{argv0};
    const char* wrapper = std::getenv("ZUNT_TEST_WRAPPER");
    if (wrapper && *wrapper) words.insert(words.begin(), wrapper);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string program = wrapper && *wrapper ? std::string(wrapper) : binary;
    // Files of their own for each run: tests may run programs side by side.
    static std::atomic<unsigned> runs{0};
    const std::string tag = dir_ + "." + std::to_string(runs++), out_path = tag + ".stdout", err_path = tag + ".stderr";
    int pty = -1;
    if (options.terminal && ((pty = ::posix_openpt(O_RDWR | O_NOCTTY)) < 0 || ::grantpt(pty) || ::unlockpt(pty)))
        throw std::runtime_error("no pseudo-terminal");
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!std::freopen(out_path.c_str(), "wb", stdout) || ::chdir(dir_.c_str()) != 0) ::_exit(127);
        if (options.terminal ? ::dup2(::open(::ptsname(pty), O_RDWR | O_NOCTTY), STDERR_FILENO) < 0
            : options.one_stream ? ::dup2(STDOUT_FILENO, STDERR_FILENO) < 0
                                 : !std::freopen(err_path.c_str(), "wb", stderr))
            ::_exit(127);
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (options.while_running) options.while_running(pid);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    RunResult r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out_path), slurp(err_path)};
    char buf[256];  // a terminal whose other side is closed ends in EIO
    for (ssize_t n; pty >= 0 && (n = ::read(pty, buf, sizeof buf)) > 0;) r.err.append(buf, static_cast<std::size_t>(n));
    if (pty >= 0) ::close(pty);
    std::error_code ec;
    fs::remove(out_path, ec);
    fs::remove(err_path, ec);
    return r;
}

}  // namespace zunt::e2e
