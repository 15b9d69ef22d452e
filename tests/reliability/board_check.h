// What a run may leave behind on a board, whatever failed or however it was
// stopped: every list whole under its own name, every backup the older
// backup or a whole copy of the list, the statistics file whole, every scan
// position file old or new.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "logscan/scan_position.h"
#include "stats/stat_table.h"

namespace zunt::testing {

using Files = std::map<std::string, std::optional<std::string>>;  // nullopt: absent

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

inline bool whole_statistics(const std::string& bytes) {
    StatTable t;
    return decode_statistics(bytes, t) == StatReadResult::read && encode_statistics(t) == bytes;
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
            ok = bytes && whole_statistics(*bytes);
        } else if (name.ends_with(".znt")) {
            ok = bytes == before.at(name) ||
                 (new_files ? bytes == new_files->at(name) : bytes && decode_scan_position(*bytes).has_value());
        }
        if (!ok) found += " " + name + " is " + (bytes ? "[" + *bytes + "]" : "missing");
    }
    return found;
}

}  // namespace zunt::testing
