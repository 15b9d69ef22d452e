#include "counters/files_bbs_update.h"

#include <algorithm>
#include <array>

#include "config/text_util.h"
#include "counters/list_rewrite.h"
#include "config/wildcard.h"

namespace zunt {

namespace {

enum class LineOutcome { no_match, raised, given_field };

// Rebuilds one matching line (already stripped) around its counter field.
LineOutcome raise_line(std::string& line, const CounterFormat& fmt, long long n,
                       long long& new_count) {
    // Brackets, digits and blanks have no case, so positions found in the
    // line as written hold for its lower-cased form too.
    const std::size_t d = find_description_start(line);
    if (auto field = find_counter_field(line, d, ClosingRule::same_style)) {
        new_count = add_counts(field->value, n);
        std::string out = line.substr(0, d);
        out += format_counter_field(fmt, new_count);
        out.append(line, field->close_pos + 1, std::string::npos);
        line = std::move(out);
        return LineOutcome::raised;
    }
    line = insert_counter_field(fmt, line, d, n);
    return LineOutcome::given_field;
}

// Whether a name word holds a wildcard character. A plain loop: the word is
// short, and this runs for every line of a list.
bool is_pattern(std::string_view name_word) {
    for (char c : name_word)
        if (c == '*' || c == '?' || c == '[') return true;
    return false;
}

char lower_char(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// What a byte means in a name word: nothing, its end, or a wildcard.
enum WordByte : unsigned char { plain, word_end, wildcard };

constexpr std::array<WordByte, 256> word_byte_table() {
    std::array<WordByte, 256> t{};
    t[' '] = word_end;
    t['*'] = t['?'] = t['['] = wildcard;
    return t;
}

constexpr std::array<WordByte, 256> kWordByte = word_byte_table();

bool equal_lowered(std::string_view word, std::string_view file_name) {
    return word.size() == file_name.size() &&
           std::equal(word.begin(), word.end(), file_name.begin(),
                      [](char a, char b) { return lower_char(a) == b; });
}

// name_word_matches for the lower-cased name word of `line`, without making
// a lower-cased copy for every line of the list. It runs for every line, so
// the word is compared with the file name while it is walked: the first
// plain byte that differs from the name's, or stands past its end, rules
// out an equal word and a pattern alike (a pattern's leading literal bytes
// must equal the name's). Only a word with a wildcard before that byte is
// matched as a pattern.
bool name_word_matches_line(std::string_view line, std::string_view file_name) {
    for (std::size_t i = 0;; ++i) {
        const WordByte b = i < line.size() ? kWordByte[static_cast<unsigned char>(line[i])] : word_end;
        if (b == word_end) return i == file_name.size();
        if (b == wildcard) break;
        if (i == file_name.size() || lower_char(line[i]) != file_name[i]) return false;
    }
    const std::string_view word = line.substr(0, line.find(' '));
    return equal_lowered(word, file_name) || wildcard_match(lower_ascii(word), file_name);
}

LineOutcome update_line(std::string& line, const UpdateOptions& options,
                        std::string_view file_name, long long n, long long& new_count) {
    if (options.kill_hard_space) replace_hard_spaces(line);
    if (line.empty()) return LineOutcome::no_match;
    strip_line_end(line);
    if (!name_word_matches_line(line, file_name)) return LineOutcome::no_match;
    return raise_line(line, options.format, n, new_count);
}

}  // namespace

UpdateOptions update_options_from(const ControlSettings& settings) {
    return UpdateOptions{counter_format_from(settings), settings.kill_hard_space};
}

bool name_word_matches(std::string_view name_word, std::string_view file_name) {
    if (name_word == file_name) return true;
    if (!is_pattern(name_word)) return false;
    return wildcard_match(name_word, file_name);
}

DownloadOutcome apply_download(std::vector<std::string>& lines, const UpdateOptions& options,
                               std::string_view file_name, long long n) {
    bool matched = false, raised = false;
    long long first_count = 0;
    for (std::string& line : lines) {
        long long count = 0;
        switch (update_line(line, options, file_name, n, count)) {
            case LineOutcome::no_match: break;
            case LineOutcome::given_field: matched = true; break;
            case LineOutcome::raised:
                if (!raised) first_count = count;
                matched = raised = true;
                break;
        }
    }
    if (raised) return {UpdateResult::ok, first_count};
    return {matched ? UpdateResult::new_counter : UpdateResult::not_found, 0};
}

namespace {

std::string name_word_of(const std::string& line) {
    return lower_ascii(std::string_view(line).substr(0, line.find(' ')));
}

}  // namespace

ListUpdate::ListUpdate(std::vector<std::string>& lines, const UpdateOptions& options)
    : lines_(lines), options_(options) {}

namespace {

// FNV-1a over the bytes lower-cased.
std::uint64_t lower_hash(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(lower_char(c))) * 1099511628211ull;
    return h;
}

}  // namespace

void ListUpdate::build_index() {
    by_name_.clear();
    patterns_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        // Empty lines never match; every other line is already stripped.
        if (lines_[i].empty()) continue;
        const std::string_view word = std::string_view(lines_[i]).substr(0, lines_[i].find(' '));
        if (is_pattern(word))
            patterns_.emplace_back(lower_ascii(word), i);
        else
            by_name_.emplace_back(lower_hash(word), i);
    }
    std::sort(by_name_.begin(), by_name_.end());
    indexed_ = true;
}

