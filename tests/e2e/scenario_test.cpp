// End-to-end scenarios kept as data, one folder each under tests/scenarios/:
//
//   posix-only              (optional) why a Windows binary skips the scenario
//   1/, 2/, ...             one folder per run of the program, in order:
//     in/**                 files written into the sandbox before the run, byte
//                           for byte (an empty ".keep" stands for a directory)
//     args                  the arguments, one a line (none when absent)
//     env                   (optional) NAME=VALUE lines
//     argv0                 (optional) the program's name as started
//     one-stream            (optional) standard error goes to standard output
//     expect/exit, expect/stdout, expect/stderr
//     expect/files/**       every file the run made or changed
//     expect/gone           (optional) the files the run removed, one a line
//
// "@BOX@" stands for the sandbox's path in args and env, and in everything
// the run writes. The activity log's day and time and the End line's rate are
// left out, and a statistics entry stamped during the scenario holds
// FF FF FF FF instead of its time.
//
// ZUNT_UPDATE_SCENARIOS=1 rewrites every run's expect/ folder from what the
// program does now (make scenarios); review the change with git diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative path: bytes

const fs::path kScenarios = fs::path(ZUNT_SOURCE_DIR) / "tests" / "scenarios";

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spill(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

Files snapshot(const fs::path& root) {
    Files files;
    if (!fs::is_directory(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).generic_string()] = slurp(e.path());
    return files;
}

std::vector<std::string> lines_of(const fs::path& p) {
    std::vector<std::string> lines;
    std::istringstream in(slurp(p));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void replace_all(std::string& s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// "X 16 Dec 04:59:11 " at a line start becomes "X ".
void mask_log_times(std::string& s) {
    auto digit = [&](std::size_t i) { return s[i] >= '0' && s[i] <= '9'; };
    for (std::size_t at = 0; at + 18 <= s.size(); at = s.find('\n', at) == std::string::npos ? s.size() : s.find('\n', at) + 1) {
        const std::size_t d = at + 2;
        if (s[at + 1] == ' ' && (s[d] == ' ' || digit(d)) && digit(d + 1) && s[d + 2] == ' ' &&
            std::isalpha(static_cast<unsigned char>(s[d + 3])) && s[d + 6] == ' ' && digit(d + 7) && digit(d + 8) &&
            s[d + 9] == ':' && digit(d + 10) && digit(d + 11) && s[d + 12] == ':' && digit(d + 13) && digit(d + 14) &&
            s[d + 15] == ' ')
            s.erase(d, 16);
    }
}

// " (123 files/s)" before a line end is dropped.
void mask_rates(std::string& s) {
    for (std::size_t at = s.find(" files/s)\r"); at != std::string::npos; at = s.find(" files/s)\r", at)) {
        std::size_t open = s.rfind(" (", at);
        if (open == std::string::npos || s.find_first_not_of("0123456789", open + 2) != at) {
            ++at;
            continue;
        }
        s.erase(open, at + 9 - open);
        at = open;
    }
}

// A statistics file (mark 6, 101 buckets of 86-byte entries filling it
// exactly): the times within [from, to] become FF FF FF FF.
void mask_stat_times(std::string& s, std::uint32_t from, std::uint32_t to) {
    auto le = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
        return v;
    };
    if (s.size() < 4 + 2 * 101 || le(0, 4) != 6) return;
    std::vector<std::size_t> times;
    std::size_t at = 4;
    for (int b = 0; b < 101; ++b) {
        if (at + 2 > s.size()) return;
        const std::uint32_t n = le(at, 2);
        at += 2;
        for (std::uint32_t i = 0; i < n; ++i, at += 86) times.push_back(at + 82);
    }
    if (at != s.size()) return;
    for (std::size_t t : times)
        if (le(t, 4) >= from && le(t, 4) <= to) s.replace(t, 4, "\xFF\xFF\xFF\xFF");
}

struct Outcome {
    std::string exit, out, err, gone;
    Files files;
};

Outcome run_step(const Sandbox& box, const fs::path& step, std::uint32_t from) {
    for (const auto& [name, bytes] : snapshot(step / "in")) box.write(name, bytes);
    const Files before = snapshot(box.dir());
    std::vector<std::string> args = lines_of(step / "args");
    EnvVars env;
    for (std::string line : lines_of(step / "env")) {
        replace_all(line, "@BOX@", box.dir());
        env.emplace_back(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
    }
    for (std::string& a : args) replace_all(a, "@BOX@", box.dir());
    RunOptions options;
    if (fs::exists(step / "argv0")) options.argv0 = lines_of(step / "argv0").at(0);
    options.one_stream = fs::exists(step / "one-stream");
    const RunResult r = box.run(args, env, options);
    const auto to = static_cast<std::uint32_t>(std::time(nullptr));
    auto mask = [&](std::string s) {
        replace_all(s, box.dir(), "@BOX@");
        mask_log_times(s);
        mask_rates(s);
        mask_stat_times(s, from, to);
        return s;
    };
    Outcome o{std::to_string(r.exit_code) + "\n", mask(r.out), mask(r.err), "", {}};
    Files after = snapshot(box.dir());
    if (!options.argv0.empty() && testing_windows_binary()) after.erase(options.argv0 + ".exe");  // its copy
    for (const auto& [name, bytes] : after) {
        auto was = before.find(name);
        if (was == before.end() || was->second != bytes) o.files[name] = mask(bytes);
    }
    for (const auto& [name, bytes] : before)
        if (!after.count(name)) o.gone += name + "\n";
    return o;
}

void write_expected(const fs::path& expect, const Outcome& o) {
    fs::remove_all(expect);
    spill(expect / "exit", o.exit);
    spill(expect / "stdout", o.out);
    spill(expect / "stderr", o.err);
    if (!o.gone.empty()) spill(expect / "gone", o.gone);
    for (const auto& [name, bytes] : o.files) spill(expect / "files" / name, bytes);
}

void check_expected(const fs::path& expect, const Outcome& o) {
    EXPECT_EQ(o.exit, slurp(expect / "exit"));
    EXPECT_EQ(o.out, slurp(expect / "stdout"));
    EXPECT_EQ(o.err, slurp(expect / "stderr"));
    EXPECT_EQ(o.gone, slurp(expect / "gone"));
    const Files want = snapshot(expect / "files");
    for (const auto& [name, bytes] : want) {
        auto got = o.files.find(name);
        if (got == o.files.end()) ADD_FAILURE() << name << " was not made or changed";
        else EXPECT_EQ(got->second, bytes) << name;
    }
    for (const auto& [name, bytes] : o.files)
        if (!want.count(name)) ADD_FAILURE() << name << " was made or changed:\n" << bytes;
}

std::vector<std::string> scenario_names() {
    std::vector<std::string> names;
    if (!fs::is_directory(kScenarios)) return names;
    for (const auto& e : fs::directory_iterator(kScenarios))
        if (e.is_directory()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ScenarioE2E : public ::testing::TestWithParam<std::string> {};

TEST_P(ScenarioE2E, Runs) {
    const fs::path dir = kScenarios / GetParam();
    if (fs::exists(dir / "posix-only")) ZUNT_SKIP_UNDER_WINDOWS(slurp(dir / "posix-only"));
    const char* update = std::getenv("ZUNT_UPDATE_SCENARIOS");
    Sandbox box;
    const auto start = static_cast<std::uint32_t>(std::time(nullptr));
    for (int k = 1; fs::is_directory(dir / std::to_string(k)); ++k) {
        SCOPED_TRACE("run " + std::to_string(k));
        const fs::path step = dir / std::to_string(k);
        const Outcome o = run_step(box, step, start);
        if (update && *update) write_expected(step / "expect", o);
        else check_expected(step / "expect", o);
    }
}

INSTANTIATE_TEST_SUITE_P(Data, ScenarioE2E, ::testing::ValuesIn(scenario_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace zunt::e2e
