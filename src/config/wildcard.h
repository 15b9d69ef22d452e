// The one pattern matcher: "*", "?" and character classes such as "[a-z]".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zunt {

// True when the whole text matches the whole pattern. Bytes compare exactly;
// callers bring both to one case. A "[" opens a class that runs to the next
// "]"; its members are single bytes and "x-y" ranges (a range runs from the
// last single member seen). A "[" with no "]" after it is an ordinary byte,
// and so is a "-" with no member before it or right before the "]".
bool wildcard_match(std::string_view pattern, std::string_view text);

// True when any of the patterns matches the (upper-case) name.
bool is_excluded(const std::vector<std::string>& exclude_patterns, std::string_view name);

}  // namespace zunt
