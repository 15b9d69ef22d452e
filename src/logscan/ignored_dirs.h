// The directories of `ignorepath`: their downloads are not counted, however
// the log spells the directory.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/env.h"

namespace zunt {

class IgnoredDirs {
public:
    IgnoredDirs(Env& env, const std::vector<std::string>& ignore_paths);

    // Whether the download `path` lies in an ignored directory.
    bool holds(std::string_view path);

private:
    Env& env_;
    std::unordered_set<std::string> keys_;
    // Each spelling of a download directory is keyed once.
    std::unordered_map<std::string, bool> seen_;
};

}  // namespace zunt
