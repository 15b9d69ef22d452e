#include "counters/initdlc.h"

#include <algorithm>

#include "config/text_util.h"
#include "counters/list_rewrite.h"
#include "platform/path_key.h"

namespace zunt {

namespace {

bool has_wildcard(std::string_view name) {
    for (const char c : name)
        if (c == '?' || c == '*') return true;
    return false;
}

// The download directory as statistics names begin with it: lower case, and
// whether a wildcard in it makes every name a pattern.
struct StatDir {
    const std::string& dir;
    std::string lower;
    bool wild;
};

StatDir stat_dir_for(const std::string& download_dir) {
    return {download_dir, lower_ascii(download_dir), has_wildcard(download_dir)};
}

// The statistics name of a file line, built in `name`: the download
// directory and the name word, in lower case; a wildcard name stands for the
// first file it matches, when there is one.
void statistics_name(Env& env, const StatDir& dir, std::string_view word, std::string& name) {
    if (!dir.wild && !has_wildcard(word)) {
        name.assign(dir.lower);
        for (const char c : word) name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return;
    }
    name.assign(dir.dir);
    name.append(word);
    FoundFile found;
    if (env.find_first(name, found) == 0) {
        const PathParts parts = split_path(name);
        name = parts.drive + parts.dir + found.name;
    }
    to_lower_ascii(name);
}

void record_count(InitContext& ctx, const StatDir& dir, std::string_view word, long long count) {
    std::string& name = ctx.stat_name;
    statistics_name(ctx.env, dir, word, name);
    ctx.found_names += name;
    ctx.found_counts.push_back({ctx.found_names.size(), count});
}

void forget_found_counts(InitContext& ctx) {
    ctx.found_names.clear();
    ctx.found_counts.clear();
}

// The identity key of a statistics name of the list of `download_dir`:
// most names are a plain file name in that directory, whose key follows
// from the directory's.
std::string stat_key(InitContext& ctx, const std::string& dir_lower, const std::string& dir_key,
                     std::string_view name) {
    if (name.substr(0, dir_lower.size()) == dir_lower)
        if (auto key = plain_file_key(dir_key, name.substr(dir_lower.size()))) return std::move(*key);
    return ctx.env.path_key(std::string(name));
}

void set_found_counts(InitContext& ctx, const std::string& download_dir) {
    if (ctx.found_counts.empty()) return;
    const std::string dir_lower = lower_ascii(download_dir), key_of_dir = dir_key(ctx.env, download_dir);
    std::size_t begin = 0;
    for (const auto& [end, count] : ctx.found_counts) {
        const std::string_view name = std::string_view(ctx.found_names).substr(begin, end - begin);
        begin = end;
        const auto now = static_cast<std::uint32_t>(ctx.env.now());
        if (update_stat_entry(ctx.stats, name, stat_key(ctx, dir_lower, key_of_dir, name),
                              StatUpdate::set, count, now) == StatUpdateResult::recorded)
            continue;
        ctx.log.write(kNotice, "ZUNT Warning! Maximum file length in stat file is 80 characters");
        ctx.log.write(kNotice, strprintf("\"%.*s\" not written to stat file.",
                                         static_cast<int>(name.size()), name.data()));
    }
}

std::string date_key(Env& env, const std::string& download_dir, std::string_view word) {
    FoundFile found;
    std::string path = download_dir;
    path.append(word);
    if (env.find_first(path, found) != 0) return kMissingFileDateKey;
    return format_date_key(found.dos_date, found.dos_time);
}

InitHooks hooks_for(InitContext& ctx, const std::string& download_dir) {
    InitHooks hooks;
    if (ctx.settings.statistics_path)
        hooks.record_count = [&ctx, dir = stat_dir_for(download_dir)](std::string_view word,
                                                                       long long count) {
            record_count(ctx, dir, word, count);
        };
    hooks.date_key = [&ctx, &download_dir](std::string_view word) {
        return date_key(ctx.env, download_dir, word);
    };
    return hooks;
}

// The line without its end: trailing CR, LF, blanks and backslashes.
std::string_view without_line_end(std::string_view line) {
    std::size_t n = line.size();
    while (n > 0) {
        const char c = line[n - 1];
        if (c != '\n' && c != '\r' && c != ' ' && c != '\\') break;
        --n;
    }
    return line.substr(0, n);
}

// The first eight bytes of `key` as a big-endian number, zeros after a
// shorter key: numbers that differ order their keys as the bytes would.
std::uint64_t key_head(std::string_view key) {
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 8; ++i)
        head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return head;
}

// Whether entry `a` goes before entry `b` (both given by their place in the
// block): keys compare as unsigned bytes, the head first; entries with equal
// keys keep the order they were read in, as a stable sort leaves them.
template <bool Ascending>
bool goes_before(const FileBlock& block, const FileBlock::SortItem& a, const FileBlock::SortItem& b) {
    if (a.key_head != b.key_head) return Ascending ? a.key_head < b.key_head : b.key_head < a.key_head;
    const FileBlock::Entry& ea = block.entries[a.entry];
    const FileBlock::Entry& eb = block.entries[b.entry];
    const std::string_view text(block.text);
    const int c = text.substr(ea.key_pos, ea.key_len).compare(text.substr(eb.key_pos, eb.key_len));
    if (c != 0) return Ascending ? c < 0 : c > 0;
    return a.entry < b.entry;
}

// Puts the block's entries, by their place, into `block.order`, sorted.
void sort_block(FileBlock& block, bool ascending) {
    auto& order = block.order;
    order.clear();
    for (std::size_t i = 0; i < block.entries.size(); ++i) {
        const FileBlock::Entry& e = block.entries[i];
        order.push_back({key_head(std::string_view(block.text).substr(e.key_pos, e.key_len)), i});
    }
    if (ascending)
        std::sort(order.begin(), order.end(), [&block](const auto& a, const auto& b) {
            return goes_before<true>(block, a, b);
        });
    else
        std::sort(order.begin(), order.end(), [&block](const auto& a, const auto& b) {
            return goes_before<false>(block, a, b);
        });
}

void append_line(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n", 2);
}

// A file line with the continuation lines that belong to it.
void write_entry(const FileBlock& block, const FileBlock::Entry& e,
                 const std::vector<std::string_view>& lines, std::string& out) {
    append_line(out, std::string_view(block.text).substr(e.text_pos, e.text_len));
    for (std::size_t i = 1; i <= e.continuations; ++i) append_line(out, lines[e.line + i]);
}

}  // namespace

