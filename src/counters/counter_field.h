// The download counter at the start of a FILES.BBS description, e.g. "[  12]",
// and the cutting of a file line into name word, flag word and description.
// Lines are handled without their line end; only the blank separates words.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace zunt {

// How a counter field is written.
struct CounterFormat {
    int style = 1;             // 1 "[ ]", 2 "{ }", 3 "( )", 4 "< >"
    int length = 3;            // minimum number of characters between the brackets
    bool zero_pad = false;     // pad with "0" instead of blanks
    int tabulate_column = 14;  // a new field's opening bracket goes to this offset
};

CounterFormat counter_format_from(const ControlSettings& settings);

// Counts saturate here instead of overflowing.
inline constexpr long long kCounterMax = 999'999'999'999'999'999LL;

// Adds two counts, saturating at kCounterMax; negative amounts count as 0.
long long add_counts(long long a, long long b);

// Offset of the description: after the name word, its blanks, and a flag word
// ("/..." ) with its blanks when one follows. The line length when nothing
// follows.
std::size_t find_description_start(std::string_view line);

// Which closing bracket ends a field.
enum class ClosingRule {
    same_style,  // only the partner of the opening bracket (FILES.BBS update)
    any_style,   // the first of "]", "}", ")", ">" (initialization)
};

struct CounterField {
    std::size_t close_pos;  // offset of the closing bracket
    long long value;        // the first run of digits after leading blanks; 0 if none
};

// The field that starts at `d`, if there is one: an opening bracket, then only
// digits and blanks, then a closing bracket allowed by `rule`.
std::optional<CounterField> find_counter_field(std::string_view line, std::size_t d,
                                               ClosingRule rule);

// The field text for `n`: bracket, pad characters up to the minimum length,
// the digits, bracket. A wider number widens the field.
std::string format_counter_field(const CounterFormat& fmt, long long n);
// The same field, appended to `out`.
void append_counter_field(const CounterFormat& fmt, long long n, std::string& out);

// `line` with a new field for `n` put in at `d`, aligned to the tabulate
// column and followed by one blank and the rest of the line.
std::string insert_counter_field(const CounterFormat& fmt, std::string_view line, std::size_t d,
                                 long long n);

// Turns every hard space (byte 0xFF) into a blank.
void replace_hard_spaces(std::string& line);

}  // namespace zunt
