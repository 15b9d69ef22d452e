#include "logscan/ignored_dirs.h"

#include "config/text_util.h"
#include "platform/path_key.h"

namespace zunt {

IgnoredDirs::IgnoredDirs(Env& env, const std::vector<std::string>& ignore_paths) : env_(env) {
    for (const std::string& p : ignore_paths) keys_.insert(dir_key(env, p));
}

bool IgnoredDirs::holds(std::string_view path) {
    if (keys_.empty()) return false;
    std::string dir(path.substr(0, path_name_start(path)));
    const auto it = seen_.find(dir);
    if (it != seen_.end()) return it->second;
    const bool ignored = keys_.count(dir_key(env_, dir)) != 0;
    seen_.emplace(std::move(dir), ignored);
    return ignored;
}

}  // namespace zunt
