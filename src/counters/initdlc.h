// initdlc: the initialization run's work on the board's lists. Every file
// line of every area's FILES.BBS gets a counter field in the configured
// style at the configured column, keeping the count it already carries;
// runs of file lines can be sorted by name or by file date; the counts found
// are set into the statistics.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "areas/area_config.h"
#include "config/settings.h"
#include "counters/counter_field.h"
#include "list/download_list.h"
#include "platform/env.h"
#include "platform/transaction.h"
#include "config/activity_log.h"
#include "stats/stat_table.h"

namespace zunt {

// The values are the codes the run reports.
enum class InitResult {
    rewritten = 0,
    rename_failed = 3,  // the list could not be taken (missing, locked)
    read_failed = 4,    // the list could not be read
    create_failed = 5,  // the new list could not be written
};

struct InitOptions {
    CounterFormat format;
    bool kill_hard_space = false;
    int max_desc_len = 0;  // 0: lines are never cut
    int sort_by = 0;       // 1 name, 2 date, else file order
    int sort_order = 1;    // 1 ascending, 2 descending
};

InitOptions init_options_from(const ControlSettings& settings);

enum class LineKind {
    file,          // gets a counter
    continuation,  // blank or "+" first: belongs to the file line before it
    separator,     // empty or blanks only, "-" comment, or a board directive
                   // (control character other than tab first): stays in place
                   // and ends a block
};

// The kind of a line as read (after hard spaces were replaced).
LineKind classify_line(std::string_view line);

// Strips the line's end, then gives it a new field holding 0, or rewrites its
// field (any closing bracket ends it) aligned at the tabulate column; cut to
// max_desc_len when that is set (but never inside its field). The new line is appended to `out`; returns
// the count of the field the line already had (0 if none).
long long append_rebuilt_line(std::string_view line, const InitOptions& options, std::string& out);

// The name word of a file line: up to its first blank.
std::string_view name_word_of(std::string_view line);

// The date sort key of a file: its packed DOS date and time words, five
// digits each, so that keys compare as text in date order.
std::string format_date_key(std::uint16_t dos_date, std::uint16_t dos_time);
inline constexpr const char* kMissingFileDateKey = "0000000000";

// Looks up what the rebuild needs from outside: the count found in a line
// (only called for counts other than 0), and a file's date key. Both get the
// line's name word.
struct InitHooks {
    std::function<void(std::string_view name_word, long long count)> record_count;
    std::function<std::string(std::string_view name_word)> date_key;
};

// A run of file lines, each with the continuation lines that follow it.
struct FileBlock {
    struct Entry {
        std::size_t text_pos = 0, text_len = 0;  // the rebuilt line, in `text`
        std::size_t key_pos = 0, key_len = 0;    // the sort key, in `text`
        std::size_t line = 0;           // index of the file line among the list's lines
        std::size_t continuations = 0;  // how many lines after it belong to it
    };
    // An entry as the sort moves it: its key's first eight bytes (big-endian,
    // zero-padded), which order most entries alone, and its place in `entries`.
    struct SortItem {
        std::uint64_t key_head;
        std::size_t entry;
    };
    std::vector<Entry> entries;  // in reading order
    std::string text;            // the block's rebuilt lines and date keys
    std::vector<SortItem> order;  // the entries sorted
};

// Working storage of the rebuild, kept from one list to the next so that a
// run over many lists allocates it once.
struct RebuildBuffers {
    std::vector<std::string_view> lines;
    FileBlock block;
};

// Appends the block's lines, each with CR LF, to `out`, sorted as the options
// ask, each file line followed by its continuation lines (taken from
// `lines`); the block is empty afterwards.
void flush_file_block(FileBlock& block, const std::vector<std::string_view>& lines,
                      std::string& out, const InitOptions& options, const InitHooks& hooks);

// The whole list rebuilt: `bytes` the list as read (its hard spaces are
// replaced in place when the options ask), the new list's bytes appended to
// `out`.
void rebuild_list_bytes(std::string& bytes, const InitOptions& options, const InitHooks& hooks,
                        RebuildBuffers& buffers, std::string& out);

// Everything the initialization of one list works with.
struct InitContext {
    Env& env;
    Transaction& changes;  // every new list goes in here
    const ControlSettings& settings;
    ActivityLog& log;
    StatTable& stats;  // counts are set here when a statistics file is configured
    // The list read and the list written, with the rebuild's storage: kept
    // from one list to the next.
    std::string old_bytes = {};
    std::string new_bytes = {};
    RebuildBuffers buffers = {};
    std::string stat_name = {};  // the statistics name being looked up
    // The counts a list gave, set in the statistics once its new copy is
    // in place: a list that could not be rewritten gives none. The names
    // stand one after the other in `found_names`.
    struct FoundCount {
        std::size_t name_end;
        long long count;
    };
    std::string found_names = {};
    std::vector<FoundCount> found_counts = {};
};

// Puts the new content of one FILES.BBS (read held exclusively) into the
// transaction; the previous list becomes its ".bak".
InitResult init_files_bbs(InitContext& ctx, const std::string& list_path,
                          const std::string& download_dir);

// The FILES.BBS of an area: its own list path, or "files.bbs" in the
// download directory.
std::string area_list_path(const DownloadRecord& area);

// Initializes every area of the area configuration in its order, with a
// console and a log line per area and per skipped list. `areas_done` counts
// every area visited, skipped ones included. Returns the loader's result.
AreaResult init_all_areas(InitContext& ctx, long& areas_done);

}  // namespace zunt
