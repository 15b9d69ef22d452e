#include "list/download_seq.h"

#include "list/download_list.h"

namespace zunt {

DownloadSeq::~DownloadSeq() { forget(seq_.size()); }

void DownloadSeq::forget(std::size_t n) { list_node_count -= static_cast<long>(n); }

void DownloadSeq::append(std::string_view path) {
    auto it = index_.find(path);
    Id id;
    if (it != index_.end()) {
        id = it->second;
    } else {
        id = static_cast<Id>(paths_.size());
        paths_.emplace_back(path);
        index_.emplace(paths_.back(), id);
    }
    seq_.push_back(id);
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
    paths_.clear();
}

}  // namespace zunt
