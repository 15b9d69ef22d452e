// farea.dat (all numbers little-endian, unsigned):
//   0   4  magic 0x1A01953A (bytes 3A 95 01 1A)
//   4   .. records back to back up to the end of the file, each:
//          fixed part   L bytes (L = the record's own length word; 0 means 64)
//          overrides    count x 8 bytes (DOS, OS/2, Windows builds) or
//                       count x 12 bytes (Unix builds)
//          heap         heap-length bytes of NUL-terminated strings
//   fixed part, the fields used:
//     0  2  record length L          10  2  heap offset of the name
//     2  2  override count           12  2  heap offset of the download path
//     4  2  heap length              16  2  heap offset of the FILES.BBS path
//    32  2  attributes: any bit of 0xF000 (division begin/end and the like)
//           keeps the record out of the area list; a lookup by area number
//           takes the record whatever its attributes
// farea.idx: 24-byte records, record n for area n; bytes 20-23 hold the
// offset of the area's record in farea.dat.
//
// The override size is not written anywhere; farea.idx gives where every
// record begins, so the size that makes a record end where the next one
// begins (or where the file ends) is the right one.
#include "areas/farea_reader.h"

#include <algorithm>

#include "config/text_util.h"

namespace zunt {

namespace {

constexpr std::size_t kHeadSize = 64;
constexpr std::size_t kIdxRecordSize = 24;
constexpr std::uint16_t kNotAnArea = 0xF000;

std::uint16_t get16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::uint32_t get32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(get16(b, at)) |
           (static_cast<std::uint32_t>(get16(b, at + 2)) << 16);
}

struct RawRecord {
    std::size_t end = 0;
    std::uint16_t attributes = 0;
    std::uint16_t name_at = 0, download_at = 0, filesbbs_at = 0;
    std::string_view heap;
};

// Sorted offsets where records may end: every record start farea.idx names,
// and the end of farea.dat.
std::vector<std::size_t> record_boundaries(std::string_view dat, std::string_view idx) {
    std::vector<std::size_t> b;
    for (std::size_t at = 0; at + kIdxRecordSize <= idx.size(); at += kIdxRecordSize) {
        b.push_back(get32(idx, at + 20));
    }
    b.push_back(dat.size());
    std::sort(b.begin(), b.end());
    return b;
}

bool is_boundary(const std::vector<std::size_t>& b, std::size_t at) {
    return std::binary_search(b.begin(), b.end(), at);
}

bool parse_record(std::string_view dat, std::size_t at, const std::vector<std::size_t>& bounds,
                  RawRecord& out) {
    if (at > dat.size() || dat.size() - at < kHeadSize) return false;
    std::size_t length = get16(dat, at);
    if (length == 0) length = kHeadSize;
    if (length < kHeadSize) return false;
    const std::size_t overrides = get16(dat, at + 2);
    const std::size_t heap_len = get16(dat, at + 4);
    // All terms are below 2^20, so the sums cannot wrap.
    std::size_t heap_at = at + length + 8 * overrides;
    if (overrides != 0 && !is_boundary(bounds, heap_at + heap_len)) {
        const std::size_t wide = at + length + 12 * overrides;
        if (is_boundary(bounds, wide + heap_len)) heap_at = wide;
    }
    if (heap_at > dat.size() || dat.size() - heap_at < heap_len) return false;
    out.end = heap_at + heap_len;
    out.attributes = get16(dat, at + 32);
    out.name_at = get16(dat, at + 10);
    out.download_at = get16(dat, at + 12);
    out.filesbbs_at = get16(dat, at + 16);
    out.heap = dat.substr(heap_at, heap_len);
    return true;
}

// The NUL-terminated string at `offset` in the heap; false when the offset
// lies outside the heap or the string has no terminator there.
bool heap_string(std::string_view heap, std::size_t offset, std::string& out) {
    if (offset >= heap.size()) return false;
    const std::size_t nul = heap.find('\0', offset);
    if (nul == std::string_view::npos) return false;
    out.assign(heap.substr(offset, nul - offset));
    return true;
}

bool area_of(const RawRecord& r, FareaArea& out) {
    if (!heap_string(r.heap, r.name_at, out.name) ||
        !heap_string(r.heap, r.download_at, out.download_dir) ||
        !heap_string(r.heap, r.filesbbs_at, out.filesbbs_path)) {
        return false;
    }
    return true;
}

}  // namespace

bool farea_has_magic(std::string_view dat) {
    return dat.size() >= 4 && get32(dat, 0) == 0x1A01953Au;
}

bool read_farea_areas(std::string_view dat, std::string_view idx, std::vector<FareaArea>& out) {
    out.clear();
    if (!farea_has_magic(dat)) return false;
    const std::vector<std::size_t> bounds = record_boundaries(dat, idx);
    std::size_t at = 4;
    while (at < dat.size()) {
        RawRecord r;
        if (!parse_record(dat, at, bounds, r)) return false;
        at = r.end;  // always past the 64-byte head: the walk ends
        if ((r.attributes & kNotAnArea) != 0) continue;
        FareaArea area;
        if (!area_of(r, area)) return false;
        to_lower_ascii(area.download_dir);
        to_lower_ascii(area.filesbbs_path);
        out.push_back(std::move(area));
    }
    return true;
}

bool farea_area_files_bbs(std::string_view dat, std::string_view idx, std::size_t area,
                          std::string& files_bbs) {
    if (area >= idx.size() / kIdxRecordSize) return false;
    const std::size_t at = get32(idx, area * kIdxRecordSize + 20);
    RawRecord r;
    FareaArea a;
    if (!farea_has_magic(dat) || at < 4) return false;
    if (!parse_record(dat, at, record_boundaries(dat, idx), r)) return false;
    if (!area_of(r, a)) return false;
    // A record with neither path, such as a division, lists no files; its
    // list would otherwise be "files.bbs" in the current directory.
    if (a.download_dir.empty() && a.filesbbs_path.empty()) return false;
    files_bbs = a.filesbbs_path.empty() ? a.download_dir + "files.bbs" : a.filesbbs_path;
    return true;
}

}  // namespace zunt
