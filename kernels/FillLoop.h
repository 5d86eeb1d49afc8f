// The fill loop, written once and compiled by each kernels file for its own instruction set:
// a file defines KELVANDOR_KERNELS_NS (its namespace) and includes this header once. Nothing
// here has external linkage, so no copy compiled for a wider instruction set can stand in for
// another file's. (No include guard: one inclusion per file by design.)

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kernels/DrawKernels.h"

namespace kelvandor::kernels::KELVANDOR_KERNELS_NS {
namespace {

// The widest store; a 64-byte store fills a whole cache line, which lets a fill run far
// faster than with 32-byte stores where the processor has them.
constexpr std::size_t kStoreBytes = 64;
static_assert(kFillPatternBytes == 2 * 3 * kStoreBytes, "the pattern holds two periods");

// 64 bytes that the compiler keeps in as many vector registers as the instruction set needs.
#if defined(__GNUC__)
typedef std::uint8_t Block __attribute__((vector_size(kStoreBytes), aligned(1)));
#else
struct Block {
    std::uint8_t bytes[kStoreBytes];
};
#endif

// Fills `bytes` bytes at p with the repeated pattern, which holds two periods so that it can
// start at any phase: a head up to the next 64-byte boundary, then whole aligned blocks held
// in registers, then the tail.
void FillRow(std::uint8_t* __restrict p, const std::uint8_t* __restrict pattern,
             std::size_t bytes) {
    const std::size_t head =
        (kStoreBytes - reinterpret_cast<std::uintptr_t>(p) % kStoreBytes) % kStoreBytes;
    std::size_t i = head < bytes ? head : bytes;
    std::memcpy(p, pattern, i);
    pattern += i;
    Block a, b, c;
    std::memcpy(&a, pattern, kStoreBytes);
    std::memcpy(&b, pattern + kStoreBytes, kStoreBytes);
    std::memcpy(&c, pattern + 2 * kStoreBytes, kStoreBytes);
    for (; i + 3 * kStoreBytes <= bytes; i += 3 * kStoreBytes) {
        std::memcpy(p + i, &a, kStoreBytes);
        std::memcpy(p + i + kStoreBytes, &b, kStoreBytes);
        std::memcpy(p + i + 2 * kStoreBytes, &c, kStoreBytes);
    }
    std::memcpy(p + i, pattern, bytes - i);
}

}  // namespace
}  // namespace kelvandor::kernels::KELVANDOR_KERNELS_NS
