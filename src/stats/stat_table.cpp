// Statistics file layout (all numbers little-endian, no padding, no trailer):
//
//   offset 0, 4 bytes   format mark, the unsigned 32-bit value 6
//   then, for bucket 0 to 100 in order:
//     2 bytes           n, the number of entries of the bucket (0-50)
//     n x 86 bytes      the entries, in the order they were added:
//       0, 80 bytes     the file's full path, NUL-terminated when shorter
//                       than 80 characters (bytes after the NUL are an old
//                       name's tail and mean nothing)
//       80, 2 bytes     download count, unsigned 16-bit
//       82, 4 bytes     time of the last change, unsigned 32-bit seconds
//                       since 1970
//
// An empty table is therefore 206 bytes long.
//
// A damaged file is read as far as it holds whole entries: a file that ends
// before its counts say keeps every entry read up to that point (the other
// buckets start empty), and a bucket that claims more than 50 entries keeps
// all of those that are present. Nothing is thrown away that can still be
// read, and the file is written back with the same entries.
#include "stats/stat_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "config/text_util.h"
#include "platform/text_io.h"

namespace zunt {

namespace {

std::uint32_t get_le(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

void put_le(std::string& out, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<char>(v & 0xFF));
        v >>= 8;
    }
}

StatEntry decode_entry(std::string_view bytes, std::size_t at) {
    StatEntry e;
    std::memcpy(e.name_field.data(), bytes.data() + at, kStatNameField);
    e.count = get_le(bytes, at + 80, 2);
    e.time = get_le(bytes, at + 82, 4);
    return e;
}

// Puts a name (at most 80 bytes) into a name field; a shorter name is
// terminated and the rest of the field is left as it was.
void store_name(StatEntry& e, std::string_view name) {
    std::memcpy(e.name_field.data(), name.data(), name.size());
    if (name.size() < kStatNameField) e.name_field[name.size()] = '\0';
}

std::uint32_t clamp_count(long long v) {
    if (v < 0) return 0;
    if (v > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(v);
}

// Held at the top of 32 bits, like every count in memory.
std::uint32_t add_counts(std::uint32_t count, long long value) {
    // A value near the top of long long would overflow the sum.
    return value > std::numeric_limits<long long>::max() - count
               ? clamp_count(value)
               : clamp_count(static_cast<long long>(count) + value);
}

// The slot whose last change is the longest ago; the lowest one among equals.
std::size_t oldest_slot(const std::vector<StatEntry>& bucket, std::uint32_t now) {
    std::size_t oldest = 0;
    std::uint32_t oldest_age = 0;
    for (std::size_t i = 0; i < bucket.size(); ++i) {
        const std::uint32_t age = now - bucket[i].time;
        if (age > oldest_age) {
            oldest_age = age;
            oldest = i;
        }
    }
    return oldest;
}

void index_keys(StatTable& table) {
    table.by_key.clear();
    for (std::size_t b = 0; b < table.buckets.size(); ++b)
        for (std::size_t i = 0; i < table.buckets[b].size(); ++i)
            table.by_key.emplace(table.buckets[b][i].key, StatTable::Place{b, i});
}

}  // namespace

std::string_view StatEntry::name() const {
    const char* p = name_field.data();
    const void* nul = std::memchr(p, '\0', kStatNameField);
    std::size_t len = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : kStatNameField;
    return std::string_view(p, len);
}

void StatTable::clear() {
    for (auto& b : buckets) b.clear();
    by_key.clear();
}

int stat_bucket_of(std::string_view name) {
    std::uint16_t sum = 0;
    for (char c : name) sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(c));
    return sum % kStatBuckets;
}

StatReadResult decode_statistics(std::string_view bytes, StatTable& table) {
    table.clear();
    if (bytes.size() < 4 || get_le(bytes, 0, 4) != kStatFormatMark) return StatReadResult::incompatible;
    std::size_t at = 4;
    for (auto& bucket : table.buckets) {
        if (bytes.size() - at < 2) break;
        std::uint32_t n = get_le(bytes, at, 2);
        at += 2;
        for (std::uint32_t i = 0; i < n && bytes.size() - at >= kStatEntryBytes; ++i) {
            bucket.push_back(decode_entry(bytes, at));
            bucket.back().key = bucket.back().name();
            at += kStatEntryBytes;
        }
    }
    index_keys(table);
    return StatReadResult::read;
}

