#pragma once

// Row loops that vectorize far better with AVX2 than with the x86-64
// baseline are built twice: once marked ORVEL_AVX2, once plain, and
// hasAvx2() tells at run time which one the processor runs. Converting
// colour rows to grey runs some three times faster so (the three interleaved
// channels need AVX2's permutes; SSE2 has none), while plain byte loops such
// as the binarizers' gained nothing measurable. A run-time test rather than
// the compiler's target clones: their resolver runs while the program is
// loaded, before the sanitizers' runtimes are set up, and crashed there.
#if defined(__x86_64__) && defined(__GNUC__)
#define ORVEL_AVX2_BUILD 1
#define ORVEL_AVX2 __attribute__((target("avx2")))
#endif

namespace orvel {

inline bool hasAvx2() {
#ifdef ORVEL_AVX2_BUILD
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

}  // namespace orvel
