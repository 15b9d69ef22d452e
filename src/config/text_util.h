// Small text helpers shared by every reader of the board's files.
#pragma once

#include <string>
#include <string_view>

namespace zunt {

// Removes every trailing LF, CR, blank and backslash. Tabs stay.
void strip_line_end(std::string& line);
std::string_view strip_line_end(std::string_view line);

// ASCII-only case changes (A-Z / a-z); other bytes are left alone.
void to_lower_ascii(std::string& s);
void to_upper_ascii(std::string& s);
std::string lower_ascii(std::string_view s);
std::string upper_ascii(std::string_view s);

// A path cut into drive ("c:" when the second character is a colon),
// directory (up to and including the last "\" or "/"), base name and
// extension (from the last dot of the last element, dot included).
struct PathParts {
    std::string drive, dir, name, ext;
};
PathParts split_path(std::string_view path);
// Where the file name begins in `path`: after its drive and directory.
std::size_t path_name_start(std::string_view path);

// Decimal number as C's atoi reads it: leading white space, one sign, digits
// up to the first non-digit; no digits gives 0. The full value is kept (long
// long, saturating) so that range checks see what was written.
long long parse_number(std::string_view s);

}  // namespace zunt

namespace zunt {

// mingw-w64 checks "printf" formats against the old Microsoft runtime, which
// lacks %zu; the build uses the C99-conforming stdio instead, so check that.
#if defined(__MINGW32__) && !defined(__clang__)
#define ZUNT_PRINTF_ARCHETYPE gnu_printf
#else
#define ZUNT_PRINTF_ARCHETYPE printf
#endif

// printf into a std::string (messages are built with the program's own
// fixed formats; user texts only ever go in as %s arguments).
std::string strprintf(const char* fmt, ...) __attribute__((format(ZUNT_PRINTF_ARCHETYPE, 1, 2)));

}  // namespace zunt

namespace zunt {

// Gives a directory text its trailing separator: nothing when it already ends
// in "\" or "/", "/" when it is written with "/" and no "\", else "\".
void append_dir_separator(std::string& dir);

}  // namespace zunt
