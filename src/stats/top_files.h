// The "Top Files" bulletins: a plain text file and a board file with AVATAR
// colours, both listing the most downloaded files of the statistics file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "platform/env.h"
#include "platform/transaction.h"

namespace zunt {

enum class TopFilesResult {
    written = 0,
    memory = 1,              // the entry list could not be allocated
    incompatible = 2,        // the statistics file's format mark is not 6
    cannot_open = 3,         // the statistics file cannot be opened or read
    board_write_failed = 4,  // the board bulletin cannot be created or written
    text_write_failed = 5,   // the text bulletin cannot be created or written
};

struct TopEntry {
    std::string name;  // NAME.EXT in upper case, no drive or directory
    std::uint32_t count = 0;
};

// Reads the statistics file into the report's entries, in file order,
// leaving out the names that an exclusion pattern matches.
TopFilesResult collect_top_files(Env& env, const ControlSettings& settings,
                                 std::vector<TopEntry>& entries);

// Largest count first; equal counts keep their file order.
void sort_top_files(std::vector<TopEntry>& entries);

// `text` in the middle of `width` columns, the odd space on the right; a
// longer text is left as it is.
std::string centre_text(std::string_view text, std::size_t width);

// The whole bulletins, CR LF line ends included.
std::string format_text_bulletin(const std::vector<TopEntry>& sorted, const ControlSettings& settings);
std::string format_board_bulletin(const std::vector<TopEntry>& sorted, const ControlSettings& settings);

// Puts the text bulletin, then the board bulletin, into the transaction.
TopFilesResult write_top_files_output(Transaction& changes, const ControlSettings& settings,
                                      const std::vector<TopEntry>& sorted);

// The whole report: collect, sort, write. `progress` receives the progress
// texts ("Reading statistics...\n" and so on) at the moment they are due.
TopFilesResult write_top_files(Env& env, Transaction& changes, const ControlSettings& settings,
                               const std::function<void(std::string_view)>& progress);

}  // namespace zunt
