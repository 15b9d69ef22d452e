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

// apply_download for a list streamed from disk, a run of whole lines at a
// time as rewrite_list_streamed hands them on; each line comes out with its
// CR LF. A line the update leaves exactly as read (CR LF at its end and
// nothing to strip or replace, and no match) goes out with its neighbours
// in one piece.
class StreamedUpdate {
public:
    StreamedUpdate(const UpdateOptions& options, std::string_view file_name, long long n)
        : options_(options), file_name_(file_name), n_(n) {}
    void lines(std::string_view block, ListSink& sink);
    DownloadOutcome outcome() const;

private:
    bool kept_as_read(std::string_view line, bool hard_spaces) const;
    void line(std::string_view line, ListSink& sink);

    const UpdateOptions& options_;
    std::string_view file_name_;
    long long n_;
    bool matched_ = false, raised_ = false;
    long long first_count_ = 0;
    std::string copy_;
};

// apply_download on a whole list as read (line ends and a closing Ctrl-Z
// still in it), giving the new list's bytes: each line followed by CR LF.
std::string apply_download_to_bytes(std::string_view bytes, const UpdateOptions& options,
                                    std::string_view file_name, long long n,
                                    DownloadOutcome& outcome);

// Several downloads counted in one list held in memory, each exactly as
// apply_download would count it after the ones before, but without working
// through every line for every file: after the first download the lines
// are found by their name word.
class ListUpdate {
public:
    ListUpdate(std::vector<std::string>& lines, const UpdateOptions& options);
    ListUpdate(const ListUpdate&) = delete;
    ListUpdate& operator=(const ListUpdate&) = delete;

    DownloadOutcome apply(std::string_view file_name, long long n);

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

// Rewrites the FILES.BBS at `files_bbs_path` with the download counted `n`
// times; the previous list becomes its ".bak". `new_counter_value` is set
// for UpdateResult::ok only.
UpdateResult update_files_bbs(Env& env, const ControlSettings& settings,
                              const std::string& files_bbs_path,
                              const std::string& download_file_name,
                              long long& new_counter_value, long long duplicate_count);

}  // namespace zunt
