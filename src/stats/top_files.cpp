#include "stats/top_files.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "config/text_util.h"
#include "config/wildcard.h"
#include "platform/text_io.h"
#include "stats/stat_table.h"

namespace zunt {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr char kTopLeft = '\xC9', kTopRight = '\xBB', kLeftTee = '\xCC', kRightTee = '\xB9';
constexpr char kVertical = '\xBA', kBottomLeft = '\xC8', kBottomRight = '\xBC';
constexpr char kDouble = '\xCD', kSingle = '\xC4';
constexpr int kInner = 76;  // columns between the two borders

// AVATAR colour change: 0x16 0x01 opens the command, 0x10 sets the colour.
std::string colour(unsigned char c) {
    std::string s = "\x16\x01\x10";
    s.push_back(static_cast<char>(c));
    return s;
}
const std::string kFrame = colour(0x81), kTitle = colour(0x8E), kHeading = colour(0x8F);
const std::string kRank = colour(0x8A), kCount = colour(0x8D), kFooter = colour(0x87);

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

std::string rule(char left, char right) {
    std::string s = " ";
    s += left;
    s.append(kInner, kDouble);
    s += right;
    return s;
}

std::string blank_line() { return std::string(" ") + kVertical + sp(kInner) + kVertical; }

std::string title_text(const ControlSettings& settings) {
    return centre_text("The Top Files at " + settings.system_name.value_or("!Systemname not defined!"),
                       74);
}

std::string heading_words() { return "Rank" + sp(16) + "File" + sp(16) + "Downloads"; }

std::string heading_rules() {
    return std::string(4, kSingle) + sp(16) + std::string(4, kSingle) + sp(16) +
           std::string(9, kSingle);
}

std::size_t row_count(const std::vector<TopEntry>& sorted, const ControlSettings& settings) {
    std::size_t top = settings.top_count > 0 ? static_cast<std::size_t>(settings.top_count) : 0;
    return std::min(top, sorted.size());
}

// The name and extension of a stored path, upper case.
std::string report_name(std::string_view stored_path) {
    PathParts parts = split_path(stored_path);
    return upper_ascii(parts.name + parts.ext);
}

void add_line(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kEol);
}

}  // namespace

std::string centre_text(std::string_view text, std::size_t width) {
    if (text.size() >= width) return std::string(text);
    std::size_t left = (width - text.size()) / 2;
    std::string s(left, ' ');
    s.append(text);
    s.append(width - s.size(), ' ');
    return s;
}

TopFilesResult collect_top_files(Env& env, const ControlSettings& settings,
                                 std::vector<TopEntry>& entries) {
    try {
        entries.clear();
        std::string bytes;
        if (read_whole_file(env, settings.statistics_path.value_or(""), Share::exclusive, bytes) != 0)
            return TopFilesResult::cannot_open;
        StatTable table;
        if (decode_statistics(bytes, table) != StatReadResult::read) return TopFilesResult::incompatible;
        // A file stored under two spellings is one line of the bulletins.
        key_statistics(env, table);
        for (const auto& bucket : table.buckets) {
            for (const auto& e : bucket) {
                std::string name = report_name(e.name());
                if (is_excluded(settings.exclude_patterns, name)) continue;
                entries.push_back({std::move(name), std::min(e.count, kStatStoredCountMax)});
            }
        }
        return TopFilesResult::written;
    } catch (const std::bad_alloc&) {
        entries.clear();
        return TopFilesResult::memory;
    }
}

void sort_top_files(std::vector<TopEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TopEntry& a, const TopEntry& b) { return a.count > b.count; });
}

std::string format_text_bulletin(const std::vector<TopEntry>& sorted, const ControlSettings& settings) {
    const std::string bar(1, kVertical);
    std::string out;
    add_line(out, rule(kTopLeft, kTopRight));
    add_line(out, " " + bar + " " + title_text(settings) + " " + bar);
    add_line(out, rule(kLeftTee, kRightTee));
    add_line(out, blank_line());
    add_line(out, " " + bar + sp(11) + heading_words() + sp(16) + bar);
    add_line(out, " " + bar + sp(11) + heading_rules() + sp(16) + bar);
    add_line(out, blank_line());
    for (std::size_t k = 0; k < row_count(sorted, settings); ++k) {
        const TopEntry& e = sorted[k];
        add_line(out, " " + bar + sp(11) + strprintf("%3d.", static_cast<int>(k + 1)) + sp(16) +
                          strprintf("%-13s", e.name.c_str()) + sp(8) + strprintf("%5u", e.count) +
                          sp(19) + bar);
    }
    add_line(out, rule(kBottomLeft, kBottomRight));
    out.append(kEol);
    return out;
}

std::string format_board_bulletin(const std::vector<TopEntry>& sorted, const ControlSettings& settings) {
    const std::string bar(1, kVertical);
    std::string out;
    add_line(out, "\f" + kFrame + rule(kTopLeft, kTopRight));
    add_line(out, " " + bar + " " + kTitle + title_text(settings) + kFrame + " " + bar);
    add_line(out, rule(kLeftTee, kRightTee));
    add_line(out, blank_line());
    add_line(out, " " + bar + sp(10) + kHeading + " " + heading_words() + kFrame + sp(16) + bar);
    add_line(out, " " + bar + sp(10) + kHeading + " " + heading_rules() + kFrame + sp(16) + bar);
    add_line(out, blank_line());
    for (std::size_t k = 0; k < row_count(sorted, settings); ++k) {
        const TopEntry& e = sorted[k];
        add_line(out, " " + bar + sp(11) + kRank + strprintf("%3d.", static_cast<int>(k + 1)) + sp(15) +
                          kTitle + " " + strprintf("%-13s", e.name.c_str()) + sp(9) + kCount +
                          strprintf("%3u", e.count) + kFrame + sp(20) + bar);
    }
    add_line(out, rule(kLeftTee, kRightTee));
    add_line(out, " " + bar + kFooter + centre_text("Created by ZUNT 1.30", kInner) + kFrame + bar);
    add_line(out, rule(kBottomLeft, kBottomRight));
    out.append(kEol);
    return out;
}

TopFilesResult write_top_files_output(Env& env, const ControlSettings& settings,
                                      const std::vector<TopEntry>& sorted) {
    try {
        if (replace_file(env, settings.text_out_path.value_or(""), format_text_bulletin(sorted, settings)))
            return TopFilesResult::text_write_failed;
        if (replace_file(env, settings.bbs_out_path.value_or(""), format_board_bulletin(sorted, settings)))
            return TopFilesResult::board_write_failed;
    } catch (const std::bad_alloc&) {
        return TopFilesResult::memory;
    }
    return TopFilesResult::written;
}

TopFilesResult write_top_files(Env& env, const ControlSettings& settings,
                               const std::function<void(std::string_view)>& progress) {
    progress("Reading statistics...\n");
    std::vector<TopEntry> entries;
    TopFilesResult r = collect_top_files(env, settings, entries);
    if (r != TopFilesResult::written) return r;
    progress("Sorting downloads...\n");
    sort_top_files(entries);
    progress("Writing output files...\n");
    return write_top_files_output(env, settings, entries);
}

}  // namespace zunt
