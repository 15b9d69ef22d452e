// Several texts looked for in one pass over a block of a log, instead of one
// pass for each: most of a log holds none of them, and a pass over it costs
// the same for one text as for five.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace zunt {

// Sixteen bytes looked at together; the compiler gives each host its own
// instructions for them (SSE2 on x86-64, plain code where there is none).
using Bytes16 = unsigned char __attribute__((vector_size(16)));

inline Bytes16 sixteen_of(char c) {
    Bytes16 v = {};
    v += static_cast<unsigned char>(c);
    return v;
}

// What comparing two Bytes16 gives: all ones in each byte that is equal.
using Mask16 = decltype(std::declval<Bytes16>() == std::declval<Bytes16>());

// The marked bytes of a comparison as sixteen bits, bit i for byte i: the
// top bit of each byte multiplied into the top byte of its half.
inline std::uint32_t marks_of(Mask16 m) {
    std::uint64_t half[2];
    std::memcpy(half, &m, 16);
    constexpr std::uint64_t kTop = 0x8080808080808080ull, kGather = 0x0002040810204081ull;
    return static_cast<std::uint32_t>(((half[0] & kTop) * kGather) >> 56 |
                                      ((half[1] & kTop) * kGather) >> 56 << 8);
}

// The texts looked for. The pass compares each text's first byte and its
// last, which few places of a log hold together, and the whole text only
// where both stand.
struct TextSet {
    std::vector<std::string_view> texts;
    std::size_t longest = 0;
    bool has_empty = false;
};

TextSet text_set(const std::vector<std::string_view>& texts);

// Where the first place at or after `from` lies at which any of the texts
// begins in `text` (npos when there is none): for each text by itself,
// std::string_view::find's answer, and the smallest of those.
std::size_t find_any(const TextSet& set, std::string_view text, std::size_t from);
// The same, sixteen bytes at a time: what find_any does on a processor
// without wider vectors.
std::size_t find_any_narrow(const TextSet& set, std::string_view text, std::size_t from);

// Where the first `a` or `b` at or after `from` stands in `text` (npos
// when neither does), sixteen bytes at a time: for a line's end or a
// word's end, which the log scan looks for at every download.
std::size_t find_either(std::string_view text, std::size_t from, char a, char b);

// Where the last `c` before `before` stands in `text` (npos when none does),
// sixteen bytes at a time going back: for the start of a found line.
std::size_t find_last_before(std::string_view text, std::size_t before, char c);

}  // namespace zunt
