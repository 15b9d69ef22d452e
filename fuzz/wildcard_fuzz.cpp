// The pattern matcher with both the pattern and the text from the input.
#include <cstdlib>

#include "config/wildcard.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    auto parts = fuzz::split_parts(std::string(reinterpret_cast<const char*>(data), size), 2);
    bool m = wildcard_match(parts[0], parts[1]);
    // Every text matches itself when it holds no pattern characters.
    if (parts[1].find_first_of("*?[") == std::string::npos && !wildcard_match(parts[1], parts[1]))
        std::abort();
    if (wildcard_match("*", parts[1]) != true) std::abort();
    is_excluded({parts[0]}, parts[1]);
    (void)m;
    return 0;
}