void key_statistics(Env& env, StatTable& table) {
    std::unordered_map<std::string, StatEntry*> first;
    for (auto& bucket : table.buckets) {
        // Entries kept move down over those merged away; a kept entry never
        // moves again, so the pointers to it stay good.
        std::size_t kept = 0;
        for (StatEntry& e : bucket) {
            e.key = env.path_key(std::string(e.name()));
            if (const auto at = first.find(e.key); at != first.end()) {
                at->second->count = add_counts(at->second->count, e.count);
                at->second->time = std::max(at->second->time, e.time);
                continue;
            }
            StatEntry& slot = bucket[kept++];
            if (&slot != &e) slot = std::move(e);
            first.emplace(slot.key, &slot);
        }
        bucket.erase(bucket.begin() + static_cast<std::ptrdiff_t>(kept), bucket.end());
    }
    index_keys(table);
}

std::string encode_statistics(const StatTable& table) {
    std::string out;
    put_le(out, kStatFormatMark, 4);
    for (const auto& bucket : table.buckets) {
        // A bucket never claims more entries than its 16-bit count can say.
        std::size_t n = std::min<std::size_t>(bucket.size(), 65535);
        put_le(out, static_cast<std::uint32_t>(n), 2);
        for (std::size_t i = 0; i < n; ++i) {
            const StatEntry& e = bucket[i];
            out.append(e.name_field.data(), kStatNameField);
            put_le(out, std::min(e.count, kStatStoredCountMax), 2);
            put_le(out, e.time, 4);
        }
    }
    return out;
}

StatReadResult read_statistics(Env& env, const std::string& path, StatTable& table) {
    try {
        table.clear();
        std::string bytes;
        Errno e = read_whole_file(env, path, Share::exclusive, bytes);
        if (e == ENOENT) return StatReadResult::missing;
        if (e != 0) {
            env.set_last_error(e);
            return StatReadResult::open_failed;
        }
        const StatReadResult r = decode_statistics(bytes, table);
        if (r == StatReadResult::read) key_statistics(env, table);
        return r;
    } catch (const std::bad_alloc&) {
        table.clear();
        return StatReadResult::memory;
    }
}

StatUpdateResult update_stat_entry(StatTable& table, std::string_view name, const std::string& key,
                                   StatUpdate mode, long long value, std::uint32_t now) {
    if (const auto it = table.by_key.find(key); it != table.by_key.end()) {
        StatEntry& e = table.buckets[it->second.bucket][it->second.index];
        e.count = mode == StatUpdate::add ? add_counts(e.count, value) : clamp_count(value);
        e.time = now;
        return StatUpdateResult::recorded;
    }
    if (name.size() > kStatNameField) return StatUpdateResult::name_too_long;
    const auto b = static_cast<std::size_t>(stat_bucket_of(name));
    auto& bucket = table.buckets[b];
    std::size_t slot = bucket.size();
    // The index entry of a replaced file serves the new one: /i replaces
    // entries of full buckets hundreds of thousands of times.
    decltype(table.by_key)::node_type spare;
    if (slot < static_cast<std::size_t>(kStatBucketSlots)) {
        bucket.emplace_back();
    } else {
        slot = oldest_slot(bucket, now);
        const auto old = table.by_key.find(bucket[slot].key);
        if (old != table.by_key.end() && old->second.bucket == b && old->second.index == slot)
            spare = table.by_key.extract(old);
    }
    StatEntry& e = bucket[slot];
    store_name(e, name);
    e.count = clamp_count(value);
    e.time = now;
    e.key = key;
    if (spare.empty()) {
        table.by_key.emplace(key, StatTable::Place{b, slot});
    } else {
        spare.key() = key;
        spare.mapped() = StatTable::Place{b, slot};
        table.by_key.insert(std::move(spare));
    }
    return StatUpdateResult::recorded;
}

StatWriteResult write_statistics(Transaction& changes, const std::string& path, const StatTable& table) {
    try {
        if (changes.replace(path, encode_statistics(table)) != 0) return StatWriteResult::failed;
    } catch (const std::bad_alloc&) {
        return StatWriteResult::failed;
    }
    return StatWriteResult::written;
}

void log_stat_buckets(ActivityLog& log, const StatTable& table) {
    for (int b = 0; b < kStatBuckets; ++b)
        log.write(kDebug, strprintf("ZUNT [Debug] Bucket %d is filled with %d elements", b,
                                    static_cast<int>(table.buckets[static_cast<std::size_t>(b)].size())));
}

}  // namespace zunt
