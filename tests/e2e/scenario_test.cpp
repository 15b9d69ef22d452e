// End-to-end scenarios kept as data, one folder each under tests/scenarios/
// (the format is in doc/testing.md). ZUNT_UPDATE_SCENARIOS=1 rewrites every
// run's expect/ folder from what the program does now (make scenarios).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative path: bytes

const fs::path kScenarios = fs::path(ZUNT_SOURCE_DIR) / "tests" / "scenarios";

std::string slurp(const fs::path& p) {
    std::stringstream ss;
    ss << std::ifstream(p, std::ios::binary).rdbuf();
    return ss.str();
}

void spill(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

Files snapshot(const fs::path& root) {
    Files files;
    if (fs::is_directory(root))
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (fs::is_regular_file(e.path())) files[e.path().lexically_relative(root).generic_string()] = slurp(e.path());
    return files;
}

void replace_all(std::string& s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// The lines of a step's file, "@BOX@" standing for the sandbox.
std::vector<std::string> lines_of(const fs::path& p, const std::string& box) {
    std::vector<std::string> lines;
    std::istringstream in(slurp(p));
    for (std::string line; std::getline(in, line);) {
        replace_all(line, "@BOX@", box);
        lines.push_back(line);
    }
    return lines;
}

// "X 16 Dec 04:59:11 " at a line start becomes "X ", and " (123 files/s)"
// before a line end goes.
const std::regex kLogTime("(^|\n)(.) [ 0-9][0-9] [A-Za-z].. [0-9]{2}:[0-9]{2}:[0-9]{2} ");
const std::regex kRate(" \\([0-9]+ files/s\\)\r");

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
    int b = 0;
    for (; b < 101 && at + 2 <= s.size(); ++b) {
        const std::uint32_t n = le(at, 2);
        for (std::uint32_t i = 0; i < n; ++i) times.push_back(at + 2 + 86 * i + 82);
        at += 2 + 86 * std::size_t{n};
    }
    if (b != 101 || at != s.size()) return;
    for (std::size_t t : times)
        if (le(t, 4) >= from && le(t, 4) <= to) s.replace(t, 4, "\xFF\xFF\xFF\xFF");
}

struct Outcome {
    std::string exit, out, err, gone;
    Files files;
};

// Links, read-only files and file dates that a folder of bytes cannot hold.
void set_up_file_system(const Sandbox& box, const fs::path& step) {
    for (const std::string& line : lines_of(step / "links", box.dir())) {
        const std::string link = line.substr(0, line.find(' ')), target = line.substr(line.find(' ') + 1);
        fs::create_directories(fs::path(box.path(link)).parent_path());
        fs::remove(box.path(link));
        fs::create_symlink(box.path(target), box.path(link));
    }
    for (const std::string& name : lines_of(step / "read-only", box.dir()))
        fs::permissions(box.path(name), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    for (const std::string& line : lines_of(step / "days-old", box.dir()))
        fs::last_write_time(box.path(line.substr(line.find(' ') + 1)),
                            fs::file_time_type::clock::now() - std::chrono::hours(24 * std::stoi(line)));
}

Outcome run_step(const Sandbox& box, const fs::path& step, std::uint32_t from) {
    for (const auto& [name, bytes] : snapshot(step / "in")) box.write(name, bytes);
    set_up_file_system(box, step);
    const Files before = snapshot(box.dir());
    EnvVars env;
    for (const std::string& line : lines_of(step / "env", box.dir()))
        env.emplace_back(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
    RunOptions options;
    if (fs::exists(step / "argv0")) options.argv0 = lines_of(step / "argv0", "").at(0);
    options.one_stream = fs::exists(step / "one-stream");
    options.terminal = fs::exists(step / "terminal");
    const RunResult r = box.run(lines_of(step / "args", box.dir()), env, options);
    const auto to = static_cast<std::uint32_t>(std::time(nullptr));
    auto mask = [&](std::string s) {
        replace_all(s, box.dir(), "@BOX@");
        s = std::regex_replace(std::regex_replace(s, kLogTime, "$1$2 "), kRate, "\r");
        mask_stat_times(s, from, to);
        return s;
    };
    Outcome o{std::to_string(r.exit_code) + "\n", mask(r.out), mask(r.err), "", {}};
    Files after = snapshot(box.dir());
    if (!options.argv0.empty() && testing_windows_binary()) after.erase(options.argv0 + ".exe");  // its copy
    for (const auto& [name, bytes] : after)
        if (!before.count(name) || before.at(name) != bytes) o.files[name] = mask(bytes);
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
    Files all = snapshot(expect / "files");
    const Files want = all;
    all.insert(o.files.begin(), o.files.end());
    auto in = [](const Files& f, const std::string& name) { return f.count(name) ? f.at(name) : "(not made or changed)"; };
    for (const auto& [name, bytes] : all) EXPECT_EQ(in(o.files, name), in(want, name)) << name;
}

std::vector<std::string> scenario_names() {
    std::vector<std::string> names;
    if (fs::is_directory(kScenarios))
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
