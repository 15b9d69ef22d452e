// The scan position file's bytes: whatever decodes must encode back to a
// file that decodes to the same position.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const std::optional<ScanPosition> pos = decode_scan_position(fdp.ConsumeRemainingBytesAsString());
    require(!pos || decode_scan_position(encode_scan_position(*pos)) == pos);
}
