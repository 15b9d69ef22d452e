// The scan position file's bytes: whatever decodes must encode back to a
// file that decodes to the same position.
#include <cstdlib>

#include "fuzz_util.h"
#include "logscan/scan_position.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<ScanPosition> pos = decode_scan_position(bytes);
    if (!pos) return 0;
    std::optional<ScanPosition> again = decode_scan_position(encode_scan_position(*pos));
    if (!again || !(*again == *pos)) std::abort();
    return 0;
}
