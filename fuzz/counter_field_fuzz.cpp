// The counter field: finding it in a line, writing it, putting a new one in.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const CounterFormat fmt = consume_counter_format(fdp);
    const long long n = fdp.ConsumeIntegral<long long>();
    std::string line = fdp.ConsumeRemainingBytesAsString();
    replace_hard_spaces(line);
    const std::size_t d = find_description_start(line);
    require(d <= line.size());
    for (ClosingRule rule : {ClosingRule::same_style, ClosingRule::any_style}) {
        const std::optional<CounterField> field = find_counter_field(line, d, rule);
        require(!field || (field->close_pos < line.size() && field->value >= 0));
    }
    format_counter_field(fmt, add_counts(n, 0));
    find_counter_field(insert_counter_field(fmt, line, d, add_counts(n, 1)), d, ClosingRule::same_style);
}
