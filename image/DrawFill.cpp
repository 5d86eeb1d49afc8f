// Rectangle fills. Every depth is filled a whole row at a time from a repeated pattern held in
// vector registers, stored block after block, so the fill runs at memory speed instead of
// packing pixel after pixel, and nothing is read back from memory.
// Only the pixels at the ragged edges of sub-byte and 12-bit rows go through putPixel.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/DibImage.h"
#include "kernels/DrawKernels.h"

namespace kelvandor {

namespace {

// The inclusive span [first, last] that `start` and a signed `extent` cover: a negative extent
// reaches back from start and includes it. Computed in 64 bits so that no argument overflows.
void Span(int start, int extent, std::int64_t& first, std::int64_t& last) {
    if (extent >= 0) {
        first = start;
        last = static_cast<std::int64_t>(start) + extent - 1;
    } else {
        first = static_cast<std::int64_t>(start) + extent + 1;
        last = start;
    }
}

}  // namespace

bool CDibImage::FillRect(int x, int y, int w, int h, std::uint32_t colour) {
    if (IsEmpty() || width == 0 || height == 0) {
        return false;
    }
    std::int64_t left, right, top, bottom;
    Span(x, w, left, right);
    Span(y, h, top, bottom);
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, static_cast<std::int64_t>(width) - 1);
    bottom = std::min<std::int64_t>(bottom, static_cast<std::int64_t>(height) - 1);
    if (left > right || top > bottom) {
        return false;
    }
    const auto x0 = static_cast<std::uint32_t>(left);
    const auto x1 = static_cast<std::uint32_t>(right) + 1;  // exclusive
    const auto y0 = static_cast<std::uint32_t>(top);
    const auto y1 = static_cast<std::uint32_t>(bottom) + 1;

    // One unit is the smallest run of whole bytes that holds whole pixels: 1 byte for 1..8
    // bits, 3 bytes (2 pixels) for 12, 2 for 15/16, 3 for 24, 4 for 32. Its pattern is made by
    // putPixel itself, so the packing lives in one place: an index keeps its low bits,
    // 12/15/16 bits are packed, 24 bits drop the alpha byte, 32 bits keep it.
    const std::uint32_t pixelsPerUnit = pixelsPerUnitMask + 1;
    const std::size_t unitBytes = bytesPerUnit;
    alignas(64) std::uint8_t pattern[kernels::kFillPatternBytes] = {};
    for (std::uint32_t i = 0; i < pixelsPerUnit; ++i) {
        putPixel(pattern, i, colour);
    }
    for (std::size_t i = unitBytes; i < kernels::kFillPatternBytes; ++i) {
        pattern[i] = pattern[i - unitBytes];
    }

    // Whole units inside [x0, x1); the pixels before and after them are the ragged edges.
    const std::uint32_t firstWhole = (x0 + pixelsPerUnit - 1) / pixelsPerUnit * pixelsPerUnit;
    const std::uint32_t endWhole = std::max(firstWhole, x1 / pixelsPerUnit * pixelsPerUnit);
    const std::size_t wholeOffset =
        static_cast<std::size_t>(firstWhole / pixelsPerUnit) * unitBytes;
    const std::size_t wholeBytes =
        static_cast<std::size_t>((endWhole - firstWhole) / pixelsPerUnit) * unitBytes;

    // Bottom row first: rows lie bottom-up, so the stores run forward through memory.
    const auto fillRow = kernels::Kernels().fillRow;
    for (std::uint32_t row = y1; row-- > y0;) {
        std::uint8_t* p = topRow - static_cast<std::size_t>(row) * stride;
        fillRow(p + wholeOffset, pattern, wholeBytes);
        for (std::uint32_t i = x0; i < std::min(firstWhole, x1); ++i) {
            putPixel(p, i, colour);
        }
        for (std::uint32_t i = std::max(endWhole, x0); i < x1; ++i) {
            putPixel(p, i, colour);
        }
    }
    return true;
}

}  // namespace kelvandor
