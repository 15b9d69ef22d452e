// The initialization of one list, in memory: every kind of line, every
// sort, a date for each name taken from the input.
#include "counters/initdlc.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    InitOptions options;
    options.format = fuzz::consume_counter_format(fdp);
    options.kill_hard_space = fdp.ConsumeBool();
    options.max_desc_len = fdp.ConsumeIntegralInRange(0, 1024);
    options.sort_by = fdp.ConsumeIntegralInRange(0, 3);
    options.sort_order = fdp.ConsumeIntegralInRange(1, 2);
    std::uint16_t date = fdp.ConsumeIntegral<std::uint16_t>();
    std::string bytes = fdp.ConsumeRemainingBytesAsString();
    InitHooks hooks;
    hooks.record_count = [](std::string_view, long long) {};
    hooks.date_key = [date](std::string_view name) {
        std::uint16_t t = static_cast<std::uint16_t>(date + name.size());
        return name.size() % 3 == 0 ? std::string(kMissingFileDateKey) : format_date_key(date, t);
    };
    RebuildBuffers buffers;
    std::string out, again;
    rebuild_list_bytes(bytes, options, hooks, buffers, out);
    // Initializing an initialized list again.
    rebuild_list_bytes(out, options, hooks, buffers, again);
    return 0;
}
