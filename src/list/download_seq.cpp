#include "list/download_seq.h"

#include "list/download_list.h"

namespace zunt {

DownloadSeq::~DownloadSeq() { forget(seq_.size()); }

void DownloadSeq::forget(std::size_t n) { list_node_count -= static_cast<long>(n); }

namespace {

// FNV-1a, 64 bits: the same on every host.
std::uint64_t hash_of(std::string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::uint64_t slot_for(std::uint64_t hash, DownloadSeq::Id id) {
    return (hash & 0xFFFFFFFF00000000ull) | (static_cast<std::uint64_t>(id) + 1);
}

}  // namespace

void DownloadSeq::grow_index() {
    std::vector<std::uint64_t> old = std::move(index_);
    index_.assign(old.empty() ? 1024 : old.size() * 2, 0);
    const std::size_t mask = index_.size() - 1;
    for (Id id = 0; id < paths_.size(); ++id) {
        const std::uint64_t h = hash_of(paths_[id]);
        std::size_t at = static_cast<std::size_t>(h) & mask;
        while (index_[at] != 0) at = (at + 1) & mask;
        index_[at] = slot_for(h, id);
    }
}

DownloadSeq::Id DownloadSeq::intern(std::string_view path) {
    if ((paths_.size() + 1) * 2 > index_.size()) grow_index();
    const std::uint64_t h = hash_of(path);
    const std::size_t mask = index_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(h) & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = index_[at];
        if (slot == 0) {
            const Id id = static_cast<Id>(paths_.size());
            paths_.emplace_back(path);
            index_[at] = slot_for(h, id);
            return id;
        }
        const Id id = static_cast<Id>((slot & 0xFFFFFFFFull) - 1);
        if ((slot >> 32) == (h >> 32) && paths_[id] == path) return id;
    }
}

void DownloadSeq::append(std::string_view path) {
    seq_.push_back(intern(path));
    ++list_node_count;
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
}

}  // namespace zunt
