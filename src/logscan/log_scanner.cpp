#include "logscan/log_scanner.h"

#include <memory>

#include "config/text_util.h"
#include "logscan/ignored_dirs.h"
#include "logscan/log_line.h"
#include "logscan/log_pieces.h"
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
    std::vector<std::string_view> batch;  // room kept from stretch to stretch
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
    std::vector<std::string_view>& batch = w.batch;
    batch.clear();
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
    ScanWork work{downloads, ignored, start.last, {}, {}, 0, {}};
    const std::size_t first_download = downloads.size();
    const bool whole = start.kind == ScanStartKind::from_start;
    const LineRules rules{settings, download_tokens(settings.mailer_strings),
                          settings.upload_log_path.has_value(), whole ? &start.last.text : nullptr};
    TakenMark mark;
    const auto take = [&](const Stretch& s) { add_takings(work, mark, s); };
    if (Errno e = read_log(*file, start.read_from, size, rules, take)) {
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
