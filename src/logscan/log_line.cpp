#include "logscan/log_line.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "logscan/text_finder.h"

namespace zunt {

namespace {

// Where the board log's message text begins, and the upload line's fields.
constexpr std::size_t kMessageColumn = 23;
constexpr std::size_t kDateColumn = 2;
constexpr std::size_t kDateLength = 15;
constexpr std::size_t kUploadFileColumn = 28;

// Names and extension fragments that mailers report for their own traffic
// (mail bundles, requests, status words) rather than for files of the board.
constexpr std::string_view kExcludedNames[] = {"xeniaqut", "transmitting", "too",     "they",
                                               "resending", "timeout",     "skipping", "end"};
constexpr std::string_view kExcludedExtensions[] = {".out", ".cut", ".dut", ".hut", ".iut", ".rsp",
                                                    ".rpt", ".req", ".su",  ".mo",  ".tu",  ".we",
                                                    ".th",  ".fr",  ".sa",  ".pkt", ".qw",  ".zic"};

// The text of `line` from `from` to `to`, clipped to the line.
std::string_view clip(std::string_view line, std::size_t from, std::size_t to) {
    if (from >= line.size()) return {};
    if (to > line.size()) to = line.size();
    return line.substr(from, to - from);
}

// Where the word starting at `start` ends: at the first blank or LF, or at
// the end of the line.
std::size_t word_end(std::string_view line, std::size_t start) {
    return std::min(find_either(line, start, ' ', '\n'), line.size());
}

// What a download's file is: `path` gets its path lower-cased; the file's name
// and extension (with its dot) are views into `path`.
struct FileParts {
    std::string_view name, ext;
};

// The path word of a token found at `token_pos`: the word after the first
// blank at or after the token's last character. Searching from the token's
// own place (not from the board log's message column) keeps mailer lines
// whose token stands further right, such as binkd's, working. False when
// there is no such word. The word is lower-cased into `path` while the
// start of its name (after the last separator, past a drive) and its last
// dot are noted, in one pass.
bool take_path_word(std::string_view line, std::size_t token_pos, std::size_t token_len,
                    std::string& path, FileParts& parts) {
    const std::size_t blank = line.find(' ', token_pos + token_len - 1);
    if (blank == std::string_view::npos) return false;
    const std::size_t start = blank + 1, n = word_end(line, start) - start;
    if (n == 0) return false;
    // The path is worked on sixteen bytes at a time, in a string long
    // enough for whole runs of sixteen; its length is set right after.
    path.resize((n + 15) / 16 * 16);
    char* out = path.data();
    std::memcpy(out, line.data() + start, n);
    const std::size_t root = n >= 2 && out[1] == ':' ? 2 : 0;
    std::size_t name = root, dot = n;
    const Bytes16 upper_a = sixteen_of('A'), letters = sixteen_of(26), to_lower = sixteen_of('a' - 'A');
    const Bytes16 backslash = sixteen_of('\\'), slash = sixteen_of('/'), period = sixteen_of('.');
    for (std::size_t i = 0; i < n; i += 16) {
        Bytes16 v;
        std::memcpy(&v, out + i, 16);
        v += to_lower & reinterpret_cast<Bytes16>((v - upper_a) < letters);
        std::memcpy(out + i, &v, 16);
        // The run's last separator past the drive, and its last dot, of
        // the bytes of the path.
        const std::uint32_t in_path = n - i >= 16 ? 0xFFFFu : (1u << (n - i)) - 1u;
        const std::uint32_t past_drive = i == 0 ? ~((1u << root) - 1u) : ~0u;
        const std::uint32_t seps = marks_of((v == backslash) | (v == slash)) & in_path & past_drive;
        const std::uint32_t dots = marks_of(v == period) & in_path;
        if (seps != 0) name = i + 32 - static_cast<std::size_t>(__builtin_clz(seps));
        if (dots != 0) dot = i + 31 - static_cast<std::size_t>(__builtin_clz(dots));
    }
    path.resize(n);
    const std::string_view p = path;
    if (dot < name) dot = n;
    parts = {p.substr(name, dot - name), p.substr(dot)};
    return true;
}

}  // namespace

std::size_t find_token_from(std::string_view text, std::string_view token, std::size_t from) {
    const std::size_t n = token.size();
    if (from > text.size() || text.size() - from < n) return std::string_view::npos;
    if (n == 0) return from;
    const std::size_t k = n - 1;
    const std::size_t places = text.size() - k;  // a match begins before this
    const char* p = text.data();
    const Bytes16 first = sixteen_of(token[0]), last = sixteen_of(token[k]);
    // The first match among the sixteen places from `i`, or npos.
    const auto sixteen_from = [&](std::size_t i) {
        Bytes16 a, b;
        std::memcpy(&a, p + i, 16);
        std::memcpy(&b, p + i + k, 16);
        const auto hits = (a == first) & (b == last);
        std::uint64_t half[2];
        std::memcpy(half, &hits, 16);
        if ((half[0] | half[1]) != 0)
            for (std::size_t j = 0; j < 16; ++j)
                if (hits[j] && std::memcmp(p + i + j, token.data(), n) == 0) return i + j;
        return std::string_view::npos;
    };
    std::size_t i = from;
    for (; i + 16 <= places; i += 16)
        if (const std::size_t at = sixteen_from(i); at != std::string_view::npos) return at;
    // The places left are the last sixteen's end, looked at again from
    // further back where the text is long enough: the places before `i`
    // hold no match, so the first match there is the first after `i`.
    if (i < places && places - from >= 16) return sixteen_from(places - 16);
    for (; i < places; ++i)
        if (p[i] == token[0] && std::memcmp(p + i, token.data(), n) == 0) return i;
    return std::string_view::npos;
}

std::vector<std::string> download_tokens(const std::vector<std::string>& mailer_strings) {
    std::vector<std::string> tokens;
    for (const std::string& t : mailer_strings)
        if (!t.empty()) tokens.push_back(t);
    if (tokens.empty() || tokens.back() != "DL-") tokens.push_back("DL-");
    return tokens;
}

bool is_excluded_file(std::string_view name, std::string_view ext) {
    // This runs for every download of a log: names are looked at only when
    // one of their length is excluded, extensions only among those with the
    // same letter after the dot (at most three).
    static constexpr std::uint64_t kNameLengths = [] {
        std::uint64_t m = 0;
        for (std::string_view n : kExcludedNames) m |= std::uint64_t{1} << n.size();
        return m;
    }();
    using Bucket = std::array<std::string_view, 3>;
    static constexpr std::array<Bucket, 26> kByLetter = [] {
        std::array<Bucket, 26> by{};
        for (std::string_view e : kExcludedExtensions)
            *std::find(by[e[1] - 'a'].begin(), by[e[1] - 'a'].end(), std::string_view()) = e;
        return by;
    }();
    if (name.size() < 64 && (kNameLengths >> name.size() & 1) != 0)
        for (std::string_view n : kExcludedNames)
            if (name == n) return true;
    // Every excluded extension begins with its dot.
    for (std::size_t dot = 0; dot + 1 < ext.size(); ++dot) {
        const char letter = ext[dot + 1];
        if (ext[dot] != '.' || letter < 'a' || letter > 'z') continue;
        const std::string_view rest = ext.substr(dot);
        for (std::string_view e : kByLetter[static_cast<std::size_t>(letter - 'a')]) {
            if (e.empty() || rest.size() < e.size()) continue;
            std::size_t same = 2;  // the dot and the letter
            while (same < e.size() && rest[same] == e[same]) ++same;
            if (same == e.size()) return true;
        }
    }
    return false;
}

LineDownload find_download(std::string_view line, const std::vector<std::string>& tokens,
                           std::string& path, std::size_t from) {
    for (const std::string& token : tokens) {
        const std::size_t pos = find_token_from(line, token, from);
        if (pos == std::string_view::npos) continue;
        // Only the first token found counts, whatever its file turns out to be.
        FileParts file;
        if (!take_path_word(line, pos, token.size(), path, file)) return LineDownload::none;
        if (is_excluded_file(file.name, file.ext)) return LineDownload::excluded;
        return file.ext == ".tic" ? LineDownload::listed : LineDownload::counted;
    }
    return LineDownload::none;
}

std::string uploader_of(std::string_view line) {
    std::size_t end = line.size();
    std::size_t first = line.find(' ', kMessageColumn);
    if (first != std::string_view::npos) {
        std::size_t second = line.find(' ', first + 1);
        if (second != std::string_view::npos) end = second;
    }
    return std::string(clip(line, kMessageColumn, end));
}

std::string upload_entry(std::string_view line, std::string_view uploader) {
    std::string entry(clip(line, kDateColumn, kDateColumn + kDateLength));
    entry += " UL: ";
    entry += clip(line, kUploadFileColumn, line.size());
    entry += " (by ";
    entry += uploader;
    entry += ")";
    return entry;
}

}  // namespace zunt
