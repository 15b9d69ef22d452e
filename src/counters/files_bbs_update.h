// Raising one downloaded file's counter in a FILES.BBS: every line whose name
// word matches the file gets its counter raised by the number of downloads,
// or a new counter when it has none; every other line is copied.
#pragma once

#include <string>
#include <string_view>
#include <cstdint>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "counters/counter_field.h"
#include "counters/list_rewrite.h"
#include "platform/env.h"

namespace zunt {

// Values are the codes the counting run reports.
enum class UpdateResult {
    ok = 0,             // a counter was raised; the new count is set
    rename_failed = 1,  // the list could not be taken or backed up; it is unchanged
    read_failed = 2,    // the list could not be read; it is unchanged
    create_failed = 3,  // the new list could not be written; the list is unchanged
    not_found = 4,      // no line matched the file name (the list is rewritten)
    new_counter = 5,    // matching lines had no counter; one with the downloads was put in
};

struct UpdateOptions {
    CounterFormat format;
    bool kill_hard_space = false;
};

UpdateOptions update_options_from(const ControlSettings& settings);

struct DownloadOutcome {
    UpdateResult code;     // ok, not_found or new_counter
    long long new_count;   // the raised count of the first line that had one (ok only)
};

// True when a FILES.BBS name word (lower-cased) stands for the file name: the
// two are equal byte for byte, or the name word matches as a pattern.
bool name_word_matches(std::string_view name_word, std::string_view file_name);

// The update applied to a list's lines as read (no line ends) in memory. Lines
// that are empty as read stay as they are; every other line loses its
// trailing blanks, CRs and backslashes. Applying it again to its own output
// gives what rewriting the list on disk again would give, so several
// downloads can be applied to one list before it is written once.
DownloadOutcome apply_download(std::vector<std::string>& lines, const UpdateOptions& options,
                               std::string_view file_name, long long n);

// Several downloads counted in one list held in memory, each exactly as
// apply_download would count it after the ones before, but without working
// through every line for every file: after the first download the lines
// are found by their name word.
class ListUpdate {
public:
    ListUpdate(std::vector<std::string>& lines, const UpdateOptions& options);
    ListUpdate(const ListUpdate&) = delete;
    ListUpdate& operator=(const ListUpdate&) = delete;

    // One downloaded file counted `n` times in the list.
    DownloadOutcome update_files_bbs(std::string_view file_name, long long n);

private:
    void build_index();
    void normalize(std::string& line) const;
    std::vector<std::size_t> matching_lines(std::string_view file_name) const;

    std::vector<std::string>& lines_;
    const UpdateOptions& options_;
    bool started_ = false, indexed_ = false;
    // The lines the last download changed, with the name word they are
    // indexed under.
    std::vector<std::pair<std::size_t, std::string>> changed_;
    // The lines with a plain name word, by the hash of that word lower-cased
    // (in line order within a hash; a lookup checks the word itself), and
    // the lines whose name word is a pattern (tried for every file).
    std::vector<std::pair<std::uint64_t, std::size_t>> by_name_;
    std::vector<std::pair<std::string, std::size_t>> patterns_;
};

// One downloaded file of a list's batch and its downloads in this run.
struct FileCount {
    std::string_view name;
    long long n;
};

// What counting in a list holds it in. A run over many lists passes the
// same buffers each time, so that the lines keep their storage.
struct ListBuffers {
    std::string old_bytes, new_bytes, backup;
    std::vector<std::string_view> views;
    std::vector<std::string> lines;
};

// Counts consecutive files that live in one FILES.BBS in one copy of the
// list (as this run has it) and puts the new list into the transaction.
// What it holds is what rewriting it once per file would leave: the list
// with every update, and a ".bak" holding it as it stood before the last
// one. `outcomes` gets one entry per file when the result is ok.
RewriteResult update_list(Env& env, Transaction& changes, const std::string& list_path,
                          const UpdateOptions& options, const std::vector<FileCount>& files,
                          ListBuffers& buffers, std::vector<DownloadOutcome>& outcomes);

}  // namespace zunt
