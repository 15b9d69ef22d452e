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
#include "stats/stat_table.h"

namespace zunt::e2e {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // relative path: bytes

const fs::path kScenarios = fs::path(ZUNT_SOURCE_DIR) / "tests" / "scenarios";

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

// A statistics file stored as it decodes: the times within [from, to]
// become FF FF FF FF.
void mask_stat_times(std::string& s, std::uint32_t from, std::uint32_t to) {
    StatTable t;
    if (decode_statistics(s, t) != StatReadResult::read || encode_statistics(t) != s) return;
    for (auto& bucket : t.buckets)
        for (StatEntry& e : bucket)
            if (e.time >= from && e.time <= to) e.time = 0xFFFFFFFF;
    s = encode_statistics(t);
}

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

// What a run did, as its expect/ folder holds it: exit, stdout, stderr,
// gone (when something went) and files/...
Files run_step(const Sandbox& box, const fs::path& step, std::uint32_t from) {
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
    Files o{{"exit", std::to_string(r.exit_code) + "\n"}, {"stdout", mask(r.out)}, {"stderr", mask(r.err)}};
    Files after = snapshot(box.dir());
    if (!options.argv0.empty() && testing_windows_binary()) after.erase(options.argv0 + ".exe");  // its copy
    for (const auto& [name, bytes] : after)
        if (!before.count(name) || before.at(name) != bytes) o["files/" + name] = mask(bytes);
    for (const auto& [name, bytes] : before)
        if (!after.count(name)) o["gone"] += name + "\n";
    return o;
}

void check_or_update(const fs::path& expect, const Files& got, bool update) {
    if (update) fs::remove_all(expect);
    Files all = snapshot(expect);
    const Files want = all;
    all.insert(got.begin(), got.end());
    auto in = [](const Files& f, const std::string& name) { return f.count(name) ? f.at(name) : "(none)"; };
    for (const auto& [name, bytes] : all)
        if (update) spill(expect / name, bytes);
        else EXPECT_EQ(in(got, name), in(want, name)) << name;
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
        check_or_update(step / "expect", run_step(box, step, start), update && *update);
    }
}

INSTANTIATE_TEST_SUITE_P(Data, ScenarioE2E, ::testing::ValuesIn(scenario_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace zunt::e2e