std::vector<std::size_t> ListUpdate::matching_lines(std::string_view file_name) const {
    std::vector<std::size_t> hits;
    const std::pair<std::uint64_t, std::size_t> first{lower_hash(file_name), 0};
    for (auto it = std::lower_bound(by_name_.begin(), by_name_.end(), first);
         it != by_name_.end() && it->first == first.first; ++it)
        if (name_word_matches_line(lines_[it->second], file_name)) hits.push_back(it->second);
    const std::size_t plain = hits.size();
    for (const auto& [word, i] : patterns_)
        if (name_word_matches(word, file_name)) hits.push_back(i);
    if (hits.size() != plain) std::inplace_merge(hits.begin(), hits.begin() + plain, hits.end());
    return hits;
}

void ListUpdate::normalize(std::string& line) const {
    if (options_.kill_hard_space) replace_hard_spaces(line);
    if (!line.empty()) strip_line_end(line);
}

DownloadOutcome ListUpdate::update_files_bbs(std::string_view file_name, long long n) {
    // The first download goes over every line as a rewrite would. Every
    // later rewrite would first strip each line again and then change only
    // the lines that match; so the lines are stripped once, indexed by name
    // word, and from then on only the lines changed last time are stripped
    // again before the matching lines are found through the index.
    if (!started_) {
        started_ = true;
        return apply_download(lines_, options_, file_name, n);
    }
    if (!indexed_) {
        for (std::string& line : lines_) normalize(line);
        build_index();
    } else {
        bool renamed = false;
        for (const auto& [i, word] : changed_) {
            normalize(lines_[i]);
            if (name_word_of(lines_[i]) != word) renamed = true;
        }
        if (renamed) build_index();  // a rebuilt line that no longer starts alike
    }
    changed_.clear();
    bool matched = false, raised = false;
    long long first_count = 0;
    for (std::size_t i : matching_lines(file_name)) {
        std::string& line = lines_[i];
        changed_.emplace_back(i, name_word_of(line));
        long long count = 0;
        matched = true;
        if (raise_line(line, options_.format, n, count) == LineOutcome::raised) {
            if (!raised) first_count = count;
            raised = true;
        }
    }
    if (raised) return {UpdateResult::ok, first_count};
    return {matched ? UpdateResult::new_counter : UpdateResult::not_found, 0};
}

RewriteResult update_list(Env& env, Transaction& changes, const std::string& list_path,
                          const UpdateOptions& options, const std::vector<FileCount>& files,
                          ListBuffers& b, std::vector<DownloadOutcome>& outcomes) {
    outcomes.clear();
    if (RewriteResult r = read_list(env, changes, list_path, Share::deny_write, b.old_bytes);
        r != RewriteResult::ok)
        return r;
    list_line_views(b.old_bytes, b.views);
    // Lines already there keep their storage.
    if (b.lines.size() < b.views.size()) b.lines.resize(b.views.size());
    for (std::size_t i = 0; i < b.views.size(); ++i) b.lines[i].assign(b.views[i]);
    b.lines.resize(b.views.size());
    ListUpdate update(b.lines, options);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i + 1 == files.size() && i > 0) join_list_lines(b.lines, b.backup);
        outcomes.push_back(update.update_files_bbs(files[i].name, files[i].n));
    }
    join_list_lines(b.lines, b.new_bytes);
    return stage_list(changes, list_path, b.new_bytes, b.old_bytes,
                      files.size() > 1 ? &b.backup : nullptr);
}

}  // namespace zunt
