// Rectangle fills.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/DibImage.h"

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
    const auto x1 = static_cast<std::uint32_t>(right);
    for (auto row = static_cast<std::uint32_t>(top); row <= static_cast<std::uint32_t>(bottom);
         ++row) {
        std::uint8_t* p = topRow - static_cast<std::size_t>(row) * stride;
        switch (bitsPerPixel) {
            case 8:
                std::memset(p + x0, static_cast<std::uint8_t>(colour), x1 - x0 + 1);
                break;
            case 32:
                for (std::uint32_t i = x0; i <= x1; ++i) {
                    std::memcpy(p + 4 * static_cast<std::size_t>(i), &colour, 4);
                }
                break;
            default:
                for (std::uint32_t i = x0; i <= x1; ++i) {
                    putPixel(p, i, colour);
                }
                break;
        }
    }
    return true;
}

}  // namespace kelvandor
