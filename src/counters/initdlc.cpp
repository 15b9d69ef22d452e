#include "counters/initdlc.h"

#include "config/text_util.h"
#include "counters/list_rewrite.h"

namespace zunt {

namespace {

// The field's text before it, aligned at column `t`: padded with blanks
// when short; when long, trailing blanks are given up one at a time while
// two stand at the end, so a long name keeps one blank before the field.
void align_prefix(std::string& prefix, std::size_t t) {
    if (prefix.size() < t) {
        prefix.append(t - prefix.size(), ' ');
        return;
    }
    while (prefix.size() > t && prefix.size() >= 2 && prefix[prefix.size() - 1] == ' ' &&
           prefix[prefix.size() - 2] == ' ')
        prefix.pop_back();
}

std::string name_word_of(std::string_view line) {
    return std::string(line.substr(0, line.find(' ')));
}

void append_continuation(DownloadRecord& record, const std::string& line) {
    if (record.text3) {
        *record.text3 += '\n';
        *record.text3 += line;
    } else {
        record.text3 = line;
    }
}

void write_record(const DownloadRecord& record, std::vector<std::string>& out) {
    out.push_back(record.text1);
    if (!record.text3) return;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = record.text3->find('\n', start);
        out.push_back(record.text3->substr(start, nl - start));
        if (nl == std::string::npos) return;
        start = nl + 1;
    }
}

// The statistics name of a file line: the download directory and the name
// word; a wildcard name stands for the first file it matches, when there is
// one.
std::string statistics_name(Env& env, const std::string& download_dir, const std::string& word) {
    std::string name = download_dir + word;
    if (name.find_first_of("?*") != std::string::npos) {
        FoundFile found;
        if (env.find_first(name, found) == 0) {
            const PathParts parts = split_path(name);
            name = parts.drive + parts.dir + found.name;
        }
    }
    to_lower_ascii(name);
    return name;
}

void record_count(InitContext& ctx, const std::string& download_dir, const std::string& word,
                  long long count) {
    const std::string name = statistics_name(ctx.env, download_dir, word);
    const auto now = static_cast<std::uint32_t>(ctx.env.now());
    if (update_stat_entry(ctx.stats, name, StatUpdate::set, count, now) ==
        StatUpdateResult::recorded)
        return;
    ctx.log.write(kNotice, "ZUNT Warning! Maximum file length in stat file is 80 characters");
    ctx.log.write(kNotice, strprintf("\"%s\" not written to stat file.", name.c_str()));
}

std::string date_key(Env& env, const std::string& download_dir, const std::string& word) {
    FoundFile found;
    if (env.find_first(download_dir + word, found) != 0) return kMissingFileDateKey;
    return format_date_key(found.dos_date, found.dos_time);
}

InitHooks hooks_for(InitContext& ctx, const std::string& download_dir) {
    InitHooks hooks;
    if (ctx.settings.statistics_path)
        hooks.record_count = [&ctx, &download_dir](const std::string& word, long long count) {
            record_count(ctx, download_dir, word, count);
        };
    hooks.date_key = [&ctx, &download_dir](const std::string& word) {
        return date_key(ctx.env, download_dir, word);
    };
    return hooks;
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
    if (line.empty()) return LineKind::separator;
    const auto first = static_cast<unsigned char>(line[0]);
    if (first == ' ' || first == '+') return LineKind::continuation;
    if (first == '-') return LineKind::separator;
    if ((first < 0x20 && first != '\t') || first == 0x7F) return LineKind::separator;
    return LineKind::file;
}

RebuiltLine rebuild_file_line(std::string line, const InitOptions& options) {
    strip_line_end(line);
    RebuiltLine out;
    out.name_word = name_word_of(line);
    const std::size_t d = find_description_start(line);
    if (auto field = find_counter_field(line, d, ClosingRule::any_style)) {
        out.count = field->value;
        out.line = line.substr(0, d);
        align_prefix(out.line, static_cast<std::size_t>(options.format.tabulate_column));
        out.line += format_counter_field(options.format, field->value);
        out.line.append(line, field->close_pos + 1, std::string::npos);
    } else {
        out.line = insert_counter_field(options.format, line, d, 0);
    }
    if (options.max_desc_len > 0 && out.line.size() > static_cast<std::size_t>(options.max_desc_len))
        out.line.resize(static_cast<std::size_t>(options.max_desc_len));
    return out;
}

std::string format_date_key(std::uint16_t dos_date, std::uint16_t dos_time) {
    return strprintf("%05u%05u", static_cast<unsigned>(dos_date), static_cast<unsigned>(dos_time));
}

void flush_file_block(FileBlock& block, std::vector<std::string>& out, const InitOptions& options,
                      const InitHooks& hooks) {
    if (block.empty()) return;
    if (options.sort_by == 1) {
        list_sort(block, 1, options.sort_order);
    } else if (options.sort_by == 2) {
        for (DownloadRecord& r : block)
            r.text2 = hooks.date_key ? hooks.date_key(name_word_of(r.text1)) : kMissingFileDateKey;
        list_sort(block, 2, options.sort_order);
    }
    for (const DownloadRecord& r : block) write_record(r, out);
    list_free(block);
}

std::vector<std::string> rebuild_list_lines(std::vector<std::string> lines,
                                            const InitOptions& options, const InitHooks& hooks) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    FileBlock block;
    for (std::string& line : lines) {
        if (options.kill_hard_space) replace_hard_spaces(line);
        switch (classify_line(line)) {
            case LineKind::continuation:
                // Continuation lines travel with their file line when a
                // block is sorted; with no file line before them they stay put.
                if (!block.empty()) {
                    append_continuation(block.back(), line);
                    break;
                }
                [[fallthrough]];
            case LineKind::separator:
                flush_file_block(block, out, options, hooks);
                out.push_back(std::move(line));
                break;
            case LineKind::file: {
                RebuiltLine rebuilt = rebuild_file_line(std::move(line), options);
                if (rebuilt.count != 0 && hooks.record_count)
                    hooks.record_count(rebuilt.name_word, rebuilt.count);
                list_append(block, std::move(rebuilt.line));
                break;
            }
        }
    }
    flush_file_block(block, out, options, hooks);
    return out;
}

InitResult init_files_bbs(InitContext& ctx, const std::string& list_path,
                          const std::string& download_dir) {
    const InitOptions options = init_options_from(ctx.settings);
    const InitHooks hooks = hooks_for(ctx, download_dir);
    const RewriteResult r =
        rewrite_list(ctx.env, list_path, Share::exclusive, [&](std::vector<std::string>& lines) {
            lines = rebuild_list_lines(std::move(lines), options, hooks);
        });
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
