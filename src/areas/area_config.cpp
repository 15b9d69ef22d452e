#include "areas/area_config.h"

#include <cerrno>
#include <memory>
#include <new>
#include <vector>

#include "areas/ascii_area_file.h"
#include "areas/farea_reader.h"
#include "platform/path_key.h"
#include "platform/text_io.h"

namespace zunt {

namespace {

void enter_area(Env& env, AreaConfig& config, bool list_mode, FareaArea area) {
    if (list_mode) {
        list_append(config.area_list, std::move(area.download_dir), std::move(area.filesbbs_path),
                    std::move(area.name));
    } else {
        std::string key = dir_key(env, area.download_dir);
        area_table_insert(*config.area_table, std::move(area.download_dir), std::move(key),
                          std::move(area.filesbbs_path), std::move(area.name));
    }
}

AreaResult load_farea(Env& env, const std::string& farea, bool list_mode, AreaConfig& config) {
    std::string dat;
    if (read_whole_file(env, farea, Share::deny_none, dat) != 0) return AreaResult::cannot_open_farea;
    if (!farea_has_magic(dat)) return AreaResult::bad_farea;
    const std::optional<std::string> idx_path = farea_idx_path(farea);
    if (!idx_path) {
        env.set_last_error(ENOENT);
        return AreaResult::cannot_open_farea;
    }
    std::string idx;
    if (read_whole_file(env, *idx_path, Share::deny_none, idx) != 0) {
        return AreaResult::cannot_open_farea;
    }
    // The record sizes come from farea.idx, so both files are read before
    // any record is taken.
    std::vector<FareaArea> areas;
    if (!read_farea_areas(dat, idx, areas)) return AreaResult::bad_farea;
    config.farea_index_image = std::move(idx);
    for (FareaArea& a : areas) enter_area(env, config, list_mode, std::move(a));
    return AreaResult::loaded;
}

AreaResult load_ascii(Env& env, const std::string& path, bool list_mode, AreaConfig& config) {
    std::unique_ptr<File> file;
    if (env.open(path, Access::read, Share::deny_none, file) != 0) return AreaResult::cannot_open_ascii;
    LineReader reader(*file);
    std::string line;
    while (reader.read_line(line)) {
        FareaArea area;
        if (!parse_ascii_area_line(std::move(line), area)) return AreaResult::ascii_syntax;
        enter_area(env, config, list_mode, std::move(area));
    }
    if (reader.error() != 0) {
        env.set_last_error(reader.error());
        return AreaResult::cannot_open_ascii;
    }
    return AreaResult::loaded;
}

}  // namespace

std::optional<std::string> farea_idx_path(const std::string& farea) {
    if (farea.size() < 3) return std::nullopt;
    return farea.substr(0, farea.size() - 3) + "idx";
}

AreaResult load_area_config(Env& env, const std::optional<std::string>& farea,
                            const std::optional<std::string>& ascii, bool list_mode,
                            AreaConfig& config) {
    try {
        config.farea_path = farea;
        if (!list_mode) config.area_table = area_table_new();
        if (farea) {
            AreaResult r = load_farea(env, *farea, list_mode, config);
            if (r != AreaResult::loaded) return r;
        }
        if (ascii) return load_ascii(env, *ascii, list_mode, config);
        return AreaResult::loaded;
    } catch (const std::bad_alloc&) {
        return AreaResult::out_of_memory;
    }
}

}  // namespace zunt
