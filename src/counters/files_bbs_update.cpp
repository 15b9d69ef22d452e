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

DownloadOutcome ListUpdate::apply(std::string_view file_name, long long n) {
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

namespace {

std::string_view stripped(std::string_view line) {
    while (!line.empty()) {
        const char c = line.back();
        if (c != '\n' && c != '\r' && c != ' ' && c != '\\') break;
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

void StreamedUpdate::line(std::string_view line, ListSink& sink) {
    // The line as update_line sees it; a copy only where it changes.
    if (options_.kill_hard_space && line.find('\xff') != std::string_view::npos) {
        copy_.assign(line);
        replace_hard_spaces(copy_);
        line = copy_;
    }
    const bool empty = line.empty();  // written as read, never matched
    if (!empty) line = stripped(line);
    if (empty || !name_word_matches_line(line, file_name_)) {
        if (line.data() == copy_.data())  // hard spaces replaced in copy_
            copy_.resize(line.size());
        else
            copy_.assign(line);
        copy_ += "\r\n";
        sink.put(copy_);
        return;
    }
    std::string rebuilt(line);
    long long count = 0;
    matched_ = true;
    if (raise_line(rebuilt, options_.format, n_, count) == LineOutcome::raised) {
        if (!raised_) first_count_ = count;
        raised_ = true;
    }
    rebuilt += "\r\n";
    sink.put(rebuilt);
}

// Whether `line` (with its CR LF) is what the update writes for it.
bool StreamedUpdate::kept_as_read(std::string_view line, bool hard_spaces) const {
    if (line.size() < 2 || line[line.size() - 2] != '\r') return false;
    line.remove_suffix(2);
    if (line.empty()) return true;
    const char last = line.back();
    if (last == '\r' || last == ' ' || last == '\\') return false;
    if (hard_spaces && line.find('\xff') != std::string_view::npos) return false;
    return !name_word_matches_line(line, file_name_);
}

void StreamedUpdate::lines(std::string_view block, ListSink& sink) {
    const bool hard_spaces =
        options_.kill_hard_space && block.find('\xff') != std::string_view::npos;
    std::size_t run = 0, pos = 0;  // the lines in [run, pos) go out as read
    while (pos < block.size()) {
        const std::size_t lf = block.find('\n', pos);
        if (lf == std::string_view::npos) break;  // the list's last line, without LF
        if (!kept_as_read(block.substr(pos, lf + 1 - pos), hard_spaces)) {
            if (pos > run) sink.put(block.substr(run, pos - run));
            std::size_t end = lf;
            if (end > pos && block[end - 1] == '\r') --end;
            line(block.substr(pos, end - pos), sink);
            run = lf + 1;
        }
        pos = lf + 1;
    }
    if (pos > run) sink.put(block.substr(run, pos - run));
    if (pos < block.size()) line(block.substr(pos), sink);
}

DownloadOutcome StreamedUpdate::outcome() const {
    if (raised_) return {UpdateResult::ok, first_count_};
    return {matched_ ? UpdateResult::new_counter : UpdateResult::not_found, 0};
}

std::string apply_download_to_bytes(std::string_view bytes, const UpdateOptions& options,
                                    std::string_view file_name, long long n,
                                    DownloadOutcome& outcome) {
    std::string out;
    StringSink sink(out);
    while (!bytes.empty() && bytes.back() == '\x1a') bytes.remove_suffix(1);
    StreamedUpdate update(options, file_name, n);
    update.lines(bytes, sink);
    outcome = update.outcome();
    return out;
}

UpdateResult update_files_bbs(Env& env, const ControlSettings& settings,
                              const std::string& files_bbs_path,
                              const std::string& download_file_name,
                              long long& new_counter_value, long long duplicate_count) {
    const UpdateOptions options = update_options_from(settings);
    DownloadOutcome outcome{UpdateResult::not_found, 0};
    StreamedUpdate update(options, download_file_name, duplicate_count);
    const RewriteResult r = rewrite_list_streamed(
        env, files_bbs_path, Share::deny_write,
        [&](std::string_view lines, ListSink& sink) { update.lines(lines, sink); });
    outcome = update.outcome();
    if (r != RewriteResult::ok) return static_cast<UpdateResult>(static_cast<int>(r));
    if (outcome.code == UpdateResult::ok) new_counter_value = outcome.new_count;
    return outcome.code;
}

}  // namespace zunt
