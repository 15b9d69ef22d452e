#include "counters/counter_field.h"

#include <algorithm>

namespace zunt {

namespace {

constexpr char kOpen[] = "[{(<";
constexpr char kClose[] = "]})>";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Index 0-3 of an opening or closing bracket, or -1.
int bracket_index(const char* set, char c) {
    for (int i = 0; i < 4; ++i)
        if (set[i] == c) return i;
    return -1;
}

}  // namespace

CounterFormat counter_format_from(const ControlSettings& settings) {
    CounterFormat fmt;
    fmt.style = (settings.counter_style >= 1 && settings.counter_style <= 4) ? settings.counter_style : 1;
    fmt.length = std::max(settings.counter_length, 0);
    fmt.zero_pad = settings.zero_pad;
    fmt.tabulate_column = std::max(settings.tabulate_column, 0);
    return fmt;
}

long long add_counts(long long a, long long b) {
    a = std::clamp(a, 0LL, kCounterMax);
    b = std::clamp(b, 0LL, kCounterMax);
    return a > kCounterMax - b ? kCounterMax : a + b;
}

std::size_t find_description_start(std::string_view line) {
    std::size_t i = line.find(' ');
    if (i == std::string_view::npos) return line.size();
    auto skip_blanks = [&] {
        while (i < line.size() && line[i] == ' ') ++i;
    };
    skip_blanks();
    if (i < line.size() && line[i] == '/') {
        i = line.find(' ', i);
        if (i == std::string_view::npos) return line.size();
        skip_blanks();
    }
    return i;
}

std::optional<CounterField> find_counter_field(std::string_view line, std::size_t d,
                                               ClosingRule rule) {
    if (d >= line.size()) return std::nullopt;
    const int open = bracket_index(kOpen, line[d]);
    if (open < 0) return std::nullopt;
    for (std::size_t i = d + 1; i < line.size(); ++i) {
        const char c = line[i];
        const int close = bracket_index(kClose, c);
        if (close >= 0) {
            if (rule == ClosingRule::same_style && close != open) return std::nullopt;
            // The value: the first run of digits after any leading blanks.
            std::size_t j = d + 1;
            while (j < i && line[j] == ' ') ++j;
            long long value = 0;
            for (; j < i && is_digit(line[j]); ++j)
                value = value > (kCounterMax - (line[j] - '0')) / 10 ? kCounterMax
                                                                      : value * 10 + (line[j] - '0');
            return CounterField{i, value};
        }
        if (!is_digit(c) && c != ' ') return std::nullopt;
    }
    return std::nullopt;
}

void append_counter_field(const CounterFormat& fmt, long long n, std::string& out) {
    const int style = (fmt.style >= 1 && fmt.style <= 4) ? fmt.style : 1;
    // The field is put together backwards from the end of a buffer wide
    // enough for the largest count with its padding, then appended at once.
    constexpr std::size_t kMaxPad = 32;
    char buf[kMaxPad + 24];
    char* const end = buf + sizeof buf;
    char* p = end;
    *--p = kClose[style - 1];
    unsigned long long v = static_cast<unsigned long long>(std::clamp(n, 0LL, kCounterMax));
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    const auto width = static_cast<std::size_t>(end - p) - 1;
    const std::size_t pad =
        fmt.length > 0 && width < static_cast<std::size_t>(fmt.length) ? static_cast<std::size_t>(fmt.length) - width : 0;
    const char pad_char = fmt.zero_pad ? '0' : ' ';
    if (pad <= kMaxPad) {
        for (std::size_t i = 0; i < pad; ++i) *--p = pad_char;
        *--p = kOpen[style - 1];
        out.append(p, static_cast<std::size_t>(end - p));
        return;
    }
    out += kOpen[style - 1];
    out.append(pad, pad_char);
    out.append(p, static_cast<std::size_t>(end - p));
}

std::string format_counter_field(const CounterFormat& fmt, long long n) {
    std::string field;
    append_counter_field(fmt, n, field);
    return field;
}

std::string insert_counter_field(const CounterFormat& fmt, std::string_view line, std::size_t d,
                                 long long n) {
    d = std::min(d, line.size());
    std::string out(line.substr(0, d));
    if (d == line.size()) out += ' ';
    const std::size_t column = static_cast<std::size_t>(std::max(fmt.tabulate_column, 0));
    if (out.size() < column) out.append(column - out.size(), ' ');
    append_counter_field(fmt, n, out);
    out += ' ';
    out.append(line.substr(d));
    return out;
}

void replace_hard_spaces(std::string& line) {
    std::replace(line.begin(), line.end(), '\xFF', ' ');
}

}  // namespace zunt
