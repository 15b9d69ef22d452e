#include "stats/stat_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;

// Names that all fall into bucket `bucket`.
std::vector<std::string> names_in_bucket(int bucket, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        std::string n = "c:\\f\\" + std::to_string(i) + ".zip";
        int pad = ((bucket - stat_bucket_of(n)) % 101 + 101) % 101;
        n += static_cast<char>(pad + 101);  // one more byte brings the sum to the bucket
        out.push_back(n);
    }
    return out;
}

std::vector<StatEntry>& bucket_of(StatTable& t, std::string_view name) {
    return t.buckets[static_cast<std::size_t>(stat_bucket_of(name))];
}

std::string le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string raw_entry(std::string_view name, unsigned count, unsigned time) {
    std::string e(name);
    e.resize(80, '\0');
    e += le16(count);
    e += le16(time & 0xFFFF) + le16(time >> 16);
    return e;
}

TEST(StatTable, BucketIsByteSumModulo101) {
    EXPECT_EQ(stat_bucket_of(""), 0);
    EXPECT_EQ(stat_bucket_of("e"), 101 % 101);        // 'e' is 101
    EXPECT_EQ(stat_bucket_of("\xFF"), 255 % 101);      // bytes count unsigned
    EXPECT_EQ(stat_bucket_of("ab"), (97 + 98) % 101);
}

TEST(StatTable, UpdateAddsSetsAndRefusesLongNames) {
    const std::string n80(80, 'x'), n81(81, 'x');
    struct Step {
        std::string name;
        StatUpdate mode;
        long long value;
        std::uint32_t now;
        StatUpdateResult want;
        std::uint32_t want_count;  // count of `name` afterwards (0: absent)
        std::size_t want_bucket_size;
    } steps[] = {
        {"c:\\a.zip", StatUpdate::add, 1, 100, StatUpdateResult::recorded, 1, 1},
        {"c:\\a.zip", StatUpdate::add, 3, 200, StatUpdateResult::recorded, 4, 1},
        {"c:\\a.zip", StatUpdate::set, 7, 300, StatUpdateResult::recorded, 7, 1},
        {"C:\\A.ZIP", StatUpdate::add, 2, 300, StatUpdateResult::recorded, 2, 1},  // other case, other entry
        {n80, StatUpdate::set, 9, 300, StatUpdateResult::recorded, 9, 1},
        {n81, StatUpdate::add, 1, 300, StatUpdateResult::name_too_long, 0, 1},
        {"c:\\a.zip", StatUpdate::add, 65536, 400, StatUpdateResult::recorded, 65543, 1},
    };
    StatTable t;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name.substr(0, 12));
        EXPECT_EQ(update_stat_entry(t, s.name, s.mode, s.value, s.now), s.want);
        std::uint32_t count = 0;
        for (const auto& e : bucket_of(t, s.name))
            if (e.name() == s.name) {
                count = e.count;
                EXPECT_EQ(e.time, s.now);
            }
        EXPECT_EQ(count, s.want_count);
    }
    EXPECT_EQ(bucket_of(t, n81).size(), 1u);  // only the 80-character name
    EXPECT_EQ(bucket_of(t, n80)[0].name().size(), 80u);
}

TEST(StatTable, SameBucketNamesAreToldApart) {
    auto names = names_in_bucket(7, 2);
    StatTable t;
    update_stat_entry(t, names[0], StatUpdate::add, 1, 10);
    update_stat_entry(t, names[1], StatUpdate::add, 5, 10);
    update_stat_entry(t, names[0], StatUpdate::add, 1, 11);
    ASSERT_EQ(t.buckets[7].size(), 2u);
    EXPECT_EQ(t.buckets[7][0].count, 2u);
    EXPECT_EQ(t.buckets[7][1].count, 5u);
}

TEST(StatTable, FullBucketGivesUpItsOldestEntry) {
    auto names = names_in_bucket(3, 51);
    struct Case {
        const char* what;
        std::uint32_t now;
        std::vector<std::uint32_t> times;  // times of the 50 slots (default 1000)
        std::size_t want_slot;
    } cases[] = {
        {"oldest wins", 1000, {}, 0},          // patched below
        {"all changed this second", 1000, {}, 0},
        {"tie takes lowest slot", 1000, {}, 0},
        {"unsigned age across wrap", 5, {}, 0},
    };
    cases[0].times.assign(50, 900);
    cases[0].times[17] = 100;
    cases[0].want_slot = 17;
    cases[1].times.assign(50, 1000);
    cases[2].times.assign(50, 900);
    cases[2].times[30] = cases[2].times[12] = 50;
    cases[2].want_slot = 12;
    cases[3].times.assign(50, 3);
    cases[3].times[40] = 0xFFFFFFF0u;  // written "after" now: the greatest unsigned age
    cases[3].want_slot = 40;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StatTable t;
        for (int i = 0; i < 50; ++i) update_stat_entry(t, names[i], StatUpdate::add, 1, c.times[i]);
        ASSERT_EQ(t.buckets[3].size(), 50u);
        EXPECT_EQ(update_stat_entry(t, names[50], StatUpdate::set, 8, c.now), StatUpdateResult::recorded);
        EXPECT_EQ(t.buckets[3].size(), 50u);
        EXPECT_EQ(t.buckets[3][c.want_slot].name(), names[50]);
        EXPECT_EQ(t.buckets[3][c.want_slot].count, 8u);
        EXPECT_EQ(t.buckets[3][c.want_slot].time, c.now);
    }
}

TEST(StatTable, EmptyTableIs206Bytes) {
    StatTable t;
    std::string want = std::string("\x06\0\0\0", 4) + std::string(202, '\0');
    EXPECT_EQ(encode_statistics(t), want);
}

