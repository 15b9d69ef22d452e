#include "logscan/log_scanner.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "config/text_util.h"
#include "logscan/ignored_dirs.h"
#include "logscan/log_line.h"
#include "logscan/log_stretch.h"

namespace zunt {

namespace {

// What one scan collects while it reads.
struct ScanWork {
    DownloadSeq& downloads;
    IgnoredDirs& ignored;
    ScanPosition position;
    std::string uploader;  // from this log's last "U#=" line
    std::vector<std::string> uploads;
    long count = 0;
};

// How much a scan had taken when it read a line equal to the one it looks
// for: all of it is dropped again at the end, as if reading had begun
// right after that line.
struct TakenMark {
    bool found = false;  // a flag of its own: a match at offset 0 is a match
    std::size_t downloads = 0;
    std::size_t uploads = 0;
    long count = 0;
};

// Adds a stretch's takings to the scan, as if its lines were read now.
void add_takings(ScanWork& w, TakenMark& mark, const Stretch& s) {
    std::vector<std::string_view> batch;
    for (const Stretch::Taking& t : s.takings) {
        const std::string_view text = std::string_view(s.text).substr(t.begin, t.end - t.begin);
        switch (t.kind) {
            case Stretch::Kind::counted:
            case Stretch::Kind::download:
                if (w.ignored.holds(text)) break;
                if (t.kind == Stretch::Kind::counted) ++w.count;
                batch.push_back(text);
                break;
            case Stretch::Kind::uploader: w.uploader = text; break;
            case Stretch::Kind::upload: w.uploads.push_back(upload_entry(text, w.uploader)); break;
            case Stretch::Kind::match:
                w.downloads.append_all(batch);
                batch.clear();
                mark = {true, w.downloads.size(), w.uploads.size(), w.count};
                // Reading on after the line knows no uploader yet.
                w.uploader.clear();
                break;
        }
    }
    w.downloads.append_all(batch);
    if (s.has_last) w.position = s.last;
}

// A block is cut into pieces of about this many bytes, at line ends, that
// the threads take one after the other: a thread that is done with the
// scan's own work takes more of them, so that no thread waits for another.
constexpr std::size_t kPieceBytes = 256 << 10;

// The threads that read pieces of a block at once: one for each core, up to
// a few (the reading soon waits for memory, not for cores).
std::size_t reading_threads() {
    static const std::size_t n = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    return n;
}

// The blocks of a log: each block's pieces are read by several threads at
// once while this thread adds the takings of the block before to the scan,
// then reads pieces too. Stretches keep their room from block to block.
class BlockReader {
public:
    BlockReader(const LineRules& rules, ScanWork& w, TakenMark& mark)
        : rules_(rules), w_(w), mark_(mark) {}

    // Reads whole lines standing at `offset`; true when the log ends in a
    // block read so far, and nothing after it counts.
    bool read(std::string_view bytes, std::uint64_t offset) {
        std::vector<Stretch>& stretches = stretches_[next_];
        std::vector<std::size_t>& ends = ends_[next_];
        cut(bytes, ends);
        if (stretches.size() < ends.size()) stretches.resize(ends.size());
        std::atomic<std::size_t> taken{0};
        const auto take_pieces = [&] {
            for (std::size_t k; (k = taken++) < ends.size();) {
                const std::size_t begin = k == 0 ? 0 : ends[k - 1];
                read_bytes(bytes.substr(begin, ends[k] - begin), offset + begin, rules_, stretches[k]);
            }
        };
        std::vector<std::future<void>> others;
        for (std::size_t t = 1; t < reading_threads() && t < ends.size(); ++t)
            others.push_back(std::async(std::launch::async | std::launch::deferred, take_pieces));
        const bool ended = add_pending();
        take_pieces();
        for (std::future<void>& other : others) other.get();
        pending_ = true;
        next_ ^= 1;
        return ended;
    }

    // Adds the takings of the last block read; true when the log ended in it.
    bool add_pending() {
        if (!pending_) return false;
        pending_ = false;
        const int last = next_ ^ 1;
        for (std::size_t k = 0; k < ends_[last].size(); ++k) {
            add_takings(w_, mark_, stretches_[last][k]);
            if (stretches_[last][k].ended) return true;
        }
        return false;
    }

private:
    // Where each piece of `bytes` ends: after the first line end at or past
    // every kPieceBytes, the last piece ending with the bytes.
    static void cut(std::string_view bytes, std::vector<std::size_t>& ends) {
        ends.clear();
        for (std::size_t at = kPieceBytes; at < bytes.size(); at = ends.back() + kPieceBytes) {
            const std::size_t lf = bytes.find('\n', at - 1);
            if (lf == std::string_view::npos || lf + 1 >= bytes.size()) break;
            ends.push_back(lf + 1);
        }
        ends.push_back(bytes.size());
    }

