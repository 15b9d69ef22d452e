#include "counters/list_rewrite.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/text_util.h"

namespace zunt {

namespace {

constexpr char kCtrlZ = 0x1A;

// Reads the rest of an open file into `out`, straight into its storage
// (which is kept from an earlier use).
Errno read_all(File& file, std::string& out) {
    std::uint64_t size = 0;
    // One byte over the size, so that the read after the last one meets the
    // end at once.
    std::size_t want = 1 << 16;
    if (file.size(size) == 0) want = static_cast<std::size_t>(size) + 1;
    out.resize(std::max(out.capacity(), want));
    std::size_t have = 0;
    for (;;) {
        if (have == out.size()) out.resize(out.size() * 2);
        std::size_t got = 0;
        const Errno e = file.read(out.data() + have, out.size() - have, got);
        if (e != 0 || got == 0) {
            out.resize(have);
            return e;
        }
        have += got;
    }
}

}  // namespace

std::string backup_name_for(const std::string& list_path) {
    const PathParts parts = split_path(list_path);
    return parts.drive + parts.dir + parts.name + ".bak";
}

bool is_backup_name(const std::string& list_path) {
    return lower_ascii(split_path(list_path).ext) == ".bak";
}

void list_line_views(std::string_view bytes, std::vector<std::string_view>& lines) {
    lines.clear();
    while (!bytes.empty() && bytes.back() == kCtrlZ) bytes.remove_suffix(1);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
        std::size_t next = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (lf != std::string_view::npos && end > start && bytes[end - 1] == '\r') --end;
        lines.push_back(bytes.substr(start, end - start));
        start = next;
    }
}

void join_list_lines(const std::vector<std::string>& lines, std::string& out) {
    std::size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    out.clear();
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
}

RewriteResult read_list(Env& env, const Transaction& changes, const std::string& list_path,
                        Share share, std::string& bytes) {
    if (is_backup_name(list_path)) return RewriteResult::rename_failed;
    // The run's own temporary file is still open for writing until the
    // commit: it is read without keeping that out.
    const std::string path = changes.current_path(list_path);
    std::unique_ptr<File> list;
    if (env.open(path, Access::read, path == list_path ? share : Share::deny_none, list) != 0)
        return RewriteResult::rename_failed;
    if (Errno e = read_all(*list, bytes)) {
        env.set_last_error(e);
        return RewriteResult::read_failed;
    }
    list->close();
    return RewriteResult::ok;
}

RewriteResult stage_list(Transaction& changes, const std::string& list_path,
                         std::string_view new_bytes, std::string_view old_bytes,
                         const std::string* backup) {
    const std::string bak = backup_name_for(list_path);
    // The list as it stands on disk gets a second name as its backup; a
    // list this run changed already is read from its temporary file, which
    // is written anew, so its backup gets the bytes as read.
    const bool on_disk = !backup && !changes.changes(list_path);
    // The ".bak" goes first, so that it is renamed before its list.
    const Errno e = on_disk ? changes.keep_copy(list_path, bak)
                            : changes.replace(bak, backup ? std::string_view(*backup) : old_bytes);
    if (e != 0) return RewriteResult::rename_failed;
    if (changes.replace(list_path, new_bytes) != 0) {
        changes.drop(bak);
        return RewriteResult::create_failed;
    }
    return RewriteResult::ok;
}

}  // namespace zunt
