// The downloads of a counting run in the order the logs gave them, held
// compactly: every distinct path is stored once and each download is a
// four-byte reference to it, so that a log period of millions of downloads
// of a few thousand files costs little more than the files themselves.
//
// Each download still counts as one record in list_node_count, exactly as
// if it were a list node of its own, so the debug report reads the same.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zunt {

class DownloadSeq {
public:
    using Id = std::uint32_t;

    DownloadSeq() = default;
    DownloadSeq(const DownloadSeq&) = delete;
    DownloadSeq& operator=(const DownloadSeq&) = delete;
    ~DownloadSeq();

    // Appends the paths in turn.
    void append_all(const std::vector<std::string_view>& paths);

    std::size_t size() const { return seq_.size(); }
    Id id(std::size_t i) const { return seq_[i]; }
    const std::string& path(std::size_t i) const { return paths_[seq_[i]]; }

    // Every distinct path ever appended, by id (ids are dense from 0).
    std::size_t distinct() const { return paths_.size(); }
    const std::string& path_of(Id id) const { return paths_[id]; }

    // Keeps the downloads whose flag is set, in their order.
    void keep_if(const std::vector<bool>& keep);
    // Drops every download from position `n` on.
    void truncate(std::size_t n);
    // Releases everything.
    void clear();

private:
    void forget(std::size_t n);
    Id intern(std::string_view path, std::uint64_t hash);
    void make_room(std::size_t more);
    void grow_index();

    // One slot of the open-addressing index: the upper half of a path's
    // hash, its id + 1 (0 = free) and where its bytes lie in `arena_`. A
    // lookup touches one slot and one run of bytes; a log of millions of
    // downloads looks up every one of them.
    struct Slot {
        std::uint32_t tag = 0, id1 = 0, offset = 0, length = 0;
    };

    std::deque<std::string> paths_;
    std::string arena_;  // every distinct path's bytes, one after another
    std::vector<Slot> index_;
    std::vector<std::uint64_t> hashes_;  // append_all's scratch
    std::vector<Id> seq_;
};

}  // namespace zunt
