#include "counters/files_bbs_update.h"

#include "config/text_util.h"
#include "counters/list_rewrite.h"
#include "counters/wildcard.h"

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

LineOutcome update_line(std::string& line, const UpdateOptions& options,
                        std::string_view file_name, long long n, long long& new_count) {
    if (options.kill_hard_space) replace_hard_spaces(line);
    if (line.empty()) return LineOutcome::no_match;
    strip_line_end(line);
    const std::string name_word = lower_ascii(std::string_view(line).substr(0, line.find(' ')));
    if (!name_word_matches(name_word, file_name)) return LineOutcome::no_match;
    return raise_line(line, options.format, n, new_count);
}

}  // namespace

UpdateOptions update_options_from(const ControlSettings& settings) {
    return UpdateOptions{counter_format_from(settings), settings.kill_hard_space};
}

bool name_word_matches(std::string_view name_word, std::string_view file_name) {
    if (name_word == file_name) return true;
    if (name_word.find_first_of("*?[") == std::string_view::npos) return false;
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

UpdateResult update_files_bbs(Env& env, const ControlSettings& settings,
                              const std::string& files_bbs_path,
                              const std::string& download_file_name,
                              long long& new_counter_value, long long duplicate_count) {
    const UpdateOptions options = update_options_from(settings);
    DownloadOutcome outcome{UpdateResult::not_found, 0};
    const RewriteResult r =
        rewrite_list(env, files_bbs_path, Share::deny_write, [&](std::vector<std::string>& lines) {
            outcome = apply_download(lines, options, download_file_name, duplicate_count);
        });
    if (r != RewriteResult::ok) return static_cast<UpdateResult>(static_cast<int>(r));
    if (outcome.code == UpdateResult::ok) new_counter_value = outcome.new_count;
    return outcome.code;
}

}  // namespace zunt
