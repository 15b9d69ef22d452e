#include "run/counting_pass.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "areas/filesbbs_locator.h"
#include "config/text_util.h"
#include "counters/files_bbs_update.h"
#include "counters/list_rewrite.h"

namespace zunt {

namespace {

bool holds_tic(const std::string& path) { return path.find(".tic") != std::string::npos; }

// A flag per distinct path, worked out once however often it was sent.
std::vector<bool> per_path(const DownloadSeq& list, bool (*test)(const std::string&)) {
    std::vector<bool> flags(list.distinct());
    for (DownloadSeq::Id id = 0; id < flags.size(); ++id) flags[id] = test(list.path_of(id));
    return flags;
}

bool is_tic_file(const std::string& path) { return split_path(path).ext == ".tic"; }

// One distinct file of the pass: a run of equal paths.
struct FileJob {
    std::string path;            // the download's full path
    std::string key;             // its identity key
    long long count = 0;         // its downloads in this run
    std::string file_directory;  // drive and directory
    std::string name, ext;       // ext as the locator left it
    int located = kLocateNotFound;
    std::string files_bbs_path;

    std::string file_name() const { return name + ext; }
    // The statistics name and its key; a relaxed maxfiles.idx match may
    // have changed the extension.
    std::string stat_path() const { return file_directory + file_name(); }
};

FileJob locate(RunContext& ctx, const PassTables& t, std::string path, std::string key,
               long long count) {
    FileJob job;
    PathParts parts = split_path(path);
    job.path = std::move(path);
    job.key = std::move(key);
    job.count = count;
    job.file_directory = parts.drive + parts.dir;
    job.name = std::move(parts.name);
    job.ext = std::move(parts.ext);
    job.located = locate_filesbbs(ctx.env, ctx.settings, t.areas, t.maxfiles, job.path, job.key,
                                  job.files_bbs_path, job.ext);
    return job;
}

void report_no_area(RunContext& ctx, const FileJob& job) {
    ctx.console(strprintf("  No area for \"%s%s\", skipping file!\n", job.name.c_str(),
                          job.ext.c_str()));
    ctx.log.write(kNotice, strprintf("ZUNT No FILES.BBS for \"%s\" in Area.Dat or %s",
                                     job.path.c_str(), job.file_directory.c_str()));
}

// Where the list was found, when it was not by the first method.
void report_location(RunContext& ctx, const FileJob& job) {
    const bool area_dat_first = ctx.settings.use_area_dat_first;
    const char* text = nullptr;
    if (job.located == kLocateSecond)
        text = area_dat_first ? "ZUNT No FILES.BBS for \"%s\" in Area.Dat, used FILES.BBS in DL dir"
                              : "ZUNT No FILES.BBS for \"%s\" in DL dir found, using Area.Dat";
    else if (job.located == kLocateMaxfiles)
        text = area_dat_first ? "ZUNT No FILES.BBS for \"%s\" in Area.Dat or DL dir, used Maxfiles.Idx"
                              : "ZUNT No FILES.BBS for \"%s\" in DL dir or Area.Dat, used Maxfiles.Idx";
    if (text) ctx.log.write(kWorkaround, strprintf(text, job.path.c_str()));
}

void report_incremented(RunContext& ctx, const PassTables& t, const FileJob& job,
                        long long new_count) {
    const std::string file = job.file_name();
    ctx.console(strprintf("  Incremented DLC for %s by %lld to %lld\n", file.c_str(), job.count,
                          new_count));
    if (t.stats) {
        const std::string stat_path = job.stat_path();
        const std::string stat_key = stat_path == job.path ? job.key : ctx.env.path_key(stat_path);
        const auto now = static_cast<std::uint32_t>(ctx.env.now());
        if (update_stat_entry(*t.stats, stat_path, stat_key, StatUpdate::add, job.count, now) ==
            StatUpdateResult::name_too_long) {
            ctx.log.write(kNotice, "ZUNT Warning! Maximum file length in stat file is 80 characters");
            ctx.log.write(kNotice, "\"" + stat_path + "\" not written to stat file.");
        }
    }
    ctx.log.write(kDetail, strprintf("ZUNT Incremented DLC for %s by %lld to %lld", file.c_str(),
                                     job.count, new_count));
}

void report_update(RunContext& ctx, const PassTables& t, const FileJob& job,
                   const DownloadOutcome& outcome) {
    const std::string file = job.file_name();
    const char* list = job.files_bbs_path.c_str();
    switch (outcome.code) {
        case UpdateResult::rename_failed:
        case UpdateResult::read_failed:
        case UpdateResult::create_failed:
            ctx.console(strprintf("  Couldn't open %s, skipped!\n", list));
            ctx.log.write(kNotice,
                          strprintf("ZUNT Couldn't open %s, file %s skipped", list, file.c_str()));
            return;
        case UpdateResult::not_found:
            ctx.console(strprintf("  %s not found in %s, skipped!\n", file.c_str(), list));
            ctx.log.write(kNotice,
                          strprintf("ZUNT File %s not found in %s skipped", file.c_str(), list));
            return;
        case UpdateResult::new_counter:
            ctx.console(strprintf("  No existing DLC for %s, created new one!\n", file.c_str()));
            ctx.log.write(kWorkaround, strprintf("ZUNT No existing DLC for %s in %s (created new one)",
                                                 file.c_str(), list));
            return;
        case UpdateResult::ok:
            report_incremented(ctx, t, job, outcome.new_count);
            return;
    }
}

// Consecutive files that live in one FILES.BBS are counted in one copy of
// the list (update_list). The files' lines wait until the list is in the
// transaction, so a list that cannot be written reports each of them as
// the list's failure, as a rewrite per file would.
class ListCounter {
public:
    ListCounter(RunContext& ctx, const PassTables& tables)
        : ctx_(ctx), tables_(tables), options_(update_options_from(ctx.settings)) {}

