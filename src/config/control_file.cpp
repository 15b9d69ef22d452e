#include "config/control_file.h"

#include <memory>

#include "config/text_util.h"
#include "list/download_list.h"
#include "platform/text_io.h"

namespace zunt {

namespace {

// Lines of the control file and of the exclusion file are read in pieces of
// at most this many characters; a longer line counts as several lines.
constexpr std::size_t kLinePiece = 511;

bool is_white(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct Reader {
    Env& env;
    ControlSettings& settings;
    ConfigState& state;
};

using Action = ConfigResult (*)(Reader&, const std::string& value);

ConfigResult ok() { return ConfigResult::ok; }

std::string expanded(Reader& r, const std::string& value) {
    std::string v = value;
    expand_environment(r.env, v);
    return v;
}

void append_entry(std::vector<std::string>& list, std::string text) {
    list.push_back(std::move(text));
    ++list_node_count;
}

// A number whose full value must lie in [lo, hi]; stored only when it does.
ConfigResult number(const std::string& value, long long lo, long long hi, int& field,
                    ConfigResult failure) {
    long long n = parse_number(value);
    if (n < lo || n > hi) return failure;
    field = static_cast<int>(n);
    return ConfigResult::ok;
}

// The value with its case as written: the stripped line split again.
std::string value_as_written(const Reader& r) {
    std::string keyword, value;
    split_keyword(r.state.config_line_text, keyword, value);
    return value;
}

// Every line of the exclusion file becomes an upper-case pattern; a file that
// cannot be opened adds nothing.
void read_exclusion_file(Reader& r, const std::string& path) {
    std::unique_ptr<File> file;
    if (r.env.open(path, Access::read, Share::deny_none, file) != 0) return;
    LineReader lines(*file);
    std::string line;
    while (lines.read_line(line, kLinePiece)) {
        strip_line_end(line);
        to_upper_ascii(line);
        append_entry(r.settings.exclude_patterns, line);
    }
}

ConfigResult set_path(std::optional<std::string>& field, Reader& r, const std::string& v) {
    field = expanded(r, v);
    return ok();
}

ConfigResult set_yes(bool& field, const std::string& v) {
    if (v == "yes") field = true;
    return ok();
}

struct Keyword {
    const char* name;
    Action action;
};

const Keyword kKeywords[] = {
    {"farea", [](Reader& r, const std::string& v) { return set_path(r.settings.farea_path, r, v); }},
    {"logfile",
     [](Reader& r, const std::string& v) { return set_path(r.settings.activity_log_path, r, v); }},
    {"bbslog",
     [](Reader& r, const std::string& v) {
         append_entry(r.settings.log_list, expanded(r, v));
         return ok();
     }},
    {"mailerlog",
     [](Reader& r, const std::string& v) {
         append_entry(r.settings.log_list, expanded(r, v));
         return ok();
     }},
    {"counterstyle",
     [](Reader& r, const std::string& v) {
         return number(v, 1, 4, r.settings.counter_style, ConfigResult::illegal_counter_style);
     }},
    {"counterlength",
     [](Reader& r, const std::string& v) {
         return number(v, 1, 6, r.settings.counter_length, ConfigResult::illegal_counter_length);
     }},
    {"maxfileareas",
     [](Reader& r, const std::string& v) {
         return number(v, 1, 2048, r.settings.max_file_areas, ConfigResult::illegal_max_file_areas);
     }},
    {"ignoretic", [](Reader& r, const std::string& v) { return set_yes(r.settings.ignore_tic, v); }},
    {"zeropadd", [](Reader& r, const std::string& v) { return set_yes(r.settings.zero_pad, v); }},
    {"mailerstring",
     [](Reader& r, const std::string&) {
         append_entry(r.settings.mailer_strings, value_as_written(r));
         return ok();
     }},
    {"uploadlog",
     [](Reader& r, const std::string& v) { return set_path(r.settings.upload_log_path, r, v); }},
    {"ignorepath",
     [](Reader& r, const std::string& v) {
         // The separator goes on after the expansion, so that a variable
         // holding a directory with its own trailing separator gets no second
         // one, and a Unix directory gets "/".
         std::string dir = expanded(r, v);
         append_dir_separator(dir);
         append_entry(r.settings.ignore_paths, dir);
         return ok();
     }},
    {"debug",
     [](Reader& r, const std::string&) {
         r.settings.debug_mode = true;
         return ok();
     }},
    {"killhardspace",
     [](Reader& r, const std::string& v) { return set_yes(r.settings.kill_hard_space, v); }},
    {"statistics",
     [](Reader& r, const std::string& v) { return set_path(r.settings.statistics_path, r, v); }},
    {"top",
     [](Reader& r, const std::string& v) {
         return number(v, 1, 100, r.settings.top_count, ConfigResult::illegal_top);
     }},
    {"bbsout", [](Reader& r, const std::string& v) { return set_path(r.settings.bbs_out_path, r, v); }},
    {"textout",
     [](Reader& r, const std::string& v) { return set_path(r.settings.text_out_path, r, v); }},
    {"excludefromlist",
     [](Reader& r, const std::string& v) {
         read_exclusion_file(r, expanded(r, v));
         return ok();
     }},
    {"systemname",
     [](Reader& r, const std::string&) {
         r.settings.system_name = value_as_written(r);
         return ok();
     }},
    {"priority",
     [](Reader& r, const std::string& v) {
         static const char* const kNames[] = {"idle", "regular", "timecritical", "foreground"};
         for (int i = 0; i < 4; ++i)
             if (v == kNames[i]) r.settings.process_priority = i + 1;
         return ok();
     }},
    {"ticfile",
     [](Reader& r, const std::string& v) {
         if (v == "before") r.settings.tic_before = true;
         return ok();
     }},
    {"useareadatfirst",
     [](Reader& r, const std::string& v) {
         if (v == "no") r.settings.use_area_dat_first = false;
         return ok();
     }},
    {"maxdesclen",
     [](Reader& r, const std::string& v) {
         return number(v, 0, 1024, r.settings.max_desc_len, ConfigResult::illegal_max_desc_len);
     }},
    {"sortby",
     [](Reader& r, const std::string& v) {
         if (v == "name") r.settings.sort_by = 1;
         else if (v == "date") r.settings.sort_by = 2;
         else return ConfigResult::illegal_sort_by;
         return ok();
     }},
    {"sortorder",
     [](Reader& r, const std::string& v) {
         if (v == "ascending") r.settings.sort_order = 1;
         else if (v == "descending") r.settings.sort_order = 2;
         else return ConfigResult::illegal_sort_order;
         return ok();
     }},
    {"asciiareafile",
     [](Reader& r, const std::string& v) { return set_path(r.settings.ascii_area_path, r, v); }},
    {"tabulate",
     [](Reader& r, const std::string& v) {
         // Given as a column 1-26, kept as the column minus one.
         long long n = parse_number(v);
         if (n < 1 || n > 26) return ConfigResult::illegal_tabulate;
         r.settings.tabulate_column = static_cast<int>(n - 1);
         return ok();
     }},
    {"maxfilesidx",
     [](Reader& r, const std::string& v) { return set_path(r.settings.maxfiles_idx_path, r, v); }},
    {"relaxedindexmatch",
     [](Reader& r, const std::string& v) { return set_yes(r.settings.relaxed_index_match, v); }},
};

ConfigResult handle_line(Reader& r, std::string line) {
    strip_line_end(line);
    r.state.config_line_text = line;
    to_lower_ascii(line);
    if (line.empty() || line[0] == ';') return ok();
    std::string keyword, value;
    if (!split_keyword(line, keyword, value)) return ConfigResult::illegal_line;
    for (const Keyword& k : kKeywords)
        if (keyword == k.name) return k.action(r, value);
    return ConfigResult::unknown_keyword;
}

void reset_settings(ControlSettings& s) {
    list_node_count -= static_cast<long>(s.log_list.size() + s.mailer_strings.size() +
                                          s.ignore_paths.size() + s.exclude_patterns.size());
    s = ControlSettings{};
}

}  // namespace

bool split_keyword(std::string_view line, std::string& keyword, std::string& value) {
    std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return false;
    keyword.assign(line.substr(0, blank));
    value.assign(line.substr(blank + 1));
    return true;
}

void expand_environment(Env& env, std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out += text[i++];
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && text[end] != '%' && !is_white(text[end])) ++end;
        if (end < text.size() && text[end] == '%') {
            std::string name = text.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += '%';
            } else {
                std::optional<std::string> v = env.get_env(upper_ascii(name));
                out += v ? *v : std::string("EnvNotFound");
            }
            i = end + 1;
        } else {
            // No reference: the "%", the name and the white space stay.
            if (end < text.size()) ++end;
            out.append(text, i, end - i);
            i = end;
        }
    }
    to_lower_ascii(out);
    text = std::move(out);
}

