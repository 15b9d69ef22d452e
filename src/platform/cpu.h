// What the host's processor offers beyond what every processor of its kind
// has: the searches through a log's bytes look at thirty-two bytes at once
// where it can, sixteen where it cannot.
#pragma once

namespace zunt {

#if defined(__x86_64__) || defined(__i386__)
// A function so marked is compiled for AVX2 as well as what it calls
// inline; it may only run where host_has_wide_vectors().
#define ZUNT_WIDE_VECTORS __attribute__((target("avx2")))

inline bool host_has_wide_vectors() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#else
#define ZUNT_WIDE_VECTORS

inline bool host_has_wide_vectors() { return false; }
#endif

}  // namespace zunt
