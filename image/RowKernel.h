#pragma once
// Marks the whole-row loops of the drawing operations. On x86-64 Linux with GCC each such
// function is compiled twice, for the baseline instruction set and for AVX2, and the loader
// picks the one the processor runs best; the release build keeps its baseline flags and
// still gets the wide registers where they exist. Elsewhere the mark does nothing.

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define KELVANDOR_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define KELVANDOR_ROW_KERNEL
#endif

// Marks the small helpers that such a kernel inlines, so that they are compiled for the
// kernel's instruction set.
#if defined(__GNUC__)
#define KELVANDOR_ROW_INLINE inline __attribute__((always_inline))
#else
#define KELVANDOR_ROW_INLINE inline
#endif
