// The download counting pass: every distinct downloaded file raises its
// counter in its FILES.BBS and its statistics entry, once per run.
#pragma once

#include <cstdint>

#include "areas/area_table.h"
#include "areas/maxfiles_index.h"
#include "list/download_seq.h"
#include "platform/transaction.h"
#include "run/driver.h"
#include "stats/stat_table.h"

namespace zunt {

// Leaves out the files that travelled with a ".tic" file (the ".tic" records
// themselves stay). With `tic_before` a record named exactly "*.tic" stands
// right before its file; otherwise a path holding ".tic" anywhere stands
// right after it. Keeps the order; list_node_count follows the records.
void drop_tic_companions(DownloadSeq& list, bool tic_before);

// Leaves out every path that holds ".tic" anywhere.
void drop_tic_files(DownloadSeq& list);

// What the pass works with besides the run context.
struct PassTables {
    const AreaConfig& areas;
    const MaxfilesIndex* maxfiles;  // null when maxfiles.idx is not configured
    StatTable* stats;               // null when no statistics file is configured
    Transaction& changes;           // the run's changes of the lists
};

// Runs the pass over `downloads` (which it releases at its end) and returns
// the instant the rate of the End line counts from.
std::int64_t counting_pass(RunContext& ctx, DownloadSeq& downloads, const PassTables& tables);

// The End line's rate: downloads per second from the pass's start to the
// end of the run, a run under one second counting as one. A clock set back
// during the run counts as one second too.
long files_per_second(long files, std::int64_t start, std::int64_t end);

}  // namespace zunt
