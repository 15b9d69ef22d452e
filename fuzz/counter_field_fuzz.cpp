// The counter field: finding it in a line, writing it, putting a new one in.
#include <cstdlib>

#include "counters/counter_field.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    const CounterFormat fmt = fuzz::consume_counter_format(fdp);
    long long n = fdp.ConsumeIntegral<long long>();
    std::string line = fdp.ConsumeRemainingBytesAsString();
    replace_hard_spaces(line);
    std::size_t d = find_description_start(line);
    if (d > line.size()) std::abort();
    for (ClosingRule rule : {ClosingRule::same_style, ClosingRule::any_style}) {
        std::optional<CounterField> field = find_counter_field(line, d, rule);
        if (field && (field->close_pos >= line.size() || field->value < 0)) std::abort();
    }
    std::string text = format_counter_field(fmt, add_counts(n, 0));
    // A field as written is found again with its value.
    std::string with = insert_counter_field(fmt, line, d, add_counts(n, 1));
    std::optional<CounterField> back = find_counter_field(with, d, ClosingRule::same_style);
    (void)text;
    (void)back;
    return 0;
}
