#pragma once
// Marks the whole-row loops of the drawing operations. On x86-64 Linux with GCC each such
// function is compiled more than once, for the baseline instruction set and for wider vector
// units, and the loader picks the one the processor runs best; the release build keeps its
// baseline flags and still gets the wide registers where they exist. Elsewhere the marks do
// nothing.
//
// KELVANDOR_ROW_KERNEL: baseline and AVX2.
// KELVANDOR_STORE_KERNEL: also AVX-512, for loops that mostly store: a 64-byte store fills a
// whole cache line, which lets a fill run far faster than with 32-byte stores.

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define KELVANDOR_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#define KELVANDOR_STORE_KERNEL __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define KELVANDOR_ROW_KERNEL
#define KELVANDOR_STORE_KERNEL
#endif

// Marks the small helpers that such a kernel inlines, so that they are compiled for the
// kernel's instruction set.
#if defined(__GNUC__)
#define KELVANDOR_ROW_INLINE inline __attribute__((always_inline))
#else
#define KELVANDOR_ROW_INLINE inline
#endif
