// Identity keys of directories, built on Env::path_key.
#pragma once

#include <string>
#include <string_view>

#include "platform/env.h"

namespace zunt {

// The key of a directory, ending in "/" whether or not it was written with
// a separator at its end: "c:\files\util" and "C:/FILES/UTIL/" are one.
inline std::string dir_key(Env& env, const std::string& dir) {
    std::string key = env.path_key(dir);
    if (key.empty() || key.back() != '/') key += '/';
    return key;
}

// The key of the directory a file lies in, from the file's own key.
inline std::string_view dir_of_key(std::string_view file_key) {
    return file_key.substr(0, file_key.rfind('/') + 1);
}

}  // namespace zunt