InitOptions init_options_from(const ControlSettings& settings) {
    InitOptions o;
    o.format = counter_format_from(settings);
    o.kill_hard_space = settings.kill_hard_space;
    o.max_desc_len = settings.max_desc_len;
    o.sort_by = settings.sort_by;
    o.sort_order = settings.sort_order;
    return o;
}

LineKind classify_line(std::string_view line) {
    // A line of blanks only looks empty and separates like an empty line.
    if (line.find_first_not_of(" \r") == std::string_view::npos) return LineKind::separator;
    const auto first = static_cast<unsigned char>(line[0]);
    if (first == ' ' || first == '+') return LineKind::continuation;
    if (first == '-') return LineKind::separator;
    if ((first < 0x20 && first != '\t') || first == 0x7F) return LineKind::separator;
    return LineKind::file;
}

std::string_view name_word_of(std::string_view line) {
    return line.substr(0, line.find(' '));
}

long long append_rebuilt_line(std::string_view line, const InitOptions& options, std::string& out) {
    line = without_line_end(line);
    const std::size_t start = out.size();
    const std::size_t d = find_description_start(line);
    long long count = 0;
    std::size_t field_end = 0;  // where the counter field ends in `out`
    if (auto field = find_counter_field(line, d, ClosingRule::any_style)) {
        count = field->value;
        // The field's text before it, aligned at column t: padded with
        // blanks when short; when long, trailing blanks are given up one at
        // a time while two stand at the end, so a long name keeps one blank
        // before the field.
        const auto t = static_cast<std::size_t>(options.format.tabulate_column);
        std::string_view prefix = line.substr(0, d);
        while (prefix.size() > t && prefix.size() >= 2 && prefix[prefix.size() - 1] == ' ' &&
               prefix[prefix.size() - 2] == ' ')
            prefix.remove_suffix(1);
        out.append(prefix);
        if (prefix.size() < t) out.append(t - prefix.size(), ' ');
        append_counter_field(options.format, field->value, out);
        field_end = out.size();
        out.append(line.substr(field->close_pos + 1));
    } else {
        out.append(line.substr(0, d));
        if (d == line.size()) out += ' ';
        const auto column = static_cast<std::size_t>(std::max(options.format.tabulate_column, 0));
        if (out.size() - start < column) out.append(column - (out.size() - start), ' ');
        append_counter_field(options.format, 0, out);
        field_end = out.size();
        out += ' ';
        out.append(line.substr(d));
    }
    // The cut never falls inside the counter field: a field cut short is no
    // field to the next run, and the count it held would be lost.
    const std::size_t keep = std::max(start + static_cast<std::size_t>(options.max_desc_len), field_end);
    if (options.max_desc_len > 0 && out.size() > keep) out.resize(keep);
    return count;
}

