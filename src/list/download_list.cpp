#include "list/download_list.h"

#include <algorithm>
#include <numeric>

namespace zunt {

long list_node_count = 0;

void list_append(DownloadList& list, std::string text1, std::optional<std::string> text2,
                 std::optional<std::string> text3) {
    list.push_back({std::move(text1), std::move(text2), std::move(text3)});
    ++list_node_count;
}

void list_free(DownloadList& list) {
    list_node_count -= static_cast<long>(list.size());
    list.clear();
    list.shrink_to_fit();
}

namespace {

const std::string& key_text(const DownloadRecord& r, int key) {
    static const std::string empty;
    switch (key) {
        case 2: return r.text2 ? *r.text2 : empty;
        case 3: return r.text3 ? *r.text3 : empty;
        default: return r.text1;
    }
}

}  // namespace

namespace {

// A stable sort that moves each record once: the order is worked out on
// indices, and a list already in order (as after an earlier sort) is left
// as it is, which is what a stable sort gives it.
template <class Less>
void sort_records(DownloadList& list, Less less) {
    if (std::is_sorted(list.begin(), list.end(), less)) return;
    std::vector<std::size_t> order(list.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return less(list[a], list[b]); });
    DownloadList sorted;
    sorted.reserve(list.size());
    for (std::size_t i : order) sorted.push_back(std::move(list[i]));
    list = std::move(sorted);
}

}  // namespace

void list_sort(DownloadList& list, int list_sort_key, int list_sort_direction) {
    const bool known_key = list_sort_key >= 1 && list_sort_key <= 3;
    const bool ascending = !known_key || list_sort_direction == 1;
    // std::string compares as unsigned bytes (char_traits<char>::compare).
    if (ascending) {
        sort_records(list, [&](const DownloadRecord& a, const DownloadRecord& b) {
            return key_text(a, list_sort_key) < key_text(b, list_sort_key);
        });
    } else {
        sort_records(list, [&](const DownloadRecord& a, const DownloadRecord& b) {
            return key_text(b, list_sort_key) < key_text(a, list_sort_key);
        });
    }
}

}  // namespace zunt
