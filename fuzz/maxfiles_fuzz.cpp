// maxfiles.idx: building the name lookups, finding a name, and following
// its area number into farea.idx and farea.dat.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const bool relaxed = fdp.ConsumeBool();
    const auto part = parts(fdp, 4);
    MaxfilesIndex index;
    build_maxfiles_index(part[0], index);
    MaxfilesMatch match;
    maxfiles_find(index, relaxed, part[1], match);
    AreaConfig config;
    config.farea_index_image = part[3];
    const std::string dat = put_file("farea.dat", part[2]);
    config.farea_path = dat;
    std::string files_bbs, ext;
    maxfiles_lookup(default_env(), config, index, dat, relaxed, part[1], files_bbs, ext);
    release_maxfiles_index(index);
}
