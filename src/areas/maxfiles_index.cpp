// maxfiles.idx: 16-byte records back to back (a trailing part of a record
// does not count), numbers little-endian:
//    0  12  file name NAME.EXT, NUL-terminated unless it fills all 12 bytes;
//           bytes after the NUL may hold anything. DOS builds of FB write
//           upper case, Unix builds the case found on disk.
//   12   2  area number: record n of farea.idx
//   14   2  used by Maximus, not here
// The records are sorted ascending by name; names are looked up through maps
// built at load, ignoring ASCII case.
#include "areas/maxfiles_index.h"

#include <new>

#include "areas/farea_reader.h"
#include "config/text_util.h"
#include "platform/text_io.h"

namespace zunt {

namespace {

constexpr std::size_t kRecordSize = 16;
constexpr std::size_t kNameSize = 12;

std::string record_name(const MaxfilesIndex& index, std::size_t record) {
    std::string_view field(index.bytes.data() + record * kRecordSize, kNameSize);
    return std::string(field.substr(0, field.find('\0')));
}

std::uint16_t record_area(const MaxfilesIndex& index, std::size_t record) {
    const std::size_t at = record * kRecordSize + kNameSize;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(index.bytes[at]) |
                                      (static_cast<unsigned char>(index.bytes[at + 1]) << 8));
}

std::string base_of(const std::string& name) {
    return name.substr(0, name.rfind('.'));  // npos: the whole name
}

std::string ext_of(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

void build_maxfiles_index(std::string bytes, MaxfilesIndex& index) {
    index.bytes = std::move(bytes);
    index.record_count = index.bytes.size() / kRecordSize;
    index.by_name.clear();
    index.by_base.clear();
    for (std::size_t i = 0; i < index.record_count; ++i) {
        const std::string name = upper_ascii(record_name(index, i));
        index.by_name.emplace(name, i);  // keeps the first record of a name
        index.by_base.emplace(base_of(name), i);
    }
}

MaxfilesResult load_maxfiles_index(Env& env, const std::string& path, MaxfilesIndex& index) {
    try {
        std::string bytes;
        if (read_whole_file(env, path, Share::deny_write, bytes) != 0) {
            return MaxfilesResult::cannot_open;
        }
        build_maxfiles_index(std::move(bytes), index);
        return MaxfilesResult::loaded;
    } catch (const std::bad_alloc&) {
        return MaxfilesResult::out_of_memory;
    }
}

bool maxfiles_find(const MaxfilesIndex& index, bool relaxed, const std::string& name,
                   MaxfilesMatch& match) {
    const std::string key = upper_ascii(name);
    const std::size_t* record = nullptr;
    if (auto it = index.by_name.find(key); it != index.by_name.end()) {
        record = &it->second;
    } else if (auto base = index.by_base.find(base_of(key)); relaxed && base != index.by_base.end()) {
        record = &base->second;
    }
    if (record == nullptr) return false;
    match.record = *record;
    match.area = record_area(index, match.record);
    match.ext = lower_ascii(ext_of(record_name(index, match.record)));
    return true;
}

bool maxfiles_lookup(Env& env, const AreaConfig& config, const MaxfilesIndex& index,
                     const std::string& farea_path, bool relaxed, const std::string& name,
                     std::string& files_bbs_path, std::string& ext_out) {
    MaxfilesMatch match;
    if (!maxfiles_find(index, relaxed, name, match)) return false;
    std::string dat;
    if (read_whole_file(env, farea_path, Share::deny_none, dat) != 0) return false;
    std::string found;
    if (!farea_area_files_bbs(dat, config.farea_index_image, match.area, found)) return false;
    files_bbs_path = std::move(found);
    if (relaxed) ext_out = match.ext;
    return true;
}

void release_maxfiles_index(MaxfilesIndex& index) {
    index = MaxfilesIndex();
}

}  // namespace zunt
