#include "counters/counter_field.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

CounterFormat fmt(int style, int length, bool zero_pad, int column = 14) {
    return CounterFormat{style, length, zero_pad, column};
}

TEST(CounterField, DescriptionStart) {
    struct Case {
        const char* line;
        std::size_t d;
    } cases[] = {
        {"FILE.ZIP  [ 0012] Some text", 10}, {"FILE.ZIP /b [ 3] Some text", 12}, {"FILE.ZIP", 8},
        {"FILE.ZIP\tTabText", 16},  // a tab belongs to the name word {"FILE.ZIP /b", 11}, {"FILE.ZIP /b   ", 14},
        {"", 0}, {" continued", 1}, {"A.ZIP x /b y", 6},  // a flag word only right after the name
    };
    for (const auto& c : cases) EXPECT_EQ(find_description_start(c.line), c.d) << c.line;
}

TEST(CounterField, Recognition) {
    struct Case {
        const char* line;
        ClosingRule rule;
        bool present;
        std::size_t close;
        long long value;
    } cases[] = {
        {"FILE.ZIP  [ 0012] Some text", ClosingRule::same_style, true, 16, 12},
        {"FILE.ZIP /b [ 3] Some text", ClosingRule::same_style, true, 15, 3},
        {"FILE.ZIP [12) Some text", ClosingRule::same_style, false, 0, 0},
        {"FILE.ZIP [12) Some text", ClosingRule::any_style, true, 12, 12},
        {"FILE.ZIP (c) 1995 Someone", ClosingRule::any_style, false, 0, 0},
        {"FILE.ZIP [", ClosingRule::any_style, false, 0, 0},
        {"FILE.ZIP [12", ClosingRule::any_style, false, 0, 0},
        {"FILE.ZIP <>", ClosingRule::same_style, true, 10, 0},
        {"FILE.ZIP [   ]", ClosingRule::same_style, true, 13, 0},
        {"FILE.ZIP [1 2]", ClosingRule::same_style, true, 13, 1},
        {"FILE.ZIP {40000}", ClosingRule::same_style, true, 15, 40000},
        {"FILE.ZIP [-1]", ClosingRule::same_style, false, 0, 0},
        {"FILE.ZIP Text [1]", ClosingRule::same_style, false, 0, 0},
        {"FILE.ZIP", ClosingRule::same_style, false, 0, 0},
    };
    for (const auto& c : cases) {
        std::string_view line = c.line;
        auto f = find_counter_field(line, find_description_start(line), c.rule);
        ASSERT_EQ(f.has_value(), c.present) << c.line;
        if (!f) continue;
        EXPECT_EQ(f->close_pos, c.close) << c.line;
        EXPECT_EQ(f->value, c.value) << c.line;
    }
}

TEST(CounterField, OverlongDigitRunSaturates) {
    std::string line = "F.ZIP [" + std::string(40, '9') + "]";
    auto f = find_counter_field(line, 6, ClosingRule::same_style);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->value, kCounterMax);
    EXPECT_EQ(add_counts(f->value, 5), kCounterMax);
    EXPECT_EQ(add_counts(40000, 1), 40001);
}

TEST(CounterField, Format) {
    struct Case {
        CounterFormat f;
        long long n;
        const char* want;
    } cases[] = {
        {fmt(2, 3, false), 7, "{  7}"}, {fmt(3, 3, true), 7, "(007)"}, {fmt(4, 3, false), 7, "<  7>"},
        {fmt(1, 3, false), 1234, "[1234]"}, {fmt(1, 1, true), 0, "[0]"}, {fmt(1, 6, true), 40001, "[040001]"},
        {fmt(1, 3, false), -5, "[  0]"}, {fmt(1, 3, false), kCounterMax, "[999999999999999999]"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_counter_field(c.f, c.n), c.want) << c.want;
    // Widths beyond any configured one pad just the same.
    for (int width : {31, 32, 33, 50})
        EXPECT_EQ(format_counter_field(fmt(3, width, true), 42), "(" + std::string(width - 2, '0') + "42)") << width;
}

TEST(CounterField, Insert) {
    struct Case {
        const char* line;
        CounterFormat f;
        long long n;
        const char* want;
    } cases[] = {
        {"FILE.ZIP", fmt(1, 3, false), 1, "FILE.ZIP      [  1] "},
        {"file.zip Nice tool", fmt(1, 3, false), 1, "file.zip      [  1] Nice tool"},
        {"FILE.ZIP (c) 1995 Someone", fmt(1, 3, false), 1, "FILE.ZIP      [  1] (c) 1995 Someone"},
        {"FILE.ZIP /b Text", fmt(1, 3, false), 2, "FILE.ZIP /b   [  2] Text"},
        {"VERYLONGNAME.ZIP Text", fmt(1, 3, false), 3, "VERYLONGNAME.ZIP [  3] Text"},
        {"A.ZIP Text", fmt(4, 2, true, 8), 3, "A.ZIP   <03> Text"},
        {"FILE.ZIP\tTab", fmt(1, 3, false), 1, "FILE.ZIP\tTab  [  1] "},
    };
    for (const auto& c : cases) {
        std::string_view line = c.line;
        EXPECT_EQ(insert_counter_field(c.f, line, find_description_start(line), c.n), c.want)
            << c.line;
    }
}

}  // namespace
}  // namespace zunt