    const LineRules& rules_;
    ScanWork& w_;
    TakenMark& mark_;
    std::array<std::vector<Stretch>, 2> stretches_;
    std::array<std::vector<std::size_t>, 2> ends_;
    int next_ = 0;
    bool pending_ = false;
};

// Reads lines straight from the file, a bounded number of takings at a
// time: for a log with a line longer than the room for two blocks.
Errno read_by_lines(File& file, std::uint64_t offset, const LineRules& rules, ScanWork& w,
                    TakenMark& mark) {
    LineReader reader(file, 0);
    if (Errno e = reader.seek(offset)) return e;
    for (bool more = true; more;) {
        Stretch s;
        more = read_stretch(reader, rules, s, 4096);
        add_takings(w, mark, s);
    }
    return reader.error();
}

// Reads `n` bytes at `offset`, or as many as the file still has there.
Errno read_part(File& file, std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) {
    got = 0;
    while (got < n) {
        std::size_t part = 0;
        if (Errno e = file.read_at(offset + got, buf + got, n - got, part)) return e;
        if (part == 0) break;
        got += part;
    }
    return 0;
}

// Parts of a read smaller than this are not worth a thread of their own.
constexpr std::size_t kReadPart = 1 << 20;

// Reads `n` bytes at `offset`, or as many as the file still has there, in
// parts read by several threads at once: copying the log out of the file
// cache is the one thing the threads would otherwise wait for. `got` says
// how many bytes follow one another from `buf`: a part read short ended the
// file, and what a later part found (the log grew meanwhile) waits for the
// next read.
Errno read_fully(File& file, std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) {
    const std::size_t parts = std::clamp<std::size_t>(n / kReadPart, 1, reading_threads());
    const std::size_t each = (n + parts - 1) / parts;
    std::vector<std::size_t> part_got(parts, 0);
    std::vector<Errno> part_error(parts, 0);
    const auto read_one = [&](std::size_t k) {
        const std::size_t from = k * each;
        part_error[k] = read_part(file, offset + from, buf + from, std::min(each, n - from), part_got[k]);
    };
    std::vector<std::future<void>> others;
    for (std::size_t k = 1; k < parts; ++k)
        others.push_back(std::async(std::launch::async | std::launch::deferred, read_one, k));
    read_one(0);
    for (std::future<void>& other : others) other.get();
    got = 0;
    for (std::size_t k = 0; k < parts; ++k) {
        if (part_error[k] != 0) return part_error[k];
        got += part_got[k];
        if (part_got[k] < std::min(each, n - k * each)) break;
    }
    return 0;
}

constexpr std::size_t kBlock = 4 << 20;

// Reads the log from `offset` to its end in blocks of whole lines.
Errno read_log(File& file, std::uint64_t offset, std::uint64_t size, const LineRules& rules,
               ScanWork& w, TakenMark& mark) {
    // Room for two blocks, or for what the log still holds (and one byte to
    // meet its end): most runs read a few lines of each log.
    const std::size_t room = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(size > offset ? size - offset + 1 : 1, 1 << 16, 2 * kBlock));
    const std::unique_ptr<char[]> buf(new char[room]);
    BlockReader blocks(rules, w, mark);
    std::size_t held = 0;  // the unfinished line carried over
    for (;;) {
        if (held == room) {  // a line longer than the room
            if (blocks.add_pending()) return 0;
            return read_by_lines(file, offset, rules, w, mark);
        }
        const std::size_t want = std::min(kBlock, room - held);
        std::size_t got = 0;
        if (Errno e = read_fully(file, offset + held, buf.get() + held, want, got)) return e;
        held += got;
        const bool at_end = got < want;
        const std::string_view bytes(buf.get(), held);
        const std::size_t last_lf = bytes.rfind('\n');
        if (!at_end && last_lf == std::string_view::npos) continue;
        const std::size_t whole = at_end ? held : last_lf + 1;
        if (blocks.read(bytes.substr(0, whole), offset)) return 0;
        if (at_end) {
            blocks.add_pending();
            return 0;
        }
        std::memmove(buf.get(), buf.get() + whole, held - whole);
        held -= whole;
        offset += whole;
    }
}

// Drops what was taken up to and including the marked line.
void drop_until(ScanWork& w, const TakenMark& mark, std::size_t first_download) {
    if (!mark.found) return;
    if (mark.downloads > first_download) {
        std::vector<bool> keep(w.downloads.size(), true);
        for (std::size_t i = first_download; i < mark.downloads; ++i) keep[i] = false;
        w.downloads.keep_if(keep);
    }
    w.uploads.erase(w.uploads.begin(), w.uploads.begin() + static_cast<std::ptrdiff_t>(mark.uploads));
    w.count -= mark.count;
}

// Every position file named gets the log's new position, also when the
// log was met before under another name.
void stage(ScanStaging& staging, const std::string& log_path, const std::string& position_path,
           const std::string& position_key, const std::optional<FileId>& log_id, ScanWork& w,
           std::size_t first_download) {
    StagedPosition* s = staging.find(position_key, std::nullopt);
    if (!s) {
        staging.logs.push_back({log_path, position_path, position_key, log_id, {}, {}, 0});
        s = &staging.logs.back();
    }
    s->position = w.position;
    if (w.downloads.size() > first_download)
        s->downloads.emplace_back(first_download, w.downloads.size());
    s->counted += w.count;
    const std::size_t index = static_cast<std::size_t>(s - staging.logs.data());
    for (std::string& u : w.uploads) staging.uploads.push_back({index, std::move(u)});
}

}  // namespace

