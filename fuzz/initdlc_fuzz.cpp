// The initialization of one list, in memory, twice: every kind of line,
// every sort, a date for each name taken from the input.
#include "fuzz_util.h"

ZUNT_FUZZ {
    InitOptions options;
    options.format = consume_counter_format(fdp);
    options.kill_hard_space = fdp.ConsumeBool();
    options.max_desc_len = fdp.ConsumeIntegralInRange(0, 1024);
    options.sort_by = fdp.ConsumeIntegralInRange(0, 3);
    options.sort_order = fdp.ConsumeIntegralInRange(1, 2);
    const std::uint16_t date = fdp.ConsumeIntegral<std::uint16_t>();
    InitHooks hooks;
    hooks.record_count = [](std::string_view, long long) {};
    hooks.date_key = [date](std::string_view name) {
        const auto t = static_cast<std::uint16_t>(date + name.size());
        return name.size() % 3 == 0 ? std::string(kMissingFileDateKey) : format_date_key(date, t);
    };
    RebuildBuffers buffers;
    std::string bytes = fdp.ConsumeRemainingBytesAsString(), out, again;
    rebuild_list_bytes(bytes, options, hooks, buffers, out);
    rebuild_list_bytes(out, options, hooks, buffers, again);
}
