// Writes farea.dat, farea.idx and maxfiles.idx for the sample board, in the
// layout Maximus 3.x's SILT and FB tools write them (DOS build: 8-byte
// override records; this board has no overrides anyway).
//
// Build and run from the repository root:
//   g++ -std=c++20 -O2 -o /tmp/make_maximus_files examples/tools/make_maximus_files.cpp
//   /tmp/make_maximus_files examples/board/max
//
// farea.dat: magic 3A 95 01 1A, then per area a 64-byte fixed part
// (0: record length 64, 2: override count, 4: heap length, 10: name offset,
// 12: download path offset, 16: FILES.BBS path offset, 32: attributes),
// then the heap of NUL-terminated strings. farea.idx: 24 bytes per area,
// the area's name in bytes 0-15 and its farea.dat offset in bytes 20-23.
// maxfiles.idx: 16 bytes per file, sorted by name: NAME.EXT padded with
// NULs to 12 bytes, the area number at 12, a record number at 14.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Area {
    std::string name, download, files_bbs;
    std::uint16_t attributes;          // 0x4000 division begin, 0x8000 division end
    std::vector<std::string> files;    // as FB would find them, upper case
};

void put16(std::string& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& b, std::size_t at, unsigned long v) {
    put16(b, at, static_cast<unsigned>(v & 0xFFFF));
    put16(b, at + 2, static_cast<unsigned>(v >> 16));
}

// The areas of the sample board; paths are relative to the board folder,
// written as the board's log writes them.
const std::vector<Area> kAreas = {
    {"UTIL", "files\\util\\", "", 0, {"TOOL.ZIP", "EDIT.ZIP", "ZIP.ZIP"}},
    {"FUN", "", "", 0x4000, {}},
    {"GAMES", "files\\games\\", "files\\games\\files.bbs", 0, {"TETRIS.ZIP", "CHESS.ZIP"}},
    {"", "", "", 0x8000, {}},
    {"DOCS", "files/docs/", "", 0, {"MANUAL.TXT", "FAQ.TXT"}},
};

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_maximus_files <output directory>\n";
        return 2;
    }
    const std::string dir = argv[1];
    std::string dat("\x3A\x95\x01\x1A", 4), idx;
    struct Entry { std::string name; unsigned area; };
    std::vector<Entry> entries;
    for (unsigned n = 0; n < kAreas.size(); ++n) {
        const Area& a = kAreas[n];
        std::string idx_rec(24, '\0');
        idx_rec.replace(0, std::min<std::size_t>(a.name.size(), 16), a.name.substr(0, 16));
        put32(idx_rec, 20, dat.size());
        idx += idx_rec;
        // Heap: an empty string at 0, then name, download path, list path.
        std::string heap(1, '\0');
        const std::size_t name_at = heap.size();
        heap += a.name + '\0';
        const std::size_t download_at = heap.size();
        heap += a.download + '\0';
        std::size_t list_at = 0;
        if (!a.files_bbs.empty()) {
            list_at = heap.size();
            heap += a.files_bbs + '\0';
        }
        std::string head(64, '\0');
        put16(head, 0, 64);
        put16(head, 4, static_cast<unsigned>(heap.size()));
        put16(head, 10, static_cast<unsigned>(name_at));
        put16(head, 12, static_cast<unsigned>(download_at));
        put16(head, 16, static_cast<unsigned>(list_at));
        put16(head, 32, a.attributes);
        dat += head + heap;
        for (const std::string& f : a.files) entries.push_back({f, n});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& x, const Entry& y) { return x.name < y.name; });
    std::string maxfiles;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string rec(16, '\0');
        rec.replace(0, entries[i].name.size(), entries[i].name);
        put16(rec, 12, entries[i].area);
        put16(rec, 14, static_cast<unsigned>(i));
        maxfiles += rec;
    }
    if (!write_file(dir + "/farea.dat", dat) || !write_file(dir + "/farea.idx", idx) ||
        !write_file(dir + "/maxfiles.idx", maxfiles)) {
        std::cerr << "cannot write to " << dir << "\n";
        return 1;
    }
    return 0;
}