StagedPosition* ScanStaging::find(const std::string& position_key,
                                  const std::optional<FileId>& log_id) {
    for (StagedPosition& s : logs)
        if (s.position_key == position_key || (log_id && s.log_id == log_id)) return &s;
    return nullptr;
}

ScanResult scan_log(Env& env, const ControlSettings& settings, ActivityLog& log,
                    bool force_full_scan, const std::string& log_path, DownloadSeq& downloads,
                    ScanStaging& staging) {
    if (has_position_file_extension(log_path)) return {ScanStatus::position_name, 0, 0};
    std::unique_ptr<File> file;
    if (Errno e = env.open(log_path, Access::read, Share::deny_none, file))
        return {ScanStatus::cannot_open, 0, e};
    std::uint64_t size = 0;
    if (Errno e = file->size(size)) return {ScanStatus::cannot_open, 0, e};

    const std::string position_path = scan_position_path(settings.log_list, log_path);
    const std::string position_key = env.path_key(position_path);
    // A log met again in this run, under its own name or another, goes on
    // from where its first scan ended, even with /f: it must not be
    // counted twice.
    const std::optional<FileId> log_id = env.file_id(log_path);
    std::optional<ScanPosition> remembered;
    if (const StagedPosition* s = staging.find(position_key, log_id)) {
        remembered = s->position;
    } else if (!force_full_scan) {
        Errno unreadable = 0;
        remembered = load_scan_position(env, position_path, unreadable);
        if (unreadable != 0) {
            env.set_last_error(unreadable);
            return {ScanStatus::cannot_open, 0, unreadable};
        }
    }

    LineReader reader(*file);
    ScanStart start = check_remembered_line(log, reader, size, remembered);
    IgnoredDirs ignored(env, settings.ignore_paths);
    ScanWork work{downloads, ignored, start.last, {}, {}, 0};
    const std::size_t first_download = downloads.size();
    const bool whole = start.kind == ScanStartKind::from_start;
    const LineRules rules{settings, download_tokens(settings.mailer_strings),
                          settings.upload_log_path.has_value(), whole ? &start.last.text : nullptr};
    TakenMark mark;
    if (Errno e = read_log(*file, start.read_from, size, rules, work, mark)) {
        // Nothing of a log that could not be read to its end is kept.
        downloads.truncate(first_download);
        env.set_last_error(e);
        return {ScanStatus::cannot_open, 0, e};
    }
    file->close();
    drop_until(work, mark, first_download);
    stage(staging, log_path, position_path, position_key, log_id, work, first_download);
    return {ScanStatus::scanned, work.count, 0};
}

PositionsStaged stage_scan_positions(Transaction& changes, ActivityLog& log, ScanStaging& staging,
                                     const std::optional<std::string>& upload_log_path,
                                     DownloadSeq& downloads) {
    PositionsStaged result;
    std::vector<CommitFailure>& failures = result.failures;
    std::vector<bool> failed(staging.logs.size(), false);
    std::vector<bool> drop(downloads.size(), false);
    for (std::size_t i = 0; i < staging.logs.size(); ++i) {
        const StagedPosition& s = staging.logs[i];
        Errno e = changes.replace(s.position_path, encode_scan_position(s.position));
        if (e == 0) continue;
        failed[i] = true;
        for (const auto& [first, last] : s.downloads)
            for (std::size_t k = first; k < last && k < drop.size(); ++k) drop[k] = true;
        failures.push_back({s.log_path, s.position_path, e, s.counted});
        log.write(kError, strprintf("ZUNT Couldn't write scan position file %s, rc=%d - "
                                    "%ld downloads of %s left for the next run",
                                    s.position_path.c_str(), e, s.counted, s.log_path.c_str()));
    }
    std::string lines;
    for (const StagedUpload& u : staging.uploads)
        if (u.log < failed.size() && !failed[u.log]) lines += u.entry + "\r\n";
    if (upload_log_path && !lines.empty()) result.upload_error = changes.append(*upload_log_path, lines);
    if (!failures.empty()) {
        drop.flip();
        downloads.keep_if(drop);
    }
    staging = ScanStaging{};
    return result;
}

}  // namespace zunt
