#include "logscan/log_stretch.h"


#include "config/text_util.h"
#include "logscan/text_finder.h"

namespace zunt {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kCtrlZText = "\x1a";

// Reads what `line` gives. No wanted text begins before `from`.
void read_line_takings(const LineRules& rules, std::string_view line, std::string& path,
                       Stretch& out, std::size_t from = 0) {
    if (rules.uploads) {
        if (line.find("U#=", from) != std::string::npos) out.take(Stretch::Kind::uploader, uploader_of(line));
        if (line.find("UL-", from) != std::string::npos) out.take(Stretch::Kind::upload, line);
    }
    LineDownload d = find_download(line, rules.tokens, path, from);
    if (d == LineDownload::listed) out.take(Stretch::Kind::download, path);
    if (d == LineDownload::counted) out.take(Stretch::Kind::counted, path);
}

// Where the line holding `at` begins.
std::size_t line_begin(std::string_view bytes, std::size_t at) {
    const std::size_t lf = find_last_before(bytes, at, '\n');
    return lf == kNone ? 0 : lf + 1;
}

// The line [begin, lf) as line by line reading gives it, its end (the CR
// before the LF with it) stripped. Only for a line shorter than a piece: a
// longer one is read in pieces.
std::string_view short_line(std::string_view bytes, std::size_t begin, std::size_t lf) {
    return strip_line_end(bytes.substr(begin, lf - begin));
}

bool is_short(std::size_t begin, std::size_t lf) { return lf - begin < kLogPieceChars; }

// Reads the long line [begin, lf] in pieces, as line by line reading does.
void read_in_pieces(std::string_view bytes, std::uint64_t offset, std::size_t begin,
                    std::size_t lf, const LineRules& rules, Stretch& s) {
    LineReader reader(bytes.substr(begin, lf + 1 - begin), offset + begin);
    read_stretch(reader, rules, s, kNone);
}

// Reads the whole line [begin, lf], its LF at `lf`, as line by line reading
// would; the first wanted text in it begins at `at`.
void read_whole_line(std::string_view bytes, std::uint64_t offset, std::size_t begin, std::size_t at,
                     std::size_t lf, const LineRules& rules, std::string& path, Stretch& s) {
    if (is_short(begin, lf)) {
        const std::string_view line = short_line(bytes, begin, lf);
        if (!line.empty()) read_line_takings(rules, line, path, s, at - begin);
        if (rules.sought && line == *rules.sought) s.take(Stretch::Kind::match, {});
        return;
    }
    read_in_pieces(bytes, offset, begin, lf, rules, s);
}

// Finds the last line of the first `whole` bytes that is not empty, going
// back from their end.
void find_last_line(std::string_view bytes, std::uint64_t offset, std::size_t whole,
                    const LineRules& rules, Stretch& s) {
    s.has_last = false;
    for (std::size_t end = whole; end > 0 && !s.has_last;) {
        const std::size_t lf = end - 1;
        const std::size_t begin = line_begin(bytes, lf);
        end = begin;
        if (!is_short(begin, lf)) {
            Stretch pieces;
            read_in_pieces(bytes, offset, begin, lf, rules, pieces);
            if (pieces.has_last) {
                s.has_last = true;
                s.last = std::move(pieces.last);
            }
            continue;
        }
        const std::string_view line = short_line(bytes, begin, lf);
        if (line.empty()) continue;
        s.has_last = true;
        s.last.offset = offset + begin;
        s.last.text.assign(line);
    }
}

// The texts a line must hold to give anything: the download tokens, the
// upload marks when uploads are looked for, and the line sought.
std::vector<std::string_view> wanted_texts(const LineRules& rules) {
    std::vector<std::string_view> texts;
    texts.assign(rules.tokens.begin(), rules.tokens.end());
    if (rules.uploads) {
        texts.push_back("U#=");
        texts.push_back("UL-");
    }
    if (rules.sought) texts.push_back(*rules.sought);
    return texts;
}

// Reads [from, end of bytes) line by line, as line by line reading reads it:
// for the line in which a Ctrl-Z ends the log, and for the unfinished line
// at the end, of which only the whole pieces of a long one are read.
void read_rest(std::string_view bytes, std::uint64_t offset, std::size_t from, const LineRules& rules,
               Stretch& s) {
    LineReader reader(bytes.substr(from), offset + from);
    read_stretch(reader, rules, s, kNone);
    s.ended = reader.offset() < offset + bytes.size();
}

// read_bytes for a line sought that is not empty: the wanted texts and the
// Ctrl-Z that ends a log are looked for all at once through the whole
// stretch, and only the lines that hold one are read.
void skim_bytes(std::string_view bytes, std::uint64_t offset, const LineRules& rules, Stretch& s) {
    const std::size_t last_lf = bytes.rfind('\n');
    const std::size_t whole = last_lf == kNone ? 0 : last_lf + 1;
    const std::string_view lines = bytes.substr(0, whole);
    std::vector<std::string_view> texts = wanted_texts(rules);
    texts.push_back(kCtrlZText);
    const TextSet wanted = text_set(texts);
    std::string path;
    for (std::size_t at = find_any(wanted, lines, 0); at != kNone;) {
        // No wanted text, so no Ctrl-Z either, stands before `at`; the
        // line ends where the first LF or Ctrl-Z after it stands.
        const std::size_t begin = line_begin(lines, at), lf = find_either(lines, at, '\n', kCtrlZText[0]);
        if (lines[lf] != '\n') {
            find_last_line(bytes, offset, begin, rules, s);
            read_rest(bytes, offset, begin, rules, s);
            return;
        }
        read_whole_line(lines, offset, begin, at, lf, rules, path, s);
        at = find_any(wanted, lines, lf + 1);
    }
    find_last_line(bytes, offset, whole, rules, s);
    if (whole < bytes.size()) read_rest(bytes, offset, whole, rules, s);
}

}  // namespace

bool read_stretch(LineReader& reader, const LineRules& rules, Stretch& out, std::size_t limit) {
    std::string scratch, path;
    std::string_view line;
    // The last line is kept as seen and copied once, at the end, unless it
    // was read into `scratch`, which the next line reuses.
    std::string_view last;
    bool last_seen = false;
    bool more = true;
    while (out.takings.size() < limit) {
        const std::uint64_t at = reader.offset();
        if (!read_complete_line(reader, line, scratch)) {
            more = false;
            break;
        }
        const bool match = rules.sought && line == *rules.sought;
        if (!line.empty()) read_line_takings(rules, line, path, out);
        if (match) out.take(Stretch::Kind::match, {});
        if (match || !line.empty()) {
            out.has_last = true;
            out.last.offset = at;
            last = line;
            last_seen = line.data() != scratch.data();
            if (!last_seen) out.last.text.assign(line);
        }
    }
    if (last_seen) out.last.text.assign(last);
    return more;
}

void read_lines_of(std::string_view bytes, std::uint64_t offset, const LineRules& rules, Stretch& s) {
    s.clear();
    LineReader reader(bytes, offset);
    read_stretch(reader, rules, s, kNone);
    s.ended = reader.offset() < offset + bytes.size();
}

void read_bytes(std::string_view bytes, std::uint64_t offset, const LineRules& rules, Stretch& s) {
    // Every empty line equals an empty line sought.
    if (rules.sought && rules.sought->empty()) {
        read_lines_of(bytes, offset, rules, s);
        return;
    }
    s.clear();
    skim_bytes(bytes, offset, rules, s);
}

}  // namespace zunt
