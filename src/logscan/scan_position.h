// The scan position file (".znt") beside each log: where the last line read
// begins and what it said, so that each run reads only what the log gained.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/text_io.h"
#include "config/activity_log.h"

namespace zunt {

// Stands for "no line remembered"; no log line is expected to equal it.
inline constexpr std::string_view kNoLineSentinel = "CaNnOtbEmAtChEd!";

// Logs are read in pieces of at most this many characters, and a remembered
// line is never longer.
inline constexpr std::size_t kLogPieceChars = 511;

struct ScanPosition {
    std::uint64_t offset = 0;                 // where the remembered line begins
    std::string text{kNoLineSentinel};        // the line after strip_line_end
    bool operator==(const ScanPosition&) const = default;
};

// The file's bytes for a position, and back. Decoding gives nothing for a
// file that is shorter than its fields say or remembers an over-long line.
std::string encode_scan_position(const ScanPosition& pos);
std::optional<ScanPosition> decode_scan_position(std::string_view bytes);

// Reads the file (opened exclusively); nothing when it is missing or
// damaged: the log is then searched from its start. A file that exists but
// cannot be read (an I/O error, a lock held by someone else) gives nothing
// too, with its error number in `error`: searching the log from its start
// would count again what the file says was counted, so the caller must
// leave the log for a later run instead. `error` is 0 otherwise.
std::optional<ScanPosition> load_scan_position(Env& env, const std::string& path, Errno& error);

// Replaces the file atomically; 0 or the error number.
Errno save_scan_position(Env& env, const std::string& path, const ScanPosition& pos);

// A log whose own extension is ".znt" would be overwritten by its position file.
bool has_position_file_extension(const std::string& log_path);

// The position file of `log_path` among the logs of `log_list`: the log's
// path with ".znt" as extension; when an earlier, different log of the list
// already uses that name, the log's whole path plus ".znt".
std::string scan_position_path(const std::vector<std::string>& log_list,
                               const std::string& log_path);

// Reads the next whole line of a log (a piece of at most kLogPieceChars) and
// strips its end. False at the end of the log, and for a last line that has
// no line end yet: its writer is still at it, and the next run reads it whole.
bool read_complete_line(LineReader& log, std::string& line);
// The same, seen where it stands when the log is read from memory (see
// LineReader::read_line); `scratch` holds it otherwise.
bool read_complete_line(LineReader& log, std::string_view& line, std::string& scratch);

enum class ScanStartKind {
    exact_match,  // the remembered line is where it was: read on after it
    from_start,   // the whole log is read
};

struct ScanStart {
    ScanStartKind kind = ScanStartKind::from_start;
    std::uint64_t read_from = 0;  // where reading begins
    ScanPosition last;            // what to save when no further line is read
};

// Looks for the remembered line where it was. Writes the exact-match and
// mismatch lines to the activity log. Gives exact_match (read on after it)
// or from_start with `last` = {0, the text to look for in the whole log}:
// the caller then reads the log from its start, and what it took up to and
// including the last line equal to that text does not count.
ScanStart check_remembered_line(ActivityLog& log, LineReader& reader, std::uint64_t log_size,
                                const std::optional<ScanPosition>& remembered);

}  // namespace zunt
