// A run changes the files the board reads all together or not at all.
//
// Every new content is written to a temporary file beside its target while
// the run works; nothing the board reads changes yet. At the end the run
// commits: it waits until all temporary files are on the disk, then writes
// a small journal naming every rename (temporary file onto its target) and
// every append. Once the journal is on the disk the run's changes count as
// made: the renames and appends are carried out and the journal removed.
// A run stopped after that point (killed, power cut) leaves the journal,
// and the next run carries it out before it does anything else. A run
// stopped before it leaves at most temporary files, which the next run
// writes anew.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/env.h"

namespace zunt {

enum class CommitResult {
    done,        // every change is made
    not_saved,   // nothing changed; `error` says why
    unfinished,  // committed, but a step failed: the next run finishes it
};

struct CommitReport {
    CommitResult result = CommitResult::done;
    Errno error = 0;
    // An append that failed (the other changes are made regardless).
    std::string append_path;
    Errno append_error = 0;
};

// One change as the journal names it.
struct JournalStep {
    char kind = 'R';  // 'R' the temporary file renamed onto the target, 'A' added to its end
    std::string temp, target;
    std::uint64_t length = 0;  // 'A': the target's length before the append
};

class Transaction {
public:
    Transaction(Env& env, std::string journal_path);
    ~Transaction();  // removes what was prepared and not committed
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // `target` is to hold `bytes`. They are written now beside the file
    // `target` names (behind a symbolic link, which stays) and set on their
    // way to the disk. 0 or the error number; on failure nothing of it is
    // left and an earlier change of `target` in this transaction is gone.
    Errno replace(const std::string& target, std::string_view bytes);
    // `target` is to hold what `source` holds now (a second name of the
    // file where the file system has them, else a copy).
    Errno keep_copy(const std::string& source, const std::string& target);
    // `bytes` are to be added at the end of `target`.
    Errno append(const std::string& target, std::string_view bytes);
    // Forgets the change of `target`.
    void drop(const std::string& target);

    // Where the content `target` has in this transaction stands: its
    // temporary file when it was replaced, else `target` itself.
    std::string current_path(const std::string& target) const;
    bool changes(const std::string& target) const;

    CommitReport commit();

private:
    Errno prepare(const std::string& target, char kind, std::string_view bytes);
    std::size_t find(const std::string& resolved) const;
    std::string spelling(const std::string& target) const;
    Errno finish_open_files();
    void drop_all();

    Env& env_;
    std::string journal_;
    std::vector<JournalStep> steps_;
    std::vector<std::string> keys_;  // each step's target's identity key
    // Files written and on their way to the disk, not yet waited for, by
    // their temporary names.
    std::vector<std::pair<std::string, std::unique_ptr<File>>> open_;
    Errno broken_ = 0;  // a wait for the disk failed: nothing will be saved
};

enum class RollForward {
    nothing,   // no journal
    finished,  // a killed run's changes are made now
    failed,    // they could not be made; the journal stays
};

// Carries out the journal a stopped run left behind. A torn journal was
// never committed: its temporary files are removed and nothing else
// changes. An append that fails is reported in `report` and given up.
RollForward roll_forward(Env& env, const std::string& journal_path, CommitReport& report);

// The journal of the runs of a control file: beside it, with ".jnl".
std::string journal_path_for(const std::string& control_file_path);

}  // namespace zunt
