#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host_path.h"

namespace zunt {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_nocase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool exists(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// The entry of `dir` that equals `name` ignoring case; empty when none.
std::string find_nocase(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string best;
    while (struct dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (equal_nocase(n, name) && (best.empty() || n < best)) best = n;
    }
    ::closedir(d);
    return best;
}

// Resolves each element of a host path, folding case where needed.
std::string fold_each_element(const std::string& p) {
    std::string out;
    std::size_t i = 0;
    if (p[0] == '/') {
        out += '/';
        i = 1;
    }
    while (i <= p.size()) {
        std::size_t slash = p.find('/', i);
        if (slash == std::string::npos) slash = p.size();
        std::string elem = p.substr(i, slash - i);
        if (!elem.empty() && elem != "." && elem != "..") {
            std::string cand = out + elem;
            if (!exists(cand)) {
                std::string dir = out.empty() ? std::string() : out;
                std::string found = find_nocase(dir, elem);
                if (!found.empty()) elem = found;
            }
        }
        out += elem;
        if (slash < p.size()) out += '/';
        i = slash + 1;
    }
    return out;
}

// A path that does not exist as written. Most often only its last element
// is missing (a file about to be made): when the directory before it exists
// as written, so does every element up to there, and only the last one is
// looked up.
std::string fold_missing(const std::string& p) {
    const std::size_t slash = p.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string last = p.substr(start);
    if (last.empty() || last == "." || last == "..") return fold_each_element(p);
    const std::string dir = p.substr(0, start);
    if (!dir.empty() && !exists(dir)) return fold_each_element(p);
    const std::string found = find_nocase(dir, last);
    return found.empty() ? p : dir + found;
}

// Resolves each element of a host path, folding case where needed.
std::string fold_case(const std::string& p) {
    if (p.empty() || exists(p)) return p;
    return fold_missing(p);
}

// "\" made "/" and a drive letter replaced by its ZUNT_DRIVE_X directory.
// ENOENT for an unmapped drive letter, with `p` holding the path as far as
// it got (drive letter kept).
Errno map_drive(const std::string& path, std::string& p) {
    p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.size() >= 2 && p[1] == ':' &&
        ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z'))) {
        char letter = p[0];
        if (letter >= 'a') letter = static_cast<char>(letter - 'a' + 'A');
        std::string var = std::string("ZUNT_DRIVE_") + letter;
        const char* root = std::getenv(var.c_str());
        if (!root || !*root) return ENOENT;
        std::string rest = p.substr(2);
        std::string base = root;
        if (!base.empty() && base.back() == '/') base.pop_back();
        p = base + (rest.empty() || rest[0] == '/' ? "" : "/") + rest;
    }
    return 0;
}

}  // namespace

Errno to_host_path(const std::string& path, std::string& host) {
    std::string p;
    if (Errno e = map_drive(path, p)) return e;
    host = fold_case(p);
    return 0;
}

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Appends the elements of `text` to `key` (which ends in "/"), resolving
// "." and ".." and never climbing above its first `root` bytes.
void push_elements(std::string& key, std::size_t root, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && !is_separator(text[end])) ++end;
        const std::string_view elem = text.substr(i, end - i);
        if (elem == "..") {
            if (key.size() > root) key.erase(key.rfind('/', key.size() - 2) + 1);
        } else if (!elem.empty() && elem != ".") {
            key.append(elem);
            key += '/';
        }
        i = end + 1;
    }
}

}  // namespace

// Built in one string, without a copy of the path: the counting pass keys
// every distinct file of a run and /i every counted file of the board.
std::string host_path_key(const std::string& path, const std::string& cwd) {
    std::string key;
    key.reserve(cwd.size() + path.size() + 2);
    std::string_view rest = path;
    std::size_t root = 1;
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    const char* mapped = nullptr;
    if (drive) {
        const char var[] = {'Z', 'U', 'N', 'T', '_', 'D', 'R', 'I', 'V', 'E', '_',
                            static_cast<char>(path[0] & ~0x20), '\0'};
        mapped = std::getenv(var);
        if (mapped && !*mapped) mapped = nullptr;
        rest.remove_prefix(2);
    }
    if (drive && !mapped) {
        key.assign(path, 0, 2);  // an unmapped drive is a root of its own
        key += '/';
        root = 3;
    } else {
        key = "/";
        if (mapped) push_elements(key, root, mapped);
        else if (rest.empty() || !is_separator(rest[0])) push_elements(key, root, cwd);
    }
    push_elements(key, root, rest);
    const bool dir = rest.empty() || is_separator(rest.back());
    if (!dir && key.size() > root) key.pop_back();
    for (char& c : key) c = lower(c);
    return key;
}

bool dos_name_match(const std::string& pattern, const std::string& name) {
    // Iterative glob with single-star backtracking: linear enough for names.
    std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

Errno find_first_host(const std::string& host_pattern, std::string& name) {
    std::size_t slash = host_pattern.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : host_pattern.substr(0, slash + 1);
    std::string pat = slash == std::string::npos ? host_pattern : host_pattern.substr(slash + 1);
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return errno;
    std::string best;
    while (struct dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (!dos_name_match(pat, n)) continue;
        struct stat st;
        if (::stat((dir + n).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (best.empty() || n < best) best = n;
    }
    ::closedir(d);
    if (best.empty()) return ENOENT;
    name = best;
    return 0;
}

}  // namespace zunt
