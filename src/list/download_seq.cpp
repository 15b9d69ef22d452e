#include "list/download_seq.h"

#include <cstring>
#include <new>

#include "list/download_list.h"

namespace zunt {

DownloadSeq::~DownloadSeq() { forget(seq_.size()); }

void DownloadSeq::forget(std::size_t n) { list_node_count -= static_cast<long>(n); }

namespace {

// Eight bytes at a time, each word mixed in by a multiply: this runs for
// every download of a log. The ids do not depend on it, only where the
// index keeps them.
std::uint64_t hash_of(std::string_view s) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = s.size() * kMul;
    const auto mix = [&](std::uint64_t word) {
        h = (h ^ word) * kMul;
        h ^= h >> 29;
    };
    std::size_t i = 0;
    for (; s.size() - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        mix(word);
    }
    if (i < s.size()) {
        std::uint64_t word = 0;
        for (std::size_t k = i; k < s.size(); ++k) word = word << 8 | static_cast<unsigned char>(s[k]);
        mix(word);
    }
    return h ^ h >> 32;
}

std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

}  // namespace

void DownloadSeq::grow_index() {
    std::vector<Slot> old = std::move(index_);
    index_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    const std::size_t mask = index_.size() - 1;
    for (const Slot& s : old) {
        if (s.id1 == 0) continue;
        std::size_t at = static_cast<std::size_t>(hash_of(paths_[s.id1 - 1])) & mask;
        while (index_[at].id1 != 0) at = (at + 1) & mask;
        index_[at] = s;
    }
}

void DownloadSeq::make_room(std::size_t more) {
    while ((paths_.size() + more + 1) * 2 > index_.size()) grow_index();
}

DownloadSeq::Id DownloadSeq::intern(std::string_view path, std::uint64_t h) {
    const std::size_t mask = index_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(h) & mask;; at = (at + 1) & mask) {
        Slot& slot = index_[at];
        if (slot.id1 == 0) {
            // Offsets are 32 bits; past that the run is out of memory anyway.
            if (arena_.size() + path.size() > 0xFFFFFFFFull || paths_.size() >= 0xFFFFFFFEull)
                throw std::bad_alloc();
            const Id id = static_cast<Id>(paths_.size());
            paths_.emplace_back(path);
            slot = {tag_of(h), id + 1, static_cast<std::uint32_t>(arena_.size()),
                    static_cast<std::uint32_t>(path.size())};
            arena_.append(path);
            return id;
        }
        if (slot.tag == tag_of(h) && slot.length == path.size() &&
            std::string_view(arena_).substr(slot.offset, slot.length) == path)
            return slot.id1 - 1;
    }
}

void DownloadSeq::append_all(const std::vector<std::string_view>& paths) {
    // Each lookup waits for memory twice, for its slot and for its bytes.
    // The slots of the whole batch are asked for first, and the bytes a few
    // lookups ahead, so that the waits overlap instead of adding up.
    constexpr std::size_t kAhead = 8;
    make_room(paths.size());
    const std::size_t mask = index_.size() - 1;
    hashes_.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        hashes_[i] = hash_of(paths[i]);
        __builtin_prefetch(&index_[static_cast<std::size_t>(hashes_[i]) & mask]);
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i + kAhead < paths.size()) {
            const Slot& ahead = index_[static_cast<std::size_t>(hashes_[i + kAhead]) & mask];
            if (ahead.id1 != 0) __builtin_prefetch(arena_.data() + ahead.offset);
        }
        seq_.push_back(intern(paths[i], hashes_[i]));
    }
    list_node_count += static_cast<long>(paths.size());
}

void DownloadSeq::keep_if(const std::vector<bool>& keep) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < seq_.size(); ++i)
        if (i < keep.size() && keep[i]) seq_[out++] = seq_[i];
    truncate(out);
}

void DownloadSeq::truncate(std::size_t n) {
    if (n >= seq_.size()) return;
    forget(seq_.size() - n);
    seq_.resize(n);
}

void DownloadSeq::clear() {
    forget(seq_.size());
    seq_.clear();
    seq_.shrink_to_fit();
    index_.clear();
    index_.shrink_to_fit();
    paths_.clear();
    arena_.clear();
    arena_.shrink_to_fit();
}

}  // namespace zunt
