#include "areas/filesbbs_locator.h"

#include <memory>

#include "config/text_util.h"
#include "platform/path_key.h"

namespace zunt {

namespace {

bool ask_area_config(const AreaConfig& areas, const std::string& dir, const std::string& key,
                     std::string& out) {
    if (!areas.area_table) return false;
    const DownloadRecord* area = area_table_lookup(*areas.area_table, std::string(dir_of_key(key)));
    if (area == nullptr) return false;
    const std::string& listed = area_filesbbs_path(*area);
    out = listed.empty() ? dir + "files.bbs" : listed;
    return true;
}

// A FILES.BBS counts only when it exists and we may rewrite it.
bool ask_download_dir(Env& env, const std::string& dir, std::string& out) {
    const std::string candidate = dir + "files.bbs";
    std::unique_ptr<File> file;
    if (env.open(candidate, Access::read_write, Share::deny_none, file) != 0) return false;
    file->close();
    out = candidate;
    return true;
}

}  // namespace

int locate_filesbbs(Env& env, const ControlSettings& settings, const AreaConfig& areas,
                    const MaxfilesIndex* maxfiles, const std::string& path,
                    const std::string& key, std::string& files_bbs_path, std::string& ext) {
    files_bbs_path.clear();
    const PathParts parts = split_path(path);
    const std::string dir = parts.drive + parts.dir;
    if (settings.use_area_dat_first) {
        if (ask_area_config(areas, dir, key, files_bbs_path)) return kLocateFirst;
        if (ask_download_dir(env, dir, files_bbs_path)) return kLocateSecond;
    } else {
        if (ask_download_dir(env, dir, files_bbs_path)) return kLocateFirst;
        if (ask_area_config(areas, dir, key, files_bbs_path)) return kLocateSecond;
    }
    if (settings.maxfiles_idx_path && maxfiles != nullptr) {
        const std::string farea = areas.farea_path.value_or(settings.farea_path.value_or(""));
        if (maxfiles_lookup(env, areas, *maxfiles, farea, settings.relaxed_index_match,
                            parts.name + parts.ext, files_bbs_path, ext)) {
            return kLocateMaxfiles;
        }
    }
    return kLocateNotFound;
}

}  // namespace zunt
