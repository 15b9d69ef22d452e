// One log line: the download and upload recognisers. A download's path,
// name and extension must be what plain string work on the line gives.
#include "fuzz_util.h"

#include "config/text_util.h"

// The path word after the first token found, taken apart with plain
// string functions: what find_download must agree with.
namespace zunt {
static LineDownload plain_download(std::string_view line, const std::vector<std::string>& tokens, std::string& path) {
    for (const std::string& token : tokens) {
        const std::size_t pos = line.find(token);
        if (pos == std::string_view::npos) continue;
        const std::size_t blank = line.find(' ', pos + token.size() - 1);
        if (blank == std::string_view::npos) return LineDownload::none;
        const std::size_t end = std::min(line.find_first_of(" \n", blank + 1), line.size());
        path = lower_ascii(line.substr(blank + 1, end - blank - 1));
        if (path.empty()) return LineDownload::none;
        const std::string_view file = std::string_view(path).substr(path_name_start(path));
        const std::size_t dot = file.rfind('.');
        const std::string_view ext = dot == std::string_view::npos ? std::string_view() : file.substr(dot);
        if (is_excluded_file(file.substr(0, dot), ext)) return LineDownload::excluded;
        return ext == ".tic" ? LineDownload::listed : LineDownload::counted;
    }
    return LineDownload::none;
}
}  // namespace zunt

ZUNT_FUZZ {
    const auto part = parts(fdp, 2);
    const auto tokens = download_tokens({part[1], "sent:"});
    static std::string path;  // kept from line to line, as the log scan keeps it
    std::string plain_path;
    const LineDownload found = find_download(part[0], tokens, path);
    require(found == plain_download(part[0], tokens, plain_path));
    if (found == LineDownload::listed || found == LineDownload::counted) require(path == plain_path);
    upload_entry(part[0], uploader_of(part[0]));
    is_excluded_file(part[0], part[1]);
}
