#include "logscan/log_scanner.h"

#include <algorithm>
#include <memory>

#include "config/text_util.h"
#include "logscan/log_line.h"

namespace zunt {

namespace {

// What one scan collects while it reads.
struct ScanWork {
    const ControlSettings& settings;
    std::vector<std::string> tokens;
    DownloadSeq& downloads;
    ScanPosition position;
    std::string uploader;  // from this log's last "U#=" line
    std::vector<std::string> uploads;
    long count = 0;
};

void take_uploads(ScanWork& w, const std::string& line) {
    if (line.find("U#=") != std::string::npos) w.uploader = uploader_of(line);
    if (line.find("UL-") != std::string::npos) w.uploads.push_back(upload_entry(line, w.uploader));
}

void take_download(ScanWork& w, const std::string& line, std::string& path) {
    LineDownload d = find_download(line, w.tokens, w.settings.ignore_paths, path);
    if (d != LineDownload::listed && d != LineDownload::counted) return;
    w.downloads.append(path);
    if (d == LineDownload::counted) ++w.count;
}

// How much a scan had taken when it read a line equal to the one it looks
// for: all of it is dropped again at the end, as if reading had begun
// right after that line.
struct TakenMark {
    bool found = false;  // a flag of its own: a match at offset 0 is a match
    std::size_t downloads = 0;
    std::size_t uploads = 0;
    long count = 0;
};

void mark_match(ScanWork& w, TakenMark& mark, std::uint64_t at, const std::string& line) {
    mark = {true, w.downloads.size(), w.uploads.size(), w.count};
    w.position.offset = at;
    w.position.text = line;
    // Reading on after the line knows no uploader yet.
    w.uploader.clear();
}

// Reads from the reader's place to the end of the log. The last non-empty
// line read becomes the position to save (swapped in, not copied). With
// `sought`, every line equal to it is marked (the last one wins), so that
// a log read from its start for its remembered line is read only once.
TakenMark read_log(LineReader& reader, ScanWork& w, const std::string* sought) {
    const bool uploads = w.settings.upload_log_path.has_value();
    TakenMark mark;
    std::string line, path;
    for (;;) {
        std::uint64_t at = reader.offset();
        if (!read_complete_line(reader, line)) break;
        const bool match = sought && line == *sought;
        if (!line.empty()) {
            if (uploads) take_uploads(w, line);
            take_download(w, line, path);
        }
        if (match) {
            mark_match(w, mark, at, line);
        } else if (!line.empty()) {
            w.position.offset = at;
            std::swap(w.position.text, line);
        }
    }
    return mark;
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

void stage(ScanStaging& staging, const std::string& log_path, const std::string& position_path,
           ScanWork& w, std::size_t first_download) {
    StagedPosition* s = staging.find(position_path);
    if (!s) {
        staging.logs.push_back({log_path, position_path, {}, {}, 0});
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

StagedPosition* ScanStaging::find(const std::string& position_path) {
    const std::string key = lower_ascii(position_path);
    for (StagedPosition& s : logs)
        if (lower_ascii(s.position_path) == key) return &s;
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
    // A log met again in this run goes on from where its first scan ended,
    // even with /f: it must not be counted twice.
    std::optional<ScanPosition> remembered;
    if (const StagedPosition* s = staging.find(position_path)) {
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
    ScanWork work{settings, download_tokens(settings.mailer_strings), downloads, start.last, {}, {}, 0};
    const std::size_t first_download = downloads.size();
    reader.seek(start.read_from);
    const bool whole = start.kind == ScanStartKind::from_start;
    TakenMark mark = read_log(reader, work, whole ? &start.last.text : nullptr);
    if (Errno e = reader.error()) {
        // Nothing of a log that could not be read to its end is kept.
        downloads.truncate(first_download);
        env.set_last_error(e);
        return {ScanStatus::cannot_open, 0, e};
    }
    file->close();
    drop_until(work, mark, first_download);
    stage(staging, log_path, position_path, work, first_download);
    return {ScanStatus::scanned, work.count, 0};
}

std::vector<CommitFailure> commit_scan_positions(Env& env, ActivityLog& log, ScanStaging& staging,
                                                 TextWriter* upload_log, DownloadSeq& downloads) {
    std::vector<CommitFailure> failures;
    std::vector<bool> failed(staging.logs.size(), false);
    std::vector<bool> drop(downloads.size(), false);
    for (std::size_t i = 0; i < staging.logs.size(); ++i) {
        const StagedPosition& s = staging.logs[i];
        Errno e = save_scan_position(env, s.position_path, s.position);
        if (e == 0) continue;
        failed[i] = true;
        for (const auto& [first, last] : s.downloads)
            for (std::size_t k = first; k < last && k < drop.size(); ++k) drop[k] = true;
        failures.push_back({s.log_path, s.position_path, e, s.counted});
        log.write(kError, strprintf("ZUNT Couldn't write scan position file %s, rc=%d - "
                                    "%ld downloads of %s left for the next run",
                                    s.position_path.c_str(), e, s.counted, s.log_path.c_str()));
    }
    if (upload_log) {
        for (const StagedUpload& u : staging.uploads)
            if (u.log < failed.size() && !failed[u.log]) upload_log->write_line(u.entry);
    }
    if (!failures.empty()) {
        drop.flip();
        downloads.keep_if(drop);
    }
    staging = ScanStaging{};
    return failures;
}

}  // namespace zunt
