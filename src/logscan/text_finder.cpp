#include "logscan/text_finder.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace zunt {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// What comparing two Bytes16 gives: all ones in each byte that is equal.
using Mask16 = decltype(std::declval<Bytes16>() == std::declval<Bytes16>());

bool any_begins_at(const TextSet& set, std::string_view text, std::size_t at) {
    for (const TextSet::Text& t : set.texts) {
        const std::string_view b = t.bytes;
        if (text.size() - at >= b.size() && text[at] == b[0] &&
            std::memcmp(text.data() + at, b.data(), b.size()) == 0)
            return true;
    }
    return false;
}

// Four runs of sixteen places are looked at per step: the texts' bytes stay
// in registers and the step's one test for a hit serves sixty-four places.
constexpr std::size_t kRuns = 4;
constexpr std::size_t kStep = 16 * kRuns;

// The places of the step starting at `i` where some text's first and last
// byte both stand, each place's byte all ones; false when there is none.
bool candidates(const TextSet& set, const char* p, std::size_t i, Mask16 (&hits)[kRuns]) {
    Bytes16 a[kRuns];
    for (std::size_t r = 0; r < kRuns; ++r) {
        std::memcpy(&a[r], p + i + 16 * r, 16);
        hits[r] = Mask16{};
    }
    for (const TextSet::Text& t : set.texts) {
        const char* last = p + i + t.bytes.size() - 1;
        for (std::size_t r = 0; r < kRuns; ++r) {
            Bytes16 b;
            std::memcpy(&b, last + 16 * r, 16);
            hits[r] |= (a[r] == t.first) & (b == t.last);
        }
    }
    Mask16 any = hits[0];
    for (std::size_t r = 1; r < kRuns; ++r) any |= hits[r];
    std::uint64_t half[2];
    std::memcpy(half, &any, 16);
    return (half[0] | half[1]) != 0;
}

// The first place of a step's candidates at which a text begins, or npos.
std::size_t first_begin(const TextSet& set, std::string_view text, std::size_t i,
                        const Mask16 (&hits)[kRuns]) {
    constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
    for (std::size_t r = 0; r < kRuns; ++r) {
        std::uint64_t half[2];
        std::memcpy(half, &hits[r], 16);
        for (std::size_t h = 0; h < 2; ++h)
            for (std::uint64_t m = half[h] & kTopBits; m != 0; m &= m - 1) {
                const std::size_t at = i + 16 * r + 8 * h + static_cast<std::size_t>(__builtin_ctzll(m)) / 8;
                if (any_begins_at(set, text, at)) return at;
            }
    }
    return kNone;
}

}  // namespace

TextSet text_set(const std::vector<std::string_view>& texts) {
    TextSet set;
    for (const std::string_view t : texts) {
        if (t.empty()) {
            set.has_empty = true;
            continue;
        }
        set.texts.push_back({t, sixteen_of(t.front()), sixteen_of(t.back())});
        if (t.size() > set.longest) set.longest = t.size();
    }
    return set;
}

std::size_t find_any(const TextSet& set, std::string_view text, std::size_t from) {
    if (from > text.size()) return kNone;
    if (set.has_empty) return from;
    if (set.texts.empty()) return kNone;
    const char* p = text.data();
    std::size_t i = from;
    // A step at a time while every text's last byte at each of its places
    // still lies inside `text`; the places left are looked at one by one.
    for (; text.size() - i >= kStep + set.longest - 1; i += kStep) {
        Mask16 hits[kRuns];
        if (!candidates(set, p, i, hits)) continue;
        const std::size_t at = first_begin(set, text, i, hits);
        if (at != kNone) return at;
    }
    for (; i < text.size(); ++i)
        if (any_begins_at(set, text, i)) return i;
    return kNone;
}

}  // namespace zunt
