// What one line of a board or mailer log says: a sent file, an uploader's
// name, an uploaded file. Pure functions over the line as read, so that the
// scanner does no more per line than a few substring searches.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zunt {

// The download tokens in the order they are tried: the configured mailer
// strings, then "DL-" (added when the list does not already end with it).
// Empty tokens are left out: they would match every line.
std::vector<std::string> download_tokens(const std::vector<std::string>& mailer_strings);

// Where `token` first occurs in `text` at or after `from` (npos when it does
// not), std::string_view::find's answer: the bytes are looked at sixteen at
// a time for the token's first and last byte together, which few places of
// a log hold. Used on single lines and on blocks of many.
std::size_t find_token_from(std::string_view text, std::string_view token, std::size_t from);

enum class LineDownload {
    none,      // no token in the line, or no path after it
    excluded,  // a file on the built-in exclusion lists
    listed,    // a ".tic" file: listed but not counted
    counted,   // a download to count
};

// Looks for a sent file in `line`. For `listed` and `counted`, `path` is the
// file's lower-cased path. No token begins before `from`: the caller has
// looked there already.
LineDownload find_download(std::string_view line, const std::vector<std::string>& tokens,
                           std::string& path, std::size_t from = 0);

// Whether the name and extension (lower case, extension with its dot) are on
// the built-in lists of things mailers report that are not files of the board.
bool is_excluded_file(std::string_view name, std::string_view ext);

// The caller's name of a "U#=" line: the first two words of the message text
// (offset 23 up to the second blank after it, or the end of the line).
std::string uploader_of(std::string_view line);

// The upload log line for a "UL-" line: "<date> UL: <file> (by <uploader>)",
// the date being the 15 characters at offset 2 and the file the text from
// offset 28 to the end of the line. No line end.
std::string upload_entry(std::string_view line, std::string_view uploader);

}  // namespace zunt
