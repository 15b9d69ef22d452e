// The file areas of the board, keyed by download directory, and the whole
// area configuration that one run loads and releases.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "list/download_list.h"

namespace zunt {

// One file area is one list record:
//   text1  download directory (lower case; the key)
//   text2  FILES.BBS path (lower case; empty means "files.bbs" in text1)
//   text3  area name (case as written)
inline const std::string& area_download_dir(const DownloadRecord& r) { return r.text1; }
const std::string& area_filesbbs_path(const DownloadRecord& r);
const std::string& area_name(const DownloadRecord& r);

inline constexpr int kAreaBuckets = 101;

// 101 chains of areas, each in insertion order, and the first area of each
// directory by the directory's identity key.
struct AreaTable {
    std::vector<DownloadList> buckets;
    struct Place {
        std::size_t bucket, index;
    };
    std::unordered_map<std::string, Place> by_key;
};

// Byte sum (unsigned bytes, 16-bit wrap) modulo 101.
int area_hash(std::string_view text);
AreaTable area_table_new();
// Appends at the end of the directory's chain; equal directories may stand
// twice. `dir_key` is the directory's identity key (ending in "/").
void area_table_insert(AreaTable& table, std::string download_dir, std::string dir_key,
                       std::string filesbbs_path, std::string area_name);
// The first area inserted whose directory has this identity key, however
// it was spelled, or nullptr. The record lives until the table is freed.
const DownloadRecord* area_table_lookup(const AreaTable& table, const std::string& dir_key);
void area_table_free(AreaTable& table);

// The area configuration of one run.
struct AreaConfig {
    std::optional<AreaTable> area_table;  // normal run
    DownloadList area_list;               // initialization run, configuration order
    std::string farea_index_image;        // farea.idx as read
    std::optional<std::string> farea_path;  // the farea value as configured
};

// Frees the table, then the list, then the farea.idx image.
void release_area_config(AreaConfig& config);

}  // namespace zunt
