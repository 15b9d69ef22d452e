// Maximus area files built byte by byte, and scratch directories, for the
// area configuration tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace zunt::testing {

inline void put16(std::string& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void put32(std::string& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

struct TestArea {
    std::string name, download, filesbbs;
    std::uint16_t attributes = 0;
    std::uint16_t overrides = 0;
    std::size_t override_size = 8;
    std::uint16_t length = 64;  // as written in the record
};

struct TestFarea {
    std::string dat, idx;  // farea.dat and the matching farea.idx
};

inline TestFarea build_farea(const std::vector<TestArea>& areas) {
    TestFarea f{std::string("\x3A\x95\x01\x1A", 4), ""};
    for (const TestArea& a : areas) {
        std::string idx_rec(24, '\0');
        idx_rec.replace(0, a.name.size() < 16 ? a.name.size() : 16, a.name);
        put32(idx_rec, 20, static_cast<std::uint32_t>(f.dat.size()));
        f.idx += idx_rec;
        const std::string heap = std::string(1, '\0') + a.name + '\0' + a.download + '\0' +
                                 a.filesbbs + (a.filesbbs.empty() ? "" : std::string(1, '\0'));
        std::string head(a.length < 64 ? 64 : a.length, '\0');
        put16(head, 0, a.length);
        put16(head, 2, a.overrides);
        put16(head, 4, static_cast<std::uint32_t>(heap.size()));
        put16(head, 10, 1);
        put16(head, 12, static_cast<std::uint32_t>(a.name.size() + 2));
        put16(head, 16, a.filesbbs.empty() ? 0 : static_cast<std::uint32_t>(a.name.size() + a.download.size() + 3));
        put16(head, 32, a.attributes);
        f.dat += head + std::string(a.overrides * a.override_size, '\x07') + heap;
    }
    return f;
}

// A maxfiles.idx record: name (NUL-ended when shorter than 12), area, junk.
inline std::string maxfiles_record(const std::string& name, std::uint16_t area, char fill = '\0') {
    std::string r(16, fill);
    r.replace(0, name.size(), name);
    if (name.size() < 12) r[name.size()] = '\0';
    put16(r, 12, area);
    put16(r, 14, 0xBEEF);
    return r;
}

// A fresh, empty directory under the system's temporary directory.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag)
        : path_(std::filesystem::temp_directory_path() /
                ("zunt_areas_" + tag + "_" + std::to_string(std::random_device{}()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string root() const { return path_.string(); }
    std::string path(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        const auto p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

private:
    std::filesystem::path path_;
};

inline std::string fixture(const std::string& name) {
    return std::string(ZUNT_FIXTURES_DIR) + "/maximus/" + name;
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zunt::testing
