#include "config/text_util.h"

#include <limits>

namespace zunt {

std::string_view strip_line_end(std::string_view line) {
    std::size_t n = line.size();
    while (n > 0) {
        char c = line[n - 1];
        if (c != '\n' && c != '\r' && c != ' ' && c != '\\') break;
        --n;
    }
    return line.substr(0, n);
}

void strip_line_end(std::string& line) { line.resize(strip_line_end(std::string_view(line)).size()); }

void to_lower_ascii(std::string& s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

void to_upper_ascii(std::string& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

std::string lower_ascii(std::string_view s) {
    std::string r(s);
    to_lower_ascii(r);
    return r;
}

std::string upper_ascii(std::string_view s) {
    std::string r(s);
    to_upper_ascii(r);
    return r;
}

std::size_t path_name_start(std::string_view path) {
    const std::size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    // A plain loop: find_last_of asks memchr about every byte of the path,
    // and this runs for every download of a log.
    std::size_t after_sep = path.size();
    while (after_sep > start && path[after_sep - 1] != '\\' && path[after_sep - 1] != '/') --after_sep;
    return after_sep;
}

PathParts split_path(std::string_view path) {
    PathParts p;
    const std::size_t name_start = path_name_start(path);
    if (path.size() >= 2 && path[1] == ':') {
        p.drive = std::string(path.substr(0, 2));
        p.dir = std::string(path.substr(2, name_start - 2));
    } else {
        p.dir = std::string(path.substr(0, name_start));
    }
    std::string_view file = path.substr(name_start);
    std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        p.name = std::string(file);
    } else {
        p.name = std::string(file.substr(0, dot));
        p.ext = std::string(file.substr(dot));
    }
    return p;
}

long long parse_number(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\v' ||
                            s[i] == '\f' || s[i] == '\r'))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    constexpr long long kMax = std::numeric_limits<long long>::max() / 10 - 10;
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (v < kMax) v = v * 10 + (s[i] - '0');
    }
    return neg ? -v : v;
}

}  // namespace zunt

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace zunt {

std::string strprintf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list again;
    va_copy(again, ap);
    // Most texts are one console or log line: formatted once on the stack,
    // and only a longer one a second time at its full length.
    char line[256];
    const int n = std::vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0 && static_cast<std::size_t>(n) < sizeof line) {
        out.assign(line, static_cast<std::size_t>(n));
    } else if (n > 0) {
        out.resize(static_cast<std::size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, fmt, again);
    }
    va_end(again);
    return out;
}

}  // namespace zunt

namespace zunt {

void append_dir_separator(std::string& dir) {
    if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) return;
    bool unix_style = dir.find('/') != std::string::npos && dir.find('\\') == std::string::npos;
    dir.push_back(unix_style ? '/' : '\\');
}

}  // namespace zunt
