// The ASCII area file: one file area per line, "name download-dir [files.bbs]".
#pragma once

#include <string>
#include <string_view>

#include "areas/farea_reader.h"

namespace zunt {

// One line of the file (its line end already removed or not) turned into an
// area: fields split at runs of blanks (0x20 only), the download directory
// given its separator and both paths lower-cased. False when the line holds
// fewer than two fields. Fields may be of any length.
bool parse_ascii_area_line(std::string line, FareaArea& out);

}  // namespace zunt
