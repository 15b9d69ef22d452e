#include "areas/area_table.h"

namespace zunt {

namespace {
const std::string& text_or_empty(const std::optional<std::string>& t) {
    static const std::string empty;
    return t ? *t : empty;
}
}  // namespace

const std::string& area_filesbbs_path(const DownloadRecord& r) { return text_or_empty(r.text2); }
const std::string& area_name(const DownloadRecord& r) { return text_or_empty(r.text3); }

int area_hash(std::string_view text) {
    std::uint16_t sum = 0;
    for (char c : text) sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(c));
    return sum % kAreaBuckets;
}

AreaTable area_table_new() {
    AreaTable table;
    table.buckets.resize(kAreaBuckets);
    return table;
}

void area_table_insert(AreaTable& table, std::string download_dir, std::string dir_key,
                       std::string filesbbs_path, std::string area_name) {
    if (table.buckets.size() != kAreaBuckets) table.buckets.resize(kAreaBuckets);
    const auto bucket = static_cast<std::size_t>(area_hash(download_dir));
    DownloadList& chain = table.buckets[bucket];
    list_append(chain, std::move(download_dir), std::move(filesbbs_path), std::move(area_name));
    table.by_key.emplace(std::move(dir_key), AreaTable::Place{bucket, chain.size() - 1});  // the first stays
}

const DownloadRecord* area_table_lookup(const AreaTable& table, const std::string& dir_key) {
    const auto it = table.by_key.find(dir_key);
    if (it == table.by_key.end()) return nullptr;
    return &table.buckets[it->second.bucket][it->second.index];
}

void area_table_free(AreaTable& table) {
    table.by_key.clear();
    for (DownloadList& chain : table.buckets) list_free(chain);
    table.buckets.clear();
    table.buckets.shrink_to_fit();
}

void release_area_config(AreaConfig& config) {
    if (config.area_table) {
        area_table_free(*config.area_table);
        config.area_table.reset();
    }
    list_free(config.area_list);
    config.farea_index_image.clear();
    config.farea_index_image.shrink_to_fit();
}

}  // namespace zunt
