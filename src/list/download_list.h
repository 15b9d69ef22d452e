// The program's one dynamic container: records of up to three texts, kept in
// the order they were appended.
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

}  // namespace zunt
