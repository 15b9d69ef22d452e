#include "counters/list_rewrite.h"

#include <memory>

#include "config/text_util.h"
#include "platform/text_io.h"

namespace zunt {

namespace {

constexpr char kCtrlZ = 0x1A;

// Reads the rest of an open file into `out`.
Errno read_all(File& file, std::string& out) {
    out.clear();
    std::uint64_t size = 0;
    if (file.size(size) == 0) out.reserve(static_cast<std::size_t>(size));
    std::string chunk(1 << 16, '\0');
    for (;;) {
        std::size_t got = 0;
        if (Errno e = file.read(chunk.data(), chunk.size(), got)) return e;
        if (got == 0) return 0;
        out.append(chunk.data(), got);
    }
}

// Creates `path` with exactly `bytes`, synced and closed; on any failure the
// half-written file is removed.
Errno write_new_file(Env& env, const std::string& path, Share share, std::string_view bytes) {
    std::unique_ptr<File> f;
    Errno e = env.open(path, Access::create, share, f);
    if (e == 0) e = f->write(bytes.data(), bytes.size());
    if (e == 0) e = f->sync();
    if (e == 0) e = f->close();
    f.reset();
    if (e != 0) {
        env.remove(path);
        env.set_last_error(e);
    }
    return e;
}

// Removes leftovers of a failed step without losing the step's error number.
void clean_up(Env& env, std::initializer_list<const std::string*> paths) {
    const Errno keep = env.last_error();
    for (const std::string* p : paths) env.remove(*p);
    env.set_last_error(keep);
}

// Makes `bak` hold the list as it stands (or `staged` bytes), replacing an
// older backup in one rename so that a backup of some age always exists.
Errno make_backup(Env& env, const std::string& list_path, const std::string& bak, Share share,
                  const std::optional<std::string>& staged) {
    const std::string bak_tmp = temp_name_for(bak);
    Errno e;
    if (staged) {
        e = write_new_file(env, bak_tmp, share, *staged);
    } else {
        clean_up(env, {&bak_tmp});  // a leftover of an interrupted run
        e = env.link_or_copy(list_path, bak_tmp);
    }
    if (e == 0) e = env.rename(bak_tmp, bak);
    if (e != 0) clean_up(env, {&bak_tmp});
    return e;
}

}  // namespace

std::string backup_name_for(const std::string& list_path) {
    const PathParts parts = split_path(list_path);
    return parts.drive + parts.dir + parts.name + ".bak";
}

bool is_backup_name(const std::string& list_path) {
    return lower_ascii(split_path(list_path).ext) == ".bak";
}

std::vector<std::string> split_list_bytes(std::string_view bytes) {
    while (!bytes.empty() && bytes.back() == kCtrlZ) bytes.remove_suffix(1);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
        std::size_t next = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (lf != std::string_view::npos && end > start && bytes[end - 1] == '\r') --end;
        lines.emplace_back(bytes.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::string join_list_lines(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

RewriteResult rewrite_list_staged(Env& env, const std::string& list_path, Share share,
                                  const StagedTransform& transform) {
    if (is_backup_name(list_path)) return RewriteResult::rename_failed;

    std::string old_bytes;
    {
        std::unique_ptr<File> list;
        if (env.open(list_path, Access::read, share, list) != 0) return RewriteResult::rename_failed;
        if (Errno e = read_all(*list, old_bytes)) {
            env.set_last_error(e);
            return RewriteResult::read_failed;
        }
        list->close();
    }

    std::vector<std::string> lines = split_list_bytes(old_bytes);
    old_bytes = std::string();
    std::optional<std::string> staged_backup;
    transform(lines, staged_backup);

    const std::string temp = temp_name_for(list_path);
    if (write_new_file(env, temp, share, join_list_lines(lines)) != 0)
        return RewriteResult::create_failed;

    if (make_backup(env, list_path, backup_name_for(list_path), share, staged_backup) != 0 ||
        env.rename(temp, list_path) != 0) {
        clean_up(env, {&temp});
        return RewriteResult::rename_failed;
    }
    return RewriteResult::ok;
}

RewriteResult rewrite_list(Env& env, const std::string& list_path, Share share,
                           const LineTransform& transform) {
    return rewrite_list_staged(env, list_path, share,
                               [&](std::vector<std::string>& lines, std::optional<std::string>&) {
                                   transform(lines);
                               });
}

}  // namespace zunt