std::string format_date_key(std::uint16_t dos_date, std::uint16_t dos_time) {
    return strprintf("%05u%05u", static_cast<unsigned>(dos_date), static_cast<unsigned>(dos_time));
}

void flush_file_block(FileBlock& block, const std::vector<std::string_view>& lines,
                      std::string& out, const InitOptions& options, const InitHooks& hooks) {
    if (block.entries.empty()) return;
    if (options.sort_by == 1 || options.sort_by == 2) {
        for (FileBlock::Entry& e : block.entries) {
            if (options.sort_by == 1) {
                e.key_pos = e.text_pos;
                e.key_len = e.text_len;
                continue;
            }
            const std::string_view word =
                name_word_of(std::string_view(block.text).substr(e.text_pos, e.text_len));
            const std::string key =
                hooks.date_key ? hooks.date_key(word) : std::string(kMissingFileDateKey);
            e.key_pos = block.text.size();
            e.key_len = key.size();
            block.text += key;
        }
        sort_block(block, options.sort_order == 1);
        for (const FileBlock::SortItem& item : block.order)
            write_entry(block, block.entries[item.entry], lines, out);
    } else {
        for (const FileBlock::Entry& e : block.entries) write_entry(block, e, lines, out);
    }
    block.entries.clear();
    block.text.clear();
}

namespace {

void rebuild_lines(const std::vector<std::string_view>& lines, const InitOptions& options,
                   const InitHooks& hooks, FileBlock& block, std::string& out) {
    block.entries.clear();
    block.text.clear();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        switch (classify_line(line)) {
            case LineKind::continuation:
                // Continuation lines travel with their file line when a
                // block is sorted; with no file line before them they stay put.
                if (!block.entries.empty()) {
                    ++block.entries.back().continuations;
                    break;
                }
                [[fallthrough]];
            case LineKind::separator:
                flush_file_block(block, lines, out, options, hooks);
                append_line(out, line);
                break;
            case LineKind::file: {
                FileBlock::Entry e;
                e.line = i;
                e.text_pos = block.text.size();
                const long long count = append_rebuilt_line(line, options, block.text);
                e.text_len = block.text.size() - e.text_pos;
                if (count != 0 && hooks.record_count)
                    hooks.record_count(name_word_of(without_line_end(line)), count);
                block.entries.push_back(e);
                break;
            }
        }
    }
    flush_file_block(block, lines, out, options, hooks);
}

}  // namespace

