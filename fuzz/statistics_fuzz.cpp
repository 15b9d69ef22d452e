// The statistics file: decoded, updated, encoded; a decoded file encodes
// back to itself.
#include <cstdlib>

#include "fuzz_util.h"
#include "stats/stat_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    bool set = fdp.ConsumeBool();
    long long value = fdp.ConsumeIntegral<long long>();
    std::uint32_t now = fdp.ConsumeIntegral<std::uint32_t>();
    auto parts = fuzz::split_parts(fdp.ConsumeRemainingBytesAsString(), 2);
    StatTable table;
    if (decode_statistics(parts[1], table) != StatReadResult::read) return 0;
    std::string once = encode_statistics(table);
    StatTable again;
    if (decode_statistics(once, again) != StatReadResult::read) std::abort();
    if (encode_statistics(again) != once) std::abort();
    update_stat_entry(table, parts[0], std::string(parts[0]), set ? StatUpdate::set : StatUpdate::add, value, now);
    encode_statistics(table);
    return 0;
}