TEST(StatTable, RoundTripKeepsOldNameTailsAndSaturatesCounts) {
    std::string old_name = "c:\\files\\a_long_old_name.zip";
    std::string field = "c:\\x.zip";
    field += '\0';
    field += old_name.substr(field.size());
    field.resize(80, '\0');
    std::string bytes = std::string("\x06\0\0\0", 4);
    std::string bucket_bytes = le16(1) + raw_entry(field, 5, 0x01020304);
    int b = stat_bucket_of("c:\\x.zip");
    for (int i = 0; i < kStatBuckets; ++i) bytes += (i == b) ? bucket_bytes : le16(0);

    StatTable t;
    ASSERT_EQ(decode_statistics(bytes, t), StatReadResult::read);
    ASSERT_EQ(t.buckets[static_cast<std::size_t>(b)].size(), 1u);
    EXPECT_EQ(t.buckets[static_cast<std::size_t>(b)][0].name(), "c:\\x.zip");
    EXPECT_EQ(t.buckets[static_cast<std::size_t>(b)][0].time, 0x01020304u);
    EXPECT_EQ(encode_statistics(t), bytes);

    update_stat_entry(t, "c:\\x.zip", StatUpdate::add, 70000, 0x01020304);
    EXPECT_EQ(t.buckets[static_cast<std::size_t>(b)][0].count, 70005u);  // wide in memory
    std::string written = encode_statistics(t);
    EXPECT_EQ(written.substr(4 + 2 * b + 2 + 80, 2), le16(65535));       // never wraps to 4469
    EXPECT_EQ(written.substr(4 + 2 * b + 2, 80), field);                 // old tail unchanged
}

TEST(StatTable, DamagedFilesKeepEveryIntactEntry) {
    const std::string mark("\x06\0\0\0", 4);
    struct Case {
        const char* what;
        std::string bytes;
        StatReadResult want;
        std::vector<std::size_t> sizes;  // sizes of buckets 0, 1, 2
    } cases[] = {
        {"bad mark", std::string("\x05\0\0\0", 4) + std::string(202, '\0'), StatReadResult::incompatible,
         {0, 0, 0}},
        {"shorter than the mark", std::string("\x06\0", 2), StatReadResult::incompatible, {0, 0, 0}},
        {"mark only", mark, StatReadResult::read, {0, 0, 0}},
        {"ends inside an entry", mark + le16(2) + raw_entry("a", 1, 1) + raw_entry("b", 2, 2).substr(0, 40),
         StatReadResult::read, {1, 0, 0}},
        {"ends inside a count", mark + le16(1) + raw_entry("a", 1, 1) + "\x01", StatReadResult::read,
         {1, 0, 0}},
        {"count says 200 but 3 follow", mark + le16(200) + raw_entry("a", 1, 1) + raw_entry("b", 1, 1) +
                                            raw_entry("c", 1, 1),
         StatReadResult::read, {3, 0, 0}},
    };
    std::string big = mark + le16(60);
    for (int i = 0; i < 60; ++i) big += raw_entry("n" + std::to_string(i), 1, 1);
    big += le16(1) + raw_entry("z", 9, 9);
    for (int i = 2; i < kStatBuckets; ++i) big += le16(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StatTable t;
        EXPECT_EQ(decode_statistics(c.bytes, t), c.want);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(t.buckets[i].size(), c.sizes[i]);
    }
    StatTable t;
    ASSERT_EQ(decode_statistics(big, t), StatReadResult::read);
    EXPECT_EQ(t.buckets[0].size(), 60u);
    EXPECT_EQ(t.buckets[1].size(), 1u);
    EXPECT_EQ(encode_statistics(t), big);
}

class StatFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zunt_stat_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "zunt.sta").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string slurp() {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(StatFileTest, MissingFileStartsAnewButOtherOpenFailuresAreApart) {
    StatTable t;
    EXPECT_EQ(read_statistics(default_env(), path_, t), StatReadResult::missing);
    std::ofstream(path_, std::ios::binary) << std::string("\x06\0\0\0", 4) << std::string(202, '\0');
    testing::FaultEnv failing_open(default_env(), 1);
    EXPECT_EQ(read_statistics(failing_open, path_, t), StatReadResult::open_failed);
    EXPECT_EQ(failing_open.last_error(), EIO);
    testing::FaultEnv failing_read(default_env(), 2);
    EXPECT_EQ(read_statistics(failing_read, path_, t), StatReadResult::open_failed);
    EXPECT_EQ(read_statistics(default_env(), path_, t), StatReadResult::read);
}

TEST_F(StatFileTest, FailedWriteLeavesThePreviousFile) {
    StatTable t;
    update_stat_entry(t, "c:\\a.zip", StatUpdate::add, 2, 5);
    ASSERT_EQ(write_statistics(default_env(), path_, t), StatWriteResult::written);
    const std::string before = slurp();
    EXPECT_EQ(before, encode_statistics(t));
    update_stat_entry(t, "c:\\b.zip", StatUpdate::add, 1, 6);
    for (long n = 1; n <= 4; ++n) {  // open, write, sync, close of the new file
        testing::FaultEnv env(default_env(), n);
        EXPECT_EQ(write_statistics(env, path_, t), StatWriteResult::failed) << n;
        EXPECT_EQ(slurp(), before) << n;
    }
    StatTable back;
    ASSERT_EQ(write_statistics(default_env(), path_, t), StatWriteResult::written);
    ASSERT_EQ(read_statistics(default_env(), path_, back), StatReadResult::read);
    EXPECT_EQ(encode_statistics(back), encode_statistics(t));
}

}  // namespace
}  // namespace zunt
