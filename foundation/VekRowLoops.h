#pragma once

// ORVEL_ROW_LOOP marks a function whose loop runs over the pixels of a row:
// on x86-64 the compiler builds it twice, for AVX2 and for the baseline, and
// the loader picks the one the processor runs. Converting colour rows to
// grey is some three times faster with AVX2 (three interleaved channels need
// its permutes; the baseline's SSE2 has none), while plain byte loops such
// as the binarizers' gained nothing measurable. Sanitizer
// builds keep one plain version: the resolver that picks a clone runs before
// the sanitizers are set up.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define ORVEL_ROW_LOOP_PLAIN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ORVEL_ROW_LOOP_PLAIN 1
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(ORVEL_ROW_LOOP_PLAIN)
#define ORVEL_ROW_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define ORVEL_ROW_LOOP
#endif
