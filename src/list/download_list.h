// The program's one dynamic container: records of up to three texts, kept in
// the order they were appended, sortable stably by any one of the texts.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zunt {

struct DownloadRecord {
    std::string text1;
    std::optional<std::string> text2;
    std::optional<std::string> text3;
};

using DownloadList = std::vector<DownloadRecord>;

// Live records of every list of the process, for the debug report.
extern long list_node_count;

void list_append(DownloadList& list, std::string text1,
                 std::optional<std::string> text2 = std::nullopt,
                 std::optional<std::string> text3 = std::nullopt);
void list_free(DownloadList& list);

// Stable sort. list_sort_key 1, 2, 3 picks text1, text2, text3 (any other
// key: text1, ascending whatever the direction); list_sort_direction 1 is
// ascending, anything else descending. Texts compare as unsigned bytes; an
// absent text compares as the empty text.
void list_sort(DownloadList& list, int list_sort_key, int list_sort_direction);

}  // namespace zunt
