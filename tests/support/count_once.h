// One downloaded file counted in its list as a counting run counts it, and
// committed at once: UpdateResult as the run reports it (a failed commit
// gives create_failed); `count` is set for ok only.
#pragma once

#include <string>
#include <vector>

#include "config/settings.h"
#include "counters/files_bbs_update.h"
#include "platform/transaction.h"

namespace zunt::testing {

inline UpdateResult count_once(Env& env, const ControlSettings& settings, const std::string& list,
                               const std::string& file, long long& count, long long n) {
    Transaction changes(env, list + ".jnl");
    ListBuffers buffers;
    std::vector<DownloadOutcome> outcomes;
    const RewriteResult r = update_list(env, changes, list, update_options_from(settings), {{file, n}}, buffers, outcomes);
    if (r != RewriteResult::ok) return static_cast<UpdateResult>(static_cast<int>(r));
    if (changes.commit().result != CommitResult::done) return UpdateResult::create_failed;
    if (outcomes[0].code == UpdateResult::ok) count = outcomes[0].new_count;
    return outcomes[0].code;
}

}  // namespace zunt::testing
