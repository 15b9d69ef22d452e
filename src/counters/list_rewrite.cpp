#include "counters/list_rewrite.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/text_util.h"
#include "platform/text_io.h"

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

// A new file written beside the list, on its way to storage.
struct NewFile {
    std::string path;
    std::unique_ptr<File> file;
};

// Drops a new file after a failed step, keeping the step's error number.
Errno drop(Env& env, NewFile& f, Errno e) {
    f.file.reset();
    env.remove(f.path);
    env.set_last_error(e);
    return e;
}

// Creates `f.path` with exactly `bytes` and lets them start for the disk.
Errno begin_new_file(Env& env, NewFile& f, Share share, std::string_view bytes) {
    Errno e = env.open(f.path, Access::create, share, f.file);
    if (e == 0) e = f.file->write(bytes.data(), bytes.size());
    if (e != 0) return drop(env, f, e);
    f.file->start_sync();
    return 0;
}

// Waits until the new file is on the disk, and closes it.
Errno finish_new_file(Env& env, NewFile& f) {
    Errno e = f.file->sync();
    if (e == 0) e = f.file->close();
    if (e != 0) return drop(env, f, e);
    f.file.reset();
    return 0;
}

// Removes leftovers of a failed step without losing the step's error number.
void clean_up(Env& env, std::initializer_list<const std::string*> paths) {
    const Errno keep = env.last_error();
    for (const std::string* p : paths) env.remove(*p);
    env.set_last_error(keep);
}

