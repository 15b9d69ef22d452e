// farea.dat with farea.idx: the area list and the one-area lookup, from the
// bytes, and the loader that reads both files from disk.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const std::size_t area = fdp.ConsumeIntegralInRange<std::size_t>(0, 4096);
    const bool list_mode = fdp.ConsumeBool();
    const auto part = parts(fdp, 2);
    farea_has_magic(part[0]);
    std::vector<FareaArea> areas;
    read_farea_areas(part[0], part[1], areas);
    std::string files_bbs;
    farea_area_files_bbs(part[0], part[1], area, files_bbs);
    put_file("farea.idx", part[1]);
    AreaConfig config;
    load_area_config(default_env(), put_file("farea.dat", part[0]), std::nullopt, list_mode, config);
    release_area_config(config);
}
