#include "list/download_list.h"

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

}  // namespace zunt
