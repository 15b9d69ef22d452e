// The statistics file: decoded, updated, encoded; a decoded file encodes
// back to itself.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const bool set = fdp.ConsumeBool();
    const long long value = fdp.ConsumeIntegral<long long>();
    const std::uint32_t now = fdp.ConsumeIntegral<std::uint32_t>();
    const auto part = parts(fdp, 2);
    StatTable table, again;
    if (decode_statistics(part[1], table) != StatReadResult::read) return;
    const std::string once = encode_statistics(table);
    require(decode_statistics(once, again) == StatReadResult::read && encode_statistics(again) == once);
    update_stat_entry(table, part[0], std::string(part[0]), set ? StatUpdate::set : StatUpdate::add, value, now);
    encode_statistics(table);
}
