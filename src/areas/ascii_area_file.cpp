#include "areas/ascii_area_file.h"

#include <vector>

#include "config/text_util.h"

namespace zunt {

namespace {

// The first three blank-separated fields; a tab belongs to its field.
std::vector<std::string> first_fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (fields.size() < 3) {
        at = line.find_first_not_of(' ', at);
        if (at == std::string_view::npos) break;
        std::size_t end = line.find(' ', at);
        if (end == std::string_view::npos) end = line.size();
        fields.emplace_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

}  // namespace

bool parse_ascii_area_line(std::string line, FareaArea& out) {
    strip_line_end(line);
    std::vector<std::string> fields = first_fields(line);
    if (fields.size() < 2) return false;
    out.name = std::move(fields[0]);
    out.download_dir = std::move(fields[1]);
    append_dir_separator(out.download_dir);
    out.filesbbs_path = fields.size() > 2 ? std::move(fields[2]) : std::string();
    to_lower_ascii(out.download_dir);
    to_lower_ascii(out.filesbbs_path);
    return true;
}

}  // namespace zunt
