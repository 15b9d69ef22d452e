// The statistics file: how often each file was downloaded, kept across runs
// in a fixed hash table of 101 buckets, each holding the files whose name
// bytes sum to its number (modulo 101).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/env.h"
#include "config/activity_log.h"

namespace zunt {

inline constexpr int kStatBuckets = 101;
inline constexpr int kStatBucketSlots = 50;
inline constexpr std::size_t kStatNameField = 80;
inline constexpr std::size_t kStatEntryBytes = 86;
inline constexpr std::uint32_t kStatFormatMark = 6;
inline constexpr std::uint32_t kStatStoredCountMax = 65535;

struct StatEntry {
    // The raw 80-byte name field. The name runs to its first NUL or fills
    // the field; bytes after the NUL are an older name's tail and are kept
    // so that the file is written back as it was read.
    std::array<char, kStatNameField> name_field{};
    // Kept wide in memory; written as 16 bits, held at 65535 when larger.
    std::uint32_t count = 0;
    std::uint32_t time = 0;  // last change, seconds since 1970
    // The identity key of the file the entry counts (not stored).
    std::string key;

    std::string_view name() const;
};

struct StatTable {
    // Entries of each bucket in the order they were added. A bucket holds at
    // most 50 entries, unless a damaged file gave it more (they are kept).
    std::array<std::vector<StatEntry>, kStatBuckets> buckets;
    // Every entry by its key: a file is found under any spelling.
    struct Place {
        std::size_t bucket, index;
    };
    std::unordered_map<std::string, Place> by_key;

    void clear();
};

// Bucket of a name: its bytes summed in 16 bits (wrapping), modulo 101.
int stat_bucket_of(std::string_view name);

enum class StatReadResult {
    read = 0,
    memory = 1,        // the table could not be allocated
    incompatible = 2,  // the format mark is not 6: the table starts empty
    missing = 3,       // the file does not exist: the table starts empty
    open_failed = 4,   // it exists but cannot be opened or read; errno in Env::last_error()
};

// Fills `table` from the statistics file (held exclusively while it is read).
StatReadResult read_statistics(Env& env, const std::string& path, StatTable& table);

// The bytes of a statistics file turned into a table (read, memory or
// incompatible). Each entry is keyed by its name exactly as stored.
StatReadResult decode_statistics(std::string_view bytes, StatTable& table);

// Keys every entry by the file it names and merges the entries that name
// one file under several spellings into the first of them (in file order):
// counts added, the later time kept. read_statistics does it.
void key_statistics(Env& env, StatTable& table);
// The table in the file's layout.
std::string encode_statistics(const StatTable& table);

enum class StatUpdate { add, set };
enum class StatUpdateResult { recorded = 0, name_too_long = 1 };

// Records one file, found by its identity key `key` under whatever name it
// was stored: with `add` the value is added to its count, with `set` it
// replaces it. A new file is stored under `name`; it takes the next free
// slot of the name's bucket, or the slot of the entry changed longest ago
// when the bucket is full.
StatUpdateResult update_stat_entry(StatTable& table, std::string_view name, const std::string& key,
                                   StatUpdate mode, long long value, std::uint32_t now);

enum class StatWriteResult { written = 0, failed = 1 };

// Replaces the statistics file with the table; the old file stays intact
// when the new one cannot be written completely.
StatWriteResult write_statistics(Env& env, const std::string& path, const StatTable& table);

// One debug line per bucket with its number of entries.
void log_stat_buckets(ActivityLog& log, const StatTable& table);

}  // namespace zunt
