// Reading the Maximus 3.x file-area files farea.dat and farea.idx from their
// bytes. Nothing here touches the disk; the callers read the files whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zunt {

// One area as farea.dat gives it, paths already lower-cased.
struct FareaArea {
    std::string download_dir;
    std::string filesbbs_path;
    std::string name;
};

bool farea_has_magic(std::string_view dat);

// All areas of farea.dat that are real file areas (no division records and
// no areas with a masked attribute), in file order. `idx` is farea.idx; its
// record offsets tell where each record ends. False on a malformed file.
bool read_farea_areas(std::string_view dat, std::string_view idx, std::vector<FareaArea>& out);

// The FILES.BBS of area number `area` (counted as farea.idx counts, division
// records included): the area's own list path as stored, else its download
// path followed by "files.bbs", whatever the record's attributes. False when
// the area number, its offset or its record is not sound, or the record has
// neither a download path nor a FILES.BBS path (a division, for one).
bool farea_area_files_bbs(std::string_view dat, std::string_view idx, std::size_t area,
                          std::string& files_bbs);

}  // namespace zunt
