// Scan position file layout (binary, little-endian, no header, no padding):
//
//   offset  size  field
//   0       4     unsigned byte offset in the log at which the remembered line begins
//   4       4     unsigned length N of the remembered text
//   8       N     the remembered line after strip_line_end, without a terminator
//
// A file whose N exceeds what a line can hold (511 characters), or that is
// shorter than 8 + N bytes, is taken as missing. Bytes after the text are
// ignored.
#include "logscan/scan_position.h"

#include <cerrno>

#include "config/text_util.h"

namespace zunt {

namespace {

constexpr std::size_t kHeaderSize = 8;

std::uint32_t get_u32(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

void put_u32(std::string& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string specified_position_path(const std::string& log_path) {
    PathParts p = split_path(log_path);
    return p.drive + p.dir + p.name + ".znt";
}

}  // namespace

std::string encode_scan_position(const ScanPosition& pos) {
    std::string b;
    b.reserve(kHeaderSize + pos.text.size());
    // Offsets of logs over 4 GB cannot be kept; the mismatch search then
    // finds the line again.
    put_u32(b, static_cast<std::uint32_t>(pos.offset));
    put_u32(b, static_cast<std::uint32_t>(pos.text.size()));
    b += pos.text;
    return b;
}

std::optional<ScanPosition> decode_scan_position(std::string_view bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    std::uint32_t length = get_u32(bytes, 4);
    if (length > kLogPieceChars || bytes.size() - kHeaderSize < length) return std::nullopt;
    ScanPosition pos;
    pos.offset = get_u32(bytes, 0);
    pos.text.assign(bytes.substr(kHeaderSize, length));
    return pos;
}

std::optional<ScanPosition> load_scan_position(Env& env, const std::string& path, Errno& error) {
    std::string bytes;
    error = read_whole_file(env, path, Share::exclusive, bytes);
    // No file, or a directory in its place: nothing was remembered there.
    if (error == ENOENT || error == EISDIR) error = 0;
    if (error != 0) return std::nullopt;
    return decode_scan_position(bytes);
}

Errno save_scan_position(Env& env, const std::string& path, const ScanPosition& pos) {
    return replace_file(env, path, encode_scan_position(pos));
}

bool has_position_file_extension(const std::string& log_path) {
    return lower_ascii(split_path(log_path).ext) == ".znt";
}

std::string scan_position_path(const std::vector<std::string>& log_list,
                               const std::string& log_path) {
    // Names are handed out in list order, so a log keeps its name whatever
    // happens to the others in a run. Names compare ignoring case, as on the
    // board. A name is in use when an earlier log has it, or when it is one
    // of the logs itself (a log named "*.znt" is never read, but never
    // overwritten). `taken` pairs each log with its position file.
    std::vector<std::pair<std::string, std::string>> taken;
    auto name_for = [&taken, &log_list](const std::string& log) {
        const std::string key = lower_ascii(log);
        for (const auto& t : taken)
            if (lower_ascii(t.first) == key) return t.second;
        auto in_use = [&taken, &log_list](const std::string& cand) {
            const std::string c = lower_ascii(cand);
            for (const auto& t : taken)
                if (lower_ascii(t.second) == c) return true;
            for (const std::string& l : log_list)
                if (lower_ascii(l) == c) return true;
            return false;
        };
        std::string cand = specified_position_path(log);
        if (in_use(cand)) cand = log + ".znt";
        while (in_use(cand)) cand += ".znt";
        taken.emplace_back(log, cand);
        return cand;
    };
    const std::string wanted = lower_ascii(log_path);
    for (const std::string& log : log_list) {
        std::string name = name_for(log);
        if (lower_ascii(log) == wanted) return name;
    }
    return name_for(log_path);
}

bool read_complete_line(LineReader& log, std::string& line) {
    bool complete = false;
    if (!log.read_line(line, kLogPieceChars, &complete) || !complete) return false;
    strip_line_end(line);
    return true;
}

bool read_complete_line(LineReader& log, std::string_view& line, std::string& scratch) {
    bool complete = false;
    if (!log.read_line(line, scratch, kLogPieceChars, &complete) || !complete) return false;
    line = strip_line_end(line);
    return true;
}

ScanStart check_remembered_line(ActivityLog& log, LineReader& reader, std::uint64_t log_size,
                                const std::optional<ScanPosition>& remembered) {
    ScanStart start;
    if (remembered) start.last = *remembered;
    if (remembered && remembered->offset <= log_size) {
        reader.seek(remembered->offset);
        std::string line;
        if (read_complete_line(reader, line) && line == remembered->text) {
            log.write(kDetail, "ZUNT Exact match - no log scan necessary");
            start.kind = ScanStartKind::exact_match;
            start.read_from = reader.offset();
            return start;
        }
        log.write(kDetail, "ZUNT Log position mismatch - scanning from start");
    }
    start.last.offset = 0;
    return start;
}

}  // namespace zunt
