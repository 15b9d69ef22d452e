// Finding the FILES.BBS that lists a downloaded file.
#pragma once

#include <string>

#include "areas/area_table.h"
#include "areas/maxfiles_index.h"
#include "config/settings.h"
#include "platform/env.h"

namespace zunt {

// Which source answered. With useareadatfirst on, "first" is the area
// configuration and "second" the download directory; off, the other way round.
enum LocateResult : int {
    kLocateNotFound = 0,
    kLocateFirst = 1,
    kLocateSecond = 2,
    kLocateMaxfiles = 3,
};

// `path` is the download's full path (lower case) and `key` its identity
// key, by which the area configuration is asked; `files_bbs_path` is
// emptied and, on any result but 0, holds the list's path. `ext` is the
// caller's extension of the same path: a relaxed maxfiles.idx match replaces
// it with the extension under which the area lists the file. `maxfiles` may
// be null when no index is loaded.
int locate_filesbbs(Env& env, const ControlSettings& settings, const AreaConfig& areas,
                    const MaxfilesIndex* maxfiles, const std::string& path,
                    const std::string& key, std::string& files_bbs_path, std::string& ext);

}  // namespace zunt
