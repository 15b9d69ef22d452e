// The pattern matcher with both the pattern and the text from the input:
// "*" matches everything, and a text without pattern characters itself.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const auto part = parts(fdp, 2);
    wildcard_match(part[0], part[1]);
    require(wildcard_match("*", part[1]));
    require(part[1].find_first_of("*?[") != std::string::npos || wildcard_match(part[1], part[1]));
    is_excluded({part[0]}, part[1]);
}
