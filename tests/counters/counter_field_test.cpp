#include "counters/counter_field.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

// The scenarios show every style, length and padding a control file can
// ask for; what no run reaches is a negative count and a width past them.
TEST(CounterField, FormatBeyondWhatARunAsksFor) {
    EXPECT_EQ(format_counter_field(CounterFormat{1, 3, false, 14}, -5), "[  0]");
    EXPECT_EQ(add_counts(-3, 2), 2);
    for (int width : {31, 32, 33, 50})
        EXPECT_EQ(format_counter_field(CounterFormat{3, width, true, 14}, 42), "(" + std::string(width - 2, '0') + "42)")
            << width;
}

}  // namespace
}  // namespace zunt
