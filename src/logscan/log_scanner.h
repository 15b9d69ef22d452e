// Reading the board and mailer logs for downloads (and uploads), from where
// the previous run stopped. New positions and upload lines are only staged
// here; the counting run commits them once the run can no longer fail.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/settings.h"
#include "list/download_seq.h"
#include "logscan/scan_position.h"
#include "platform/env.h"
#include "platform/text_io.h"
#include "config/activity_log.h"

namespace zunt {

// One scan position file waiting to be written.
struct StagedPosition {
    std::string log_path;
    std::string position_path;
    std::string position_key;  // the identity key of position_path
    std::optional<FileId> log_id;  // the log file itself, when the host tells
    ScanPosition position;
    // The download records this log appended, as [first, last) ranges of
    // the list, and how many of them were counted.
    std::vector<std::pair<std::size_t, std::size_t>> downloads;
    long counted = 0;
};

struct StagedUpload {
    std::size_t log;    // index into ScanStaging::logs
    std::string entry;  // the upload log line, without line end
};

struct ScanStaging {
    std::vector<StagedPosition> logs;  // in the order the logs were first scanned
    std::vector<StagedUpload> uploads;  // in the order they were read

    // The log staged under this position file (by its identity key), or as
    // this very file.
    StagedPosition* find(const std::string& position_key, const std::optional<FileId>& log_id);
};

enum class ScanStatus {
    scanned = 0,
    cannot_open = -1,     // the log cannot be opened (or read); `error` says why
    position_name = -2,   // the log's own extension is ".znt": not read
};

struct ScanResult {
    ScanStatus status = ScanStatus::scanned;
    long count = 0;   // downloads taken, ".tic" files not counted
    Errno error = 0;  // for cannot_open
};

// Scans one log: appends its new downloads to `downloads`, stages its new
// position and its upload lines (kept only when an upload log is configured)
// in `staging`. A log scanned before in this run starts at its staged position.
ScanResult scan_log(Env& env, const ControlSettings& settings, ActivityLog& log,
                    bool force_full_scan, const std::string& log_path, DownloadSeq& downloads,
                    ScanStaging& staging);

struct CommitFailure {
    std::string log_path;
    std::string position_path;
    Errno error = 0;
    long dropped = 0;  // counted downloads left for the next run
};

// Writes every staged position file (atomically) and, for each log whose
// file was written, its upload lines to `upload_log` (when given). A log
// whose file cannot be written has its downloads taken out of `downloads`
// and its uploads left out, so that the next run takes them once; a level-4
// line says so. Must run before anything else changes `downloads`.
std::vector<CommitFailure> commit_scan_positions(Env& env, ActivityLog& log, ScanStaging& staging,
                                                 TextWriter* upload_log, DownloadSeq& downloads);

}  // namespace zunt