ConfigResult check_required_settings(ControlSettings& s) {
    if (s.counter_style == 0) return ConfigResult::need_counter_style;
    if (s.counter_length == 0) return ConfigResult::need_counter_length;
    if (s.max_file_areas == 0) s.max_file_areas = 1024;
    if (!s.system_name) s.system_name = "!Systemname not defined!";
    if (s.sort_by != 0 && s.sort_order == 0) return ConfigResult::no_sort_order;
    return ConfigResult::ok;
}

ConfigResult read_control_file(Env& env, const std::string& path, ControlSettings& settings,
                               ConfigState& state) {
    reset_settings(settings);
    state = ConfigState{};
    std::unique_ptr<File> file;
    if (Errno e = env.open(path, Access::read, Share::deny_none, file)) {
        state.open_error = e;
        return ConfigResult::cannot_open;
    }
    Reader r{env, settings, state};
    LineReader lines(*file);
    std::string line;
    while (lines.read_line(line, kLinePiece)) {
        ++state.config_line_number;
        ConfigResult res = handle_line(r, line);
        if (res != ConfigResult::ok) return res;
    }
    if (Errno e = lines.error()) {
        // A control file that cannot be read to its end is not half used.
        state.open_error = e;
        return ConfigResult::cannot_open;
    }
    file->close();

    // "DL-" is always the last token tried.
    append_entry(settings.mailer_strings, "DL-");
    if (settings.maxfiles_idx_path && !settings.farea_path)
        return ConfigResult::maxfiles_without_farea;
    if (!settings.farea_path && !settings.ascii_area_path) {
        settings.use_area_dat_first = false;
        state.after_warning = check_required_settings(settings);
        return ConfigResult::no_area_file;
    }
    return check_required_settings(settings);
}

}  // namespace zunt
