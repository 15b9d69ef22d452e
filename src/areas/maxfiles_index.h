// Maximus's maxfiles.idx: every file of every area with its area number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "areas/area_table.h"
#include "platform/env.h"

namespace zunt {

enum class MaxfilesResult {
    loaded = 0,
    out_of_memory = 1,
    cannot_open = 2,
};

struct MaxfilesIndex {
    std::string bytes;             // the file as read
    std::size_t record_count = 0;  // whole 16-byte records
    // Upper-cased whole name, and upper-cased base name, to the first record
    // (in file order) that carries it.
    std::unordered_map<std::string, std::size_t> by_name;
    std::unordered_map<std::string, std::size_t> by_base;
};

// What a name matched in the index.
struct MaxfilesMatch {
    std::size_t record = 0;
    std::uint16_t area = 0;
    std::string ext;  // the record's extension with its dot, lower case
};

MaxfilesResult load_maxfiles_index(Env& env, const std::string& path, MaxfilesIndex& index);
// Takes the file's bytes and builds the name lookups.
void build_maxfiles_index(std::string bytes, MaxfilesIndex& index);

// Finds `name` (NAME.EXT, any case). Strict: the whole name. Relaxed: the
// whole name when a record carries it, else the first record with the same
// base name and any extension.
bool maxfiles_find(const MaxfilesIndex& index, bool relaxed, const std::string& name,
                   MaxfilesMatch& match);

// The FILES.BBS of the area that lists `name`, read from farea.dat
// (`farea_path`) through the farea.idx image of `config`. In relaxed mode
// `ext_out` gets the extension under which the area lists the file. False
// when the name is not in the index or its area cannot be read; the
// outputs are then left alone.
bool maxfiles_lookup(Env& env, const AreaConfig& config, const MaxfilesIndex& index,
                     const std::string& farea_path, bool relaxed, const std::string& name,
                     std::string& files_bbs_path, std::string& ext_out);

void release_maxfiles_index(MaxfilesIndex& index);

}  // namespace zunt
