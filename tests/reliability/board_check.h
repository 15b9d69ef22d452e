// What a run may leave behind on a board, whatever failed or however it was
// stopped: every list whole under its own name, every backup the older
// backup or a whole copy of the list, the statistics file whole, every scan
// position file old or new. And a small board to run on.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "logscan/scan_position.h"
#include "run/driver.h"
#include "stats/stat_table.h"

namespace zunt::testing {

using Files = std::map<std::string, std::optional<std::string>>;  // nullopt: absent

inline std::string download(const std::string& path, const char* how = "DL-Z") {
    return "* 16 Dec 04:59:11 MAX  " + std::string(how) + " " + path + "\r\n";
}
inline std::string sent(const std::string& path) {
    return "+ 16 Dec 06:10:05 [4242] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}
// The statistics file with every entry's time of change set to 0, so that
// runs in different seconds compare equal; one that does not decode stays.
inline std::string without_times(const std::string& bytes) {
    StatTable table;
    if (decode_statistics(bytes, table) != StatReadResult::read) return bytes;
    for (auto& bucket : table.buckets)
        for (StatEntry& e : bucket) e.time = 0;
    std::string out = encode_statistics(table);
    return out.size() == bytes.size() ? out : bytes;
}

inline std::string one_entry_statistics(const std::string& name) {
    StatTable stats;
    update_stat_entry(stats, name, name, StatUpdate::set, 4, 1000);
    return without_times(encode_statistics(stats));
}

// The files a run may change, as the board starts (tests/fixtures/small-board:
// max.log was read up to its first two lines by an earlier run), and those
// it may make.
inline Files small_board() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(ZUNT_FIXTURES_DIR) / "small-board";
    Files files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files[e.path().lexically_relative(dir).generic_string()] = e2e::slurp(e.path().string());
    for (const char* made : {"files/games/files.bak", "files/docs/files.bak", "binkd.znt", "uploads.log", "zunt.jnl"})
        files[made] = std::nullopt;
    return files;
}

inline void lay_out(const e2e::Sandbox& box, const Files& files) {
    for (const auto& [name, bytes] : files) {
        std::filesystem::remove(box.path(name));
        std::filesystem::remove(box.path(name + ".~zt"));
        if (bytes) box.write(name, *bytes);
    }
    for (const char* f : {"zunt.log", "uploads.log", "zunt.jnl"}) std::filesystem::remove(box.path(f));
}

inline Files snapshot(const e2e::Sandbox& box, const Files& like) {
    Files now;
    for (const auto& [name, bytes] : like) now[name] = box.exists(name) ? std::optional(box.read(name)) : std::nullopt;
    return now;
}

// Runs zunt in this process, through `env`, with the sandbox as the current
// directory.
inline int run_in(const e2e::Sandbox& box, Env& env, std::vector<std::string> args) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(box.dir());
    args.insert(args.begin(), "zunt");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    const int code = run_zunt(env, static_cast<int>(argv.size()), argv.data());
    std::filesystem::current_path(cwd);
    return code;
}

// The first word of every line: a list rewritten whole keeps them all, in
// their order, whatever its counters say.
inline std::vector<std::string> name_words(const std::string& bytes) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) return {"(no line end)"};
        words.push_back(bytes.substr(at, bytes.find_first_of(" \r", at) - at));
        at = end + 2;
    }
    return words;
}

// The damaged files' names; a scan position file must be the old one or,
// given `new_files`, the new one (else any that decodes).
inline std::string damage(const Files& before, const Files& now, const Files* new_files = nullptr) {
    std::string found;
    for (const auto& [name, bytes] : now) {
        bool ok = true;
        if (name.ends_with(".bbs")) {
            ok = bytes && name_words(*bytes) == name_words(*before.at(name));
        } else if (name.ends_with(".bak")) {
            const std::string list = name.substr(0, name.size() - 4) + ".bbs";
            ok = bytes == before.at(name) || (bytes && name_words(*bytes) == name_words(*before.at(list)));
        } else if (name == "zunt.sta") {
            StatTable t;
            ok = bytes && decode_statistics(*bytes, t) == StatReadResult::read && encode_statistics(t) == *bytes;
        } else if (name.ends_with(".znt")) {
            ok = bytes == before.at(name) ||
                 (new_files ? bytes == new_files->at(name) : bytes && decode_scan_position(*bytes).has_value());
        }
        if (!ok) found += " " + name + " is " + (bytes ? "[" + *bytes + "]" : "missing");
    }
    return found;
}

// Lists, statistics, the upload log and (with `backups`) the backups that
// differ from `want`, leaving out what the run's console said it lost: a
// list or statistics file that could not be written loses counts by design
// (its logs' positions still move on), and upload lines that could not be
// written are given up.
inline std::string differences(const Files& want, const Files& got, const std::string& console, bool backups) {
    const bool list_lost = console.find("skipped!") != std::string::npos;
    const bool stats_lost = list_lost || console.find("Error writing statistics") != std::string::npos;
    const bool uploads_lost = console.find("Error writing upload log") != std::string::npos;
    auto timeless = [](const std::optional<std::string>& f) { return f ? std::optional(without_times(*f)) : f; };
    std::string found;
    for (const auto& [name, bytes] : got)
        if (((name.ends_with(".bbs") && !list_lost) || (name == "zunt.sta" && !stats_lost) ||
             (name == "uploads.log" && !uploads_lost) || (backups && name.ends_with(".bak"))) &&
            timeless(bytes) != timeless(want.at(name)))
            found += " " + name;
    return found;
}

}  // namespace zunt::testing
