#include "stats/stat_table.h"

#include <gtest/gtest.h>

#include <limits>

#include "areas/area_test_util.h"
#include "stats/top_files.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

std::vector<StatEntry>& bucket_of(StatTable& t, std::string_view name) {
    return t.buckets[static_cast<std::size_t>(stat_bucket_of(name))];
}

std::string le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string raw_entry(std::string name, unsigned count, unsigned time) {
    name.resize(80, '\0');
    return name + le16(count) + le16(time & 0xFFFF) + le16(time >> 16);
}

const std::string kMark("\x06\0\0\0", 4);

TEST(StatTable, UpdateAddsSetsSaturatesAndRefusesLongNames) {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    const std::string n80(80, 'x'), n81(81, 'x');
    struct Step { std::string name; StatUpdate mode; long long value; StatUpdateResult want; std::uint32_t count; };
    const Step steps[] = {
        {"c:\\a.zip", StatUpdate::add, 3, StatUpdateResult::recorded, 3},
        {"c:\\a.zip", StatUpdate::set, 7, StatUpdateResult::recorded, 7},
        {"C:\\A.ZIP", StatUpdate::add, 2, StatUpdateResult::recorded, 2},  // other case, other entry
        {n80, StatUpdate::set, 9, StatUpdateResult::recorded, 9},
        {n81, StatUpdate::add, 1, StatUpdateResult::name_too_long, 0},
        {"c:\\a.zip", StatUpdate::add, 65536, StatUpdateResult::recorded, 65543},  // wide in memory
        {"c:\\a.zip", StatUpdate::add, -70000, StatUpdateResult::recorded, 0},
        {"c:\\a.zip", StatUpdate::set, 65535, StatUpdateResult::recorded, 65535},
        {"c:\\a.zip", StatUpdate::add, kMax, StatUpdateResult::recorded, 0xFFFFFFFFu},
    };
    StatTable t;
    std::uint32_t now = 100;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name.substr(0, 12) + " " + std::to_string(s.value));
        EXPECT_EQ(update_stat_entry(t, s.name, std::string(s.name), s.mode, s.value, ++now), s.want);
        std::uint32_t count = 0;
        for (const auto& e : bucket_of(t, s.name))
            if (e.name() == s.name) {
                count = e.count;
                EXPECT_EQ(e.time, now);
            }
        EXPECT_EQ(count, s.count);
    }
    EXPECT_EQ(bucket_of(t, n81).size(), 1u);  // only the 80-character name
}

TEST(StatTable, FullBucketGivesUpItsOldestEntry) {
    std::vector<std::string> names;  // 51 names of bucket 3
    for (int i = 0; names.size() < 51; ++i)
        if (stat_bucket_of(std::to_string(i)) == 3) names.push_back(std::to_string(i));
    struct Case { const char* what; std::uint32_t now, usual; std::vector<std::pair<int, std::uint32_t>> odd; std::size_t slot; };
    const Case cases[] = {
        {"oldest wins", 1000, 900, {{17, 100}}, 17},
        {"all changed this second", 1000, 1000, {}, 0},
        {"tie takes lowest slot", 1000, 900, {{30, 50}, {12, 50}}, 12},
        {"unsigned age across wrap", 5, 3, {{40, 0xFFFFFFF0u}}, 40},  // "after" now: the greatest age
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint32_t> times(50, c.usual);
        for (auto [slot, time] : c.odd) times[static_cast<std::size_t>(slot)] = time;
        StatTable t;
        for (std::size_t i = 0; i < 50; ++i) update_stat_entry(t, names[i], std::string(names[i]), StatUpdate::add, 1, times[i]);
        EXPECT_EQ(update_stat_entry(t, names[50], std::string(names[50]), StatUpdate::set, 8, c.now), StatUpdateResult::recorded);
        ASSERT_EQ(t.buckets[3].size(), 50u);
        EXPECT_EQ(t.buckets[3][c.slot].name(), names[50]);
        EXPECT_EQ(t.buckets[3][c.slot].count, 8u);
        EXPECT_EQ(t.buckets[3][c.slot].time, c.now);
    }
}

TEST(StatTable, RoundTripKeepsOldNameTailsAndSaturatesCounts) {
    std::string field = std::string("c:\\x.zip") + '\0' + "ong_old_name.zip";
    field.resize(80, '\0');
    const int b = stat_bucket_of("c:\\x.zip");
    std::string bytes = kMark;
    for (int i = 0; i < kStatBuckets; ++i) bytes += (i == b) ? le16(1) + raw_entry(field, 5, 0x01020304) : le16(0);
    StatTable t;
    ASSERT_EQ(decode_statistics(bytes, t), StatReadResult::read);
    EXPECT_EQ(bucket_of(t, "c:\\x.zip").at(0).name(), "c:\\x.zip");
    EXPECT_EQ(encode_statistics(t), bytes);
    update_stat_entry(t, "c:\\x.zip", std::string("c:\\x.zip"), StatUpdate::add, 70000, 0x01020304);
    const std::string written = encode_statistics(t);
    EXPECT_EQ(written.substr(4 + 2 * b + 2 + 80, 2), le16(65535));  // never wraps to 4469
    EXPECT_EQ(written.substr(4 + 2 * b + 2, 80), field);            // old tail unchanged
}

// The scenarios hold files of another format, cut inside an entry, claiming
// more entries than follow and with 60 in a bucket; these two ends they lack.
TEST(StatTable, DamagedFilesKeepEveryIntactEntry) {
    StatTable t;
    EXPECT_EQ(decode_statistics(std::string("\x06\0", 2), t), StatReadResult::incompatible);
    ASSERT_EQ(decode_statistics(kMark + le16(1) + raw_entry("a", 1, 1) + "\x01", t), StatReadResult::read);
    EXPECT_EQ(t.buckets[0].size(), 1u);
}

TEST(StatTable, MissingFileIsToldApartFromFailures) {
    testing::ScratchDir dir("stat");
    const std::string path = dir.path("zunt.sta");
    StatTable t;
    EXPECT_EQ(read_statistics(default_env(), path, t), StatReadResult::missing);
    update_stat_entry(t, "c:\\a.zip", std::string("c:\\a.zip"), StatUpdate::add, 2, 5);
    Transaction changes(default_env(), dir.path("zunt.jnl"));
    ASSERT_EQ(write_statistics(changes, path, t), StatWriteResult::written);
    ASSERT_EQ(changes.commit().result, CommitResult::done);
    for (long n = 1; n <= 2; ++n) {  // open, read
        testing::FaultEnv env(default_env(), n);
        EXPECT_EQ(read_statistics(env, path, t), StatReadResult::open_failed) << n;
        EXPECT_EQ(env.last_error(), EIO) << n;
    }
}

}  // namespace
}  // namespace zunt
