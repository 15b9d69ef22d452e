#include "list/download_list.h"

#include <algorithm>

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

void list_sort(DownloadList& list, int list_sort_key, int list_sort_direction) {
    const bool known_key = list_sort_key >= 1 && list_sort_key <= 3;
    const bool ascending = !known_key || list_sort_direction == 1;
    // std::string compares as unsigned bytes (char_traits<char>::compare).
    if (ascending) {
        std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
            return key_text(a, list_sort_key) < key_text(b, list_sort_key);
        });
    } else {
        std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
            return key_text(b, list_sort_key) < key_text(a, list_sort_key);
        });
    }
}

}  // namespace zunt