    void take(FileJob job) {
        if (job.located == kLocateNotFound) {
            flush();
            report_no_area(ctx_, job);
            return;
        }
        if (!batch_.empty() && !same_list(batch_.front(), job)) flush();
        batch_.push_back(std::move(job));
    }

    void flush() {
        if (batch_.empty()) return;
        files_.clear();
        for (const FileJob& job : batch_) names_.push_back(job.file_name());
        for (std::size_t i = 0; i < batch_.size(); ++i) files_.push_back({names_[i], batch_[i].count});
        const RewriteResult written = update_list(ctx_.env, tables_.changes, batch_.front().files_bbs_path,
                                                  options_, files_, buffers_, outcomes_);
        for (std::size_t i = 0; i < batch_.size(); ++i) {
            DownloadOutcome outcome{static_cast<UpdateResult>(static_cast<int>(written)), 0};
            if (written == RewriteResult::ok) outcome = outcomes_[i];
            report_location(ctx_, batch_[i]);
            report_update(ctx_, tables_, batch_[i], outcome);
        }
        batch_.clear();
        names_.clear();
    }

private:
    bool same_list(const FileJob& a, const FileJob& b) const {
        return a.files_bbs_path == b.files_bbs_path ||
               ctx_.env.path_key(a.files_bbs_path) == ctx_.env.path_key(b.files_bbs_path);
    }

    RunContext& ctx_;
    const PassTables& tables_;
    const UpdateOptions options_;
    std::vector<FileJob> batch_;
    std::vector<std::string> names_;
    std::vector<FileCount> files_;
    std::vector<DownloadOutcome> outcomes_;
    ListBuffers buffers_;
};

}  // namespace

void drop_tic_companions(DownloadSeq& list, bool tic_before) {
    // Each rule looks only at the neighbouring download: with "before" a
    // file right after a download named "*.tic" is left out (the ".tic"
    // itself stays), otherwise a file right before a path holding ".tic".
    const std::vector<bool> tic = per_path(list, tic_before ? is_tic_file : holds_tic);
    if (std::find(tic.begin(), tic.end(), true) == tic.end()) return;  // most runs: nothing to drop
    std::vector<bool> keep(list.size(), true);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (tic_before) {
            if (i > 0 && !tic[list.id(i)] && tic[list.id(i - 1)]) keep[i] = false;
        } else if (i + 1 < list.size() && tic[list.id(i + 1)]) {
            keep[i] = false;
        }
    }
    list.keep_if(keep);
}

