// farea.dat with farea.idx: the area list and the one-area lookup, from the
// bytes, and the loader that reads both files from disk.
#include "areas/area_config.h"
#include "areas/farea_reader.h"
#include "fuzz_util.h"
#include "platform/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    std::size_t area = fdp.ConsumeIntegralInRange<std::size_t>(0, 4096);
    bool list_mode = fdp.ConsumeBool();
    auto parts = fuzz::split_parts(fdp.ConsumeRemainingBytesAsString(), 2);
    farea_has_magic(parts[0]);
    std::vector<FareaArea> areas;
    read_farea_areas(parts[0], parts[1], areas);
    std::string files_bbs;
    farea_area_files_bbs(parts[0], parts[1], area, files_bbs);
    std::string dat = fuzz::put_file("farea.dat", parts[0]);
    fuzz::put_file("farea.idx", parts[1]);
    AreaConfig config;
    load_area_config(default_env(), dat, std::nullopt, list_mode, config);
    release_area_config(config);
    return 0;
}
