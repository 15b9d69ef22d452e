#include <gtest/gtest.h>

#include "stats/stat_table.h"

namespace zunt {
namespace {

long long count_of(const StatTable& t, std::string_view name) {
    for (const auto& bucket : t.buckets)
        for (const StatEntry& e : bucket)
            if (e.name() == name) return e.count;
    return -1;
}

std::size_t entries(const StatTable& t) {
    std::size_t n = 0;
    for (const auto& bucket : t.buckets) n += bucket.size();
    return n;
}

// A name is found again only when the stored name is exactly it: not a
// longer or shorter name sharing its start, a full 80-byte field included.
TEST(StatNameMatch, WholeNamesOnly) {
    StatTable t;
    const std::string full(80, 'a');
    struct Step { std::string name; long long value; std::size_t entries_after; };
    const Step steps[] = {
        {full, 5, 1},
        {full, 2, 1},                 // the same 80-byte name
        {full.substr(0, 79), 1, 2},   // a shorter name with the same start
        {"ab", 1, 3},
        {"abc", 1, 4},
        {"ab", 3, 4},
    };
    for (const Step& s : steps) {
        update_stat_entry(t, s.name, StatUpdate::add, s.value, 100);
        EXPECT_EQ(entries(t), s.entries_after) << s.name.size();
    }
    EXPECT_EQ(count_of(t, full), 7);
    EXPECT_EQ(count_of(t, full.substr(0, 79)), 1);
    EXPECT_EQ(count_of(t, "ab"), 4);
    EXPECT_EQ(count_of(t, "abc"), 1);
    // A name holding a NUL never equals a stored one.
    update_stat_entry(t, std::string("ab\0c", 4), StatUpdate::add, 1, 100);
    EXPECT_EQ(entries(t), 5u);
}

// Names of one bucket that share their end, or their start, stay apart.
TEST(StatNameMatch, SharedHeadsAndTails) {
    StatTable t;
    const char* names[] = {"d:\\ab\\file0001.zip", "d:\\ba\\file0001.zip", "d:\\ab\\file0010.zip",
                           "d:\\ab\\file1000.zip", "1.zip", "file0001.zip"};
    for (const char* n : names) update_stat_entry(t, n, StatUpdate::add, 1, 100);
    for (const char* n : names) update_stat_entry(t, n, StatUpdate::add, 2, 100);
    EXPECT_EQ(entries(t), 6u);
    for (const char* n : names) EXPECT_EQ(count_of(t, n), 3) << n;
}

// A stored name is compared up to its NUL: what an older, longer name
// left behind in the field does not count.
TEST(StatNameMatch, TailOfAnOlderNameIsIgnored) {
    StatTable t;
    StatEntry old;
    const std::string stale = "files\\x.zip";
    std::copy(stale.begin(), stale.end(), old.name_field.begin());
    old.name_field[5] = '\0';  // the name is "files", the rest an old tail
    old.count = 9;
    t.buckets[static_cast<std::size_t>(stat_bucket_of("files"))].push_back(old);
    update_stat_entry(t, "files", StatUpdate::add, 1, 100);
    EXPECT_EQ(count_of(t, "files"), 10);
    update_stat_entry(t, stale, StatUpdate::add, 1, 100);
    EXPECT_EQ(count_of(t, stale), 1);
}

}  // namespace
}  // namespace zunt
