#pragma once
// Row kernels of DrawAlpha and DrawAlphaOver for a 32-bit source onto a 24- or 32-bit row.
// Internal to the image library; the tests reach them to check every variant on this
// processor against the plain formulas.

#include <cstdint>

namespace kelvandor::blend {

// Blends n source pixels (4 bytes each, 0xAARRGGBB little-endian) onto n destination pixels
// (3 or 4 bytes each). Source and destination never overlap; the destination row must hold
// at least n pixels, and nothing beyond them is changed.
using RowFunction = void (*)(std::uint8_t* dest, const std::uint8_t* source, std::uint32_t n);

struct RowKernels {
    RowFunction alpha32To32;
    RowFunction alpha32To24;
    RowFunction over32To32;
    RowFunction over32To24;
};

// The kernels for this processor, chosen once.
const RowKernels& Kernels();

// Every variant this processor can run, the plain one first, for the tests.
int VariantCount();
const RowKernels& Variant(int index);

}  // namespace kelvandor::blend
