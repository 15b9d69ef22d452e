// maxfiles.idx: building the name lookups, finding a name, and following
// its area number into farea.idx and farea.dat.
#include "areas/maxfiles_index.h"
#include "fuzz_util.h"
#include "platform/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    bool relaxed = fdp.ConsumeBool();
    auto parts = fuzz::split_parts(fdp.ConsumeRemainingBytesAsString(), 4);
    MaxfilesIndex index;
    build_maxfiles_index(parts[0], index);
    MaxfilesMatch match;
    maxfiles_find(index, relaxed, parts[1], match);
    AreaConfig config;
    config.farea_index_image = parts[3];
    std::string dat = fuzz::put_file("farea.dat", parts[2]);
    config.farea_path = dat;
    std::string files_bbs, ext;
    maxfiles_lookup(default_env(), config, index, dat, relaxed, parts[1], files_bbs, ext);
    release_maxfiles_index(index);
    return 0;
}
