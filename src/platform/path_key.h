// Identity keys of directories, built on Env::path_key.
#pragma once

#include <optional>
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

// The key of the file `name` in the directory whose key is `dir_key`, told
// from the directory's key without working the whole path out again when
// the name is a plain one (no separator, drive, "." or "..", nothing a
// host would trim or fold beyond ASCII case); nullopt otherwise.
inline std::optional<std::string> plain_file_key(std::string_view dir_key, std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ')
        return std::nullopt;
    std::string key(dir_key);
    for (const char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

}  // namespace zunt