void drop_tic_files(DownloadSeq& list) {
    const std::vector<bool> tic = per_path(list, holds_tic);
    if (std::find(tic.begin(), tic.end(), true) == tic.end()) return;
    std::vector<bool> keep(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) keep[i] = !tic[list.id(i)];
    list.keep_if(keep);
}

namespace {

// The identity key of every distinct path that is still downloaded, each
// worked out once.
std::vector<std::string> keys_of(RunContext& ctx, const DownloadSeq& downloads,
                                 const std::vector<long long>& counts) {
    std::vector<std::string> keys(downloads.distinct());
    for (DownloadSeq::Id id = 0; id < keys.size(); ++id)
        if (counts[id] > 0) keys[id] = ctx.env.path_key(downloads.path_of(id));
    return keys;
}

std::vector<long long> counts_of(const DownloadSeq& downloads) {
    std::vector<long long> counts(downloads.distinct(), 0);
    for (std::size_t i = 0; i < downloads.size(); ++i) ++counts[downloads.id(i)];
    return counts;
}

// The files of the pass in sorted order: every file once, with the number
// of its downloads. Sorting the downloads by path and counting each file at
// the place of its first spelling in that order gives the same groups in
// the same order; equal paths share one id, so counting per id merges them.
void take_sorted(RunContext& ctx, const PassTables& tables, const DownloadSeq& downloads,
                 ListCounter& counter) {
    std::vector<long long> counts = counts_of(downloads);
    const std::vector<std::string> keys = keys_of(ctx, downloads, counts);
    // Each path is looked up once; the sort then compares the views.
    std::vector<std::pair<std::string_view, DownloadSeq::Id>> files;
    for (DownloadSeq::Id id = 0; id < counts.size(); ++id)
        if (counts[id] > 0) files.emplace_back(downloads.path_of(id), id);
    // Paths order as unsigned bytes: char_traits<char> compares unsigned char.
    std::sort(files.begin(), files.end());
    // A file spelled more than one way is counted once, by the sum of its
    // spellings, where the first of them stands.
    std::unordered_map<std::string_view, DownloadSeq::Id> first;
    first.reserve(files.size());
    for (const auto& [path, id] : files) {
        const auto [at, fresh] = first.emplace(keys[id], id);
        if (!fresh) {
            counts[at->second] += counts[id];
            counts[id] = 0;
        }
    }
    for (const auto& [path, id] : files)
        if (counts[id] > 0) counter.take(locate(ctx, tables, std::string(path), keys[id], counts[id]));
}

// With "ns": the downloads in log order, neighbours naming one file merged.
void take_in_log_order(RunContext& ctx, const PassTables& tables, const DownloadSeq& downloads,
                       ListCounter& counter) {
    const std::vector<std::string> keys = keys_of(ctx, downloads, counts_of(downloads));
    for (std::size_t i = 0; i < downloads.size();) {
        std::size_t next = i + 1;
        while (next < downloads.size() && keys[downloads.id(next)] == keys[downloads.id(i)]) ++next;
        counter.take(locate(ctx, tables, downloads.path(i), keys[downloads.id(i)],
                            static_cast<long long>(next - i)));
        i = next;
    }
}

}  // namespace

std::int64_t counting_pass(RunContext& ctx, DownloadSeq& downloads, const PassTables& tables) {
    ctx.progress("Scanning FILES.BBS\n");
    const std::int64_t start = ctx.env.now();
    ctx.log.write(kDetail, "ZUNT Preprocessing downloads");
    if (ctx.settings.ignore_tic) drop_tic_companions(downloads, ctx.settings.tic_before);
    drop_tic_files(downloads);
    ListCounter counter(ctx, tables);
    if (!ctx.state.no_sort) {
        ctx.log.write(kStep, "ZUNT Sorting downloads");
        take_sorted(ctx, tables, downloads, counter);
    } else {
        take_in_log_order(ctx, tables, downloads, counter);
    }
    counter.flush();
    downloads.clear();
    return start;
}

long files_per_second(long files, std::int64_t start, std::int64_t end) {
    const std::int64_t seconds = end >= start ? end - start + 1 : 1;
    if (files <= 0) return 0;
    return static_cast<long>(static_cast<unsigned long long>(files) /
                             static_cast<unsigned long long>(seconds));
}

}  // namespace zunt