// Makes `bak` hold the list as it stands (or `staged`, the backup's bytes
// already written beside it), replacing an older backup in one rename so
// that a backup of some age always exists.
Errno make_backup(Env& env, const std::string& list_path, const std::string& bak,
                  NewFile* staged) {
    const std::string bak_tmp = temp_name_for(bak);
    Errno e;
    if (staged) {
        e = finish_new_file(env, *staged);
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

std::vector<std::string_view> list_line_views(std::string_view bytes) {
    std::vector<std::string_view> lines;
    list_line_views(bytes, lines);
    return lines;
}

std::vector<std::string> split_list_bytes(std::string_view bytes) {
    const std::vector<std::string_view> views = list_line_views(bytes);
    return std::vector<std::string>(views.begin(), views.end());
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

std::string join_list_lines(const std::vector<std::string>& lines) {
    std::string out;
    join_list_lines(lines, out);
    return out;
}

namespace {

// Reads the whole list, held with `share`; rename_failed when it cannot be
// opened, read_failed when reading fails.
RewriteResult read_list(Env& env, const std::string& list_path, Share share, std::string& bytes) {
    if (is_backup_name(list_path)) return RewriteResult::rename_failed;
    std::unique_ptr<File> list;
    if (env.open(list_path, Access::read, share, list) != 0) return RewriteResult::rename_failed;
    if (Errno e = read_all(*list, bytes)) {
        env.set_last_error(e);
        return RewriteResult::read_failed;
    }
    list->close();
    return RewriteResult::ok;
}

// Makes the old list (or `staged`) the backup and gives the new list,
// complete in `temp`, the list's name.
RewriteResult install_new_list(Env& env, const std::string& list_path, const std::string& temp,
                               NewFile* staged) {
    if (make_backup(env, list_path, backup_name_for(list_path), staged) != 0 ||
        env.rename(temp, list_path) != 0) {
        clean_up(env, {&temp});
        return RewriteResult::rename_failed;
    }
    return RewriteResult::ok;
}

// Writes the new list beside the old one and puts it in the old one's place.
// A staged backup is written while the new list is on its way to the disk,
// so that both are waited for at once.
RewriteResult replace_list(Env& env, const std::string& list_path, Share share,
                           std::string_view new_bytes, const std::optional<std::string>& staged) {
    NewFile list{temp_name_for(list_path), nullptr};
    if (begin_new_file(env, list, share, new_bytes) != 0) return RewriteResult::create_failed;
    NewFile bak{temp_name_for(backup_name_for(list_path)), nullptr};
    Errno bak_error = 0;
    if (staged) bak_error = begin_new_file(env, bak, share, *staged);
    if (finish_new_file(env, list) != 0) {
        if (bak.file) drop(env, bak, env.last_error());
        return RewriteResult::create_failed;
    }
    if (bak_error != 0) {
        clean_up(env, {&list.path});
        return RewriteResult::rename_failed;
    }
    return install_new_list(env, list_path, list.path, staged ? &bak : nullptr);
}

}  // namespace

RewriteResult rewrite_list_staged(Env& env, const std::string& list_path, Share share,
                                  StagedBuffers& b, const StagedTransform& transform) {
    if (RewriteResult r = read_list(env, list_path, share, b.old_bytes); r != RewriteResult::ok) return r;
    list_line_views(b.old_bytes, b.views);
    // Lines already there keep their storage.
    if (b.lines.size() < b.views.size()) b.lines.resize(b.views.size());
    for (std::size_t i = 0; i < b.views.size(); ++i) b.lines[i].assign(b.views[i]);
    b.lines.resize(b.views.size());
    std::optional<std::string> staged_backup;
    transform(b.lines, staged_backup);
    join_list_lines(b.lines, b.new_bytes);
    return replace_list(env, list_path, share, b.new_bytes, staged_backup);
}

RewriteResult rewrite_list_staged(Env& env, const std::string& list_path, Share share,
                                  const StagedTransform& transform) {
    StagedBuffers buffers;
    return rewrite_list_staged(env, list_path, share, buffers, transform);
}

namespace {

// Drops the temporary list after a failed step, keeping the step's error.
RewriteResult give_up(Env& env, std::unique_ptr<File>& temp_file, const std::string& temp,
                      Errno e, RewriteResult code) {
    temp_file.reset();
    env.remove(temp);
    env.set_last_error(e);
    return code;
}

// Pieces of a streamed rewrite's buffers. They live on the stack: a rewrite
// runs once per download, and fresh heap blocks of this size would cost new
// pages every time.
constexpr std::size_t kChunk = 1 << 16;
// Pieces at least this long are written as they come instead of being
// gathered first: a run of unchanged lines goes from the read buffer to the
// file with no copy of ours.
constexpr std::size_t kWriteThrough = 1 << 13;

// The new list written to its temporary file through a buffer; the first
// write error stops all further writing.
class FileSink final : public ListSink {
public:
    FileSink(File& file, char* buffer) : file_(file), buf_(buffer) {}
    void put(std::string_view bytes) override {
        if (error_ != 0) return;
        if (bytes.size() >= kWriteThrough) {
            flush();
            if (error_ == 0) error_ = file_.write(bytes.data(), bytes.size());
            return;
        }
        if (used_ + bytes.size() > kChunk) flush();
        std::memcpy(buf_ + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }
    Errno error() const { return error_; }
    // Writes what is gathered; the first error of all the writes.
    Errno flush() {
        if (error_ == 0 && used_ > 0) error_ = file_.write(buf_, used_);
        used_ = 0;
        return error_;
    }

private:
    File& file_;
    char* buf_;
    std::size_t used_ = 0;
    Errno error_ = 0;
};

// The list read in pieces, handed on in runs of whole lines straight from
// the read buffer. A line longer than the buffer is gathered on the heap.
class BlockReader {
public:
    BlockReader(File& list, char* buffer) : list_(list), buf_(buffer) {}

    // Hands every whole line read so far to `per_block`; false at the end
    // of the list (or with `e` set when reading fails).
    bool next(const LineBlockStream& per_block, ListSink& sink, Errno& e) {
        std::size_t got = 0;
        if ((e = list_.read(buf_ + have_, kChunk - have_, got)) != 0 || got == 0) return false;
        have_ += got;
        std::size_t done = have_;  // just past the last LF
        while (done > 0 && buf_[done - 1] != '\n') --done;
        if (done == 0) {
            if (have_ == kChunk) {  // one line fills the buffer
                long_line_.append(buf_, have_);
                have_ = 0;
            }
            return true;
        }
        std::size_t from = 0;
        if (!long_line_.empty()) {
            from = static_cast<std::size_t>(static_cast<const char*>(std::memchr(buf_, '\n', done)) - buf_) + 1;
            long_line_.append(buf_, from);
            per_block(long_line_, sink);
            long_line_.clear();
        }
        if (done > from) per_block(std::string_view(buf_ + from, done - from), sink);
        std::memmove(buf_, buf_ + done, have_ - done);
        have_ -= done;
        return true;
    }

    // Hands on the last line of the list when it has no LF. Only Ctrl-Z
    // bytes at the very end of the list end it.
    void finish(const LineBlockStream& per_block, ListSink& sink) {
        long_line_.append(buf_, have_);
        have_ = 0;
        std::string_view rest = long_line_;
        while (!rest.empty() && rest.back() == kCtrlZ) rest.remove_suffix(1);
        if (!rest.empty()) per_block(rest, sink);
    }

private:
    File& list_;
    char* buf_;
    std::size_t have_ = 0;  // bytes of a line not yet whole, at the start of buf_
    std::string long_line_;
};

}  // namespace

RewriteResult rewrite_list_streamed(Env& env, const std::string& list_path, Share share,
                                    const LineBlockStream& per_block) {
    if (is_backup_name(list_path)) return RewriteResult::rename_failed;
    std::unique_ptr<File> list, temp_file;
    if (env.open(list_path, Access::read, share, list) != 0) return RewriteResult::rename_failed;
    const std::string temp = temp_name_for(list_path);
    if (Errno e = env.open(temp, Access::create, share, temp_file)) {
        env.set_last_error(e);
        return RewriteResult::create_failed;
    }
    char in[kChunk], out[kChunk];
    BlockReader reader(*list, in);
    FileSink sink(*temp_file, out);
    Errno e = 0;
    while (reader.next(per_block, sink, e))
        if (Errno w = sink.error())
            return give_up(env, temp_file, temp, w, RewriteResult::create_failed);
    if (e != 0) return give_up(env, temp_file, temp, e, RewriteResult::read_failed);
    list->close();
    reader.finish(per_block, sink);
    e = sink.flush();
    if (e == 0) e = temp_file->sync();
    if (e == 0) e = temp_file->close();
    if (e != 0) return give_up(env, temp_file, temp, e, RewriteResult::create_failed);
    temp_file.reset();
    return install_new_list(env, list_path, temp, nullptr);
}

RewriteResult rewrite_list_bytes(Env& env, const std::string& list_path, Share share,
                                 std::string& old_bytes, std::string& new_bytes,
                                 const ByteTransform& transform) {
    if (RewriteResult r = read_list(env, list_path, share, old_bytes); r != RewriteResult::ok) return r;
    new_bytes.clear();
    transform(old_bytes, new_bytes);
    return replace_list(env, list_path, share, new_bytes, std::nullopt);
}

RewriteResult rewrite_list(Env& env, const std::string& list_path, Share share,
                           const LineTransform& transform) {
    return rewrite_list_staged(env, list_path, share,
                               [&](std::vector<std::string>& lines, std::optional<std::string>&) {
                                   transform(lines);
                               });
}

}  // namespace zunt
