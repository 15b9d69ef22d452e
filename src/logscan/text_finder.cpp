#include "logscan/text_finder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/cpu.h"

namespace zunt {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

using Bytes32 = unsigned char __attribute__((vector_size(32)));

bool any_begins_at(const TextSet& set, std::string_view text, std::size_t at) {
    for (const std::string_view t : set.texts)
        if (text.size() - at >= t.size() && text[at] == t[0] &&
            std::memcmp(text.data() + at, t.data(), t.size()) == 0)
            return true;
    return false;
}

// Four runs of one vector's width are looked at per step: the texts' bytes
// stay in registers and the step's one test for a hit serves them all.
constexpr std::size_t kRuns = 4;

// Into `v`, not returned: a wide vector returned by value would change the
// calling convention between the two widths.
template <class V>
[[gnu::always_inline]] inline void load(V& v, const char* p) {
    std::memcpy(&v, p, sizeof v);
}

// The search, written once for vectors of sixteen bytes and of thirty-two.
// Everything it uses is inlined, so that the wide search is compiled for
// the wide instructions throughout.
template <class V>
[[gnu::always_inline]] inline std::size_t find_with(const TextSet& set, std::string_view text,
                                                    std::size_t from) {
    using Mask = decltype(std::declval<V>() == std::declval<V>());
    constexpr std::size_t kWidth = sizeof(V), kStep = kWidth * kRuns, kWords = kWidth / 8;
    constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
    const char* p = text.data();
    std::size_t i = from;
    // A step at a time while every text's last byte at each of its places
    // still lies inside `text`; the places left are looked at one by one.
    for (; text.size() - i >= kStep + set.longest - 1; i += kStep) {
        // The places of the step where some text's first and last byte
        // both stand, each such place's byte all ones.
        V a[kRuns];
        Mask hits[kRuns];
#pragma GCC unroll 4
        for (std::size_t r = 0; r < kRuns; ++r) {
            load(a[r], p + i + kWidth * r);
            hits[r] = Mask{};
        }
        for (const std::string_view t : set.texts) {
            V first = {}, last = {};
            first += static_cast<unsigned char>(t.front());
            last += static_cast<unsigned char>(t.back());
            const char* end = p + i + t.size() - 1;
#pragma GCC unroll 4
            for (std::size_t r = 0; r < kRuns; ++r) {
                V b;
                load(b, end + kWidth * r);
                hits[r] |= (a[r] == first) & (b == last);
            }
        }
        Mask any = hits[0];
#pragma GCC unroll 4
        for (std::size_t r = 1; r < kRuns; ++r) any |= hits[r];
        std::uint64_t words[kWords], seen = 0;
        std::memcpy(words, &any, kWidth);
        for (std::uint64_t w : words) seen |= w;
        if (seen == 0) continue;
        // Of the candidates, the first at which a text begins in full.
        for (std::size_t r = 0; r < kRuns; ++r) {
            std::memcpy(words, &hits[r], kWidth);
            for (std::size_t h = 0; h < kWords; ++h)
                for (std::uint64_t m = words[h] & kTopBits; m != 0; m &= m - 1) {
                    const std::size_t at = i + kWidth * r + 8 * h + static_cast<std::size_t>(__builtin_ctzll(m)) / 8;
                    if (any_begins_at(set, text, at)) return at;
                }
        }
    }
    for (; i < text.size(); ++i)
        if (any_begins_at(set, text, i)) return i;
    return kNone;
}

ZUNT_WIDE_VECTORS std::size_t find_wide(const TextSet& set, std::string_view text, std::size_t from) {
    return find_with<Bytes32>(set, text, from);
}

// The answers that need no search: true with `at` set when there is one.
bool settled(const TextSet& set, std::string_view text, std::size_t from, std::size_t& at) {
    at = from;
    if (from > text.size() || (set.texts.empty() && !set.has_empty)) at = kNone;
    return at == kNone || set.has_empty;
}

}  // namespace

TextSet text_set(const std::vector<std::string_view>& texts) {
    TextSet set;
    for (const std::string_view t : texts) {
        if (t.empty()) {
            set.has_empty = true;
            continue;
        }
        set.texts.push_back(t);
        if (t.size() > set.longest) set.longest = t.size();
    }
    return set;
}

std::size_t find_any(const TextSet& set, std::string_view text, std::size_t from) {
    std::size_t at;
    if (settled(set, text, from, at)) return at;
    return host_has_wide_vectors() ? find_wide(set, text, from) : find_with<Bytes16>(set, text, from);
}

std::size_t find_any_narrow(const TextSet& set, std::string_view text, std::size_t from) {
    std::size_t at;
    if (settled(set, text, from, at)) return at;
    return find_with<Bytes16>(set, text, from);
}

std::size_t find_either(std::string_view text, std::size_t from, char a, char b) {
    const Bytes16 va = sixteen_of(a), vb = sixteen_of(b);
    std::size_t i = from;
    for (; i + 16 <= text.size(); i += 16) {
        Bytes16 v;
        std::memcpy(&v, text.data() + i, 16);
        if (const std::uint32_t found = marks_of((v == va) | (v == vb)); found != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(found));
    }
    for (; i < text.size(); ++i)
        if (text[i] == a || text[i] == b) return i;
    return kNone;
}

std::size_t find_last_before(std::string_view text, std::size_t before, char c) {
    const Bytes16 vc = sixteen_of(c);
    std::size_t i = std::min(before, text.size());
    for (; i >= 16; i -= 16) {
        Bytes16 v;
        std::memcpy(&v, text.data() + i - 16, 16);
        if (const std::uint32_t found = marks_of(v == vc); found != 0)
            return i - 16 + 31 - static_cast<std::size_t>(__builtin_clz(found));
    }
    while (i > 0)
        if (text[--i] == c) return i;
    return kNone;
}

}  // namespace zunt