void rebuild_list_bytes(std::string& bytes, const InitOptions& options, const InitHooks& hooks,
                        RebuildBuffers& buffers, std::string& out) {
    if (options.kill_hard_space) replace_hard_spaces(bytes);
    list_line_views(bytes, buffers.lines);
    // The new list is about as long as the old one plus a field per line.
    const std::size_t start = out.size();
    out.reserve(out.size() + bytes.size() + buffers.lines.size() * 8);
    rebuild_lines(buffers.lines, options, hooks, buffers.block, out);
    // A last line without a line feed that is written as read (not a file
    // line) keeps having none, as long as it is still the last line written.
    std::string_view read(bytes);
    while (!read.empty() && read.back() == '\x1a') read.remove_suffix(1);
    if (read.empty() || read.back() == '\n') return;
    const std::string_view last = buffers.lines.back();
    if (classify_line(last) == LineKind::file) return;
    const std::string_view written = std::string_view(out).substr(start);
    if (written.size() >= last.size() + 2 && written.ends_with("\r\n") &&
        written.substr(written.size() - 2 - last.size(), last.size()) == last)
        out.resize(out.size() - 2);
}

InitResult init_files_bbs(InitContext& ctx, const std::string& list_path,
                          const std::string& download_dir) {
    const InitOptions options = init_options_from(ctx.settings);
    const InitHooks hooks = hooks_for(ctx, download_dir);
    forget_found_counts(ctx);
    RewriteResult r = read_list(ctx.env, ctx.changes, list_path, Share::exclusive, ctx.old_bytes);
    if (r == RewriteResult::ok) {
        ctx.new_bytes.clear();
        rebuild_list_bytes(ctx.old_bytes, options, hooks, ctx.buffers, ctx.new_bytes);
        r = stage_list(ctx.changes, list_path, ctx.new_bytes, ctx.old_bytes, nullptr);
    }
    if (r == RewriteResult::ok) set_found_counts(ctx, download_dir);
    forget_found_counts(ctx);
    switch (r) {
        case RewriteResult::ok: return InitResult::rewritten;
        case RewriteResult::rename_failed: return InitResult::rename_failed;
        case RewriteResult::read_failed: return InitResult::read_failed;
        case RewriteResult::create_failed: return InitResult::create_failed;
    }
    return InitResult::create_failed;
}

std::string area_list_path(const DownloadRecord& area) {
    const std::string& own = area_filesbbs_path(area);
    if (!own.empty()) return own;
    return area_download_dir(area) + "files.bbs";
}

AreaResult init_all_areas(InitContext& ctx, long& areas_done) {
    areas_done = 0;
    AreaConfig config;
    const AreaResult loaded = load_area_config(ctx.env, ctx.settings.farea_path,
                                               ctx.settings.ascii_area_path, true, config);
    if (loaded != AreaResult::loaded) {
        release_area_config(config);
        return loaded;
    }
    for (const DownloadRecord& area : config.area_list) {
        const std::string path = area_list_path(area);
        const std::string& name = area_name(area);
        ctx.env.err(strprintf("  Initializing area %s (%s)\n", name.c_str(), path.c_str()));
        ctx.log.write(kDetail,
                      strprintf("ZUNT Initializing file area %s (%s)", name.c_str(), path.c_str()));
        if (init_files_bbs(ctx, path, area_download_dir(area)) != InitResult::rewritten) {
            const Errno err = ctx.env.last_error();
            ctx.env.err(strprintf("  Couldn't open %s, file area skipped!\n", path.c_str()));
            ctx.log.write(kError, strprintf("ZUNT Couldn't open %s, file area skipped! (errno=%d)",
                                            path.c_str(), err));
        }
        ++areas_done;
    }
    release_area_config(config);
    return AreaResult::loaded;
}

}  // namespace zunt
