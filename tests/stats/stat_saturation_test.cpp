// Counts added to a statistics entry saturate instead of overflowing, however
// large the amount (found by fuzzing: 65535 + the largest long long).
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "stats/stat_table.h"

namespace zunt {
namespace {

TEST(StatSaturation, HugeAmountsHoldAtTheTop) {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr std::uint32_t kTop = std::numeric_limits<std::uint32_t>::max();
    struct Case {
        std::uint32_t start;
        long long add;
        std::uint32_t want;
    } cases[] = {
        {65535, kMax, kTop},
        {kTop, kMax, kTop},
        {1, kMax - 1, kTop},
        {5, -10, 0},
        {5, 7, 12},
    };
    for (const Case& c : cases) {
        StatTable table;
        update_stat_entry(table, "d:\\f\\a.zip", StatUpdate::set, c.start, 1);
        update_stat_entry(table, "d:\\f\\a.zip", StatUpdate::add, c.add, 2);
        const auto& bucket = table.buckets[static_cast<std::size_t>(stat_bucket_of("d:\\f\\a.zip"))];
        ASSERT_EQ(bucket.size(), 1u);
        EXPECT_EQ(bucket[0].count, c.want) << c.start << " + " << c.add;
    }
}

}  // namespace
}  // namespace zunt
