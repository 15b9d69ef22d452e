// Turning the program's DOS-style path texts into host paths (POSIX hosts).
#pragma once

#include <string>

#include "platform/env.h"

namespace zunt {

// "\" to "/", drive letter through ZUNT_DRIVE_X, and each element that does
// not exist as written replaced by the element of its directory that equals
// it ignoring ASCII case. ENOENT for an unmapped drive letter.
Errno to_host_path(const std::string& path, std::string& host);

// The identity key of `path` (see Env::path_key): drive letter through
// ZUNT_DRIVE_X (an unmapped one stays as "x:"), both separators as "/",
// relative to `cwd`, "." and ".." resolved, lower case.
std::string host_path_key(const std::string& path, const std::string& cwd);

// The first (by byte order of names) ordinary file of the host directory
// whose name matches the last element of `host_pattern`, where "*" and "?"
// are wildcards and case is ignored. ENOENT when none.
Errno find_first_host(const std::string& host_pattern, std::string& name);

// DOS-style wildcard match of a file name, ignoring ASCII case.
bool dos_name_match(const std::string& pattern, const std::string& name);

}  // namespace zunt
