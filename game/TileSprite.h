#pragma once
// CTileSprite: an answer tile ready to be put on the 24-bit back buffer. On a 24-bit image,
// DrawAlphaOver copies every source pixel whose alpha is not 0 and leaves the others; drawing
// the state tile and then the element image that way is the same as copying, row by row, the
// runs of pixels that either of them covers. The sprite keeps those pixels packed as 24-bit
// rows with their runs, so that a tick draws a tile with a few block copies per row instead
// of two passes over every pixel.

#include <cstdint>
#include <vector>

#include "image/DibImage.h"

namespace kelvandor {

class CTileSprite {
public:
    // Composes `under` and then `over` (both 32-bit, placed at the same origin) as two
    // DrawAlphaOver calls onto a 24-bit image would. Layers that are not 32-bit, or empty,
    // contribute nothing. The sprite owns copies of the pixels it needs.
    void Compose(const CDibImage& under, const CDibImage& over);

    // Draws the sprite with its top-left corner at (x, y) onto a 24-bit `target`, clipped to
    // it. Returns false when nothing was drawn (the target is not 24-bit, or the sprite lies
    // outside it, or has no visible pixel).
    bool DrawOn(CDibImage& target, std::int32_t x, std::int32_t y) const;

    // Forgets the composed pixels.
    void Clear();

    // True when row r is visible across the whole width (drawing it covers what lies below).
    bool RowOpaque(std::uint32_t r) const {
        return r < height_ && rowRuns_[r + 1] - rowRuns_[r] == 1 && runs_[rowRuns_[r]].begin == 0 &&
               runs_[rowRuns_[r]].end == width_;
    }

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }

private:
    struct Run {
        std::uint32_t begin, end;  // columns [begin, end)
    };
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::vector<std::uint8_t> pixels_;    // height_ rows of 3 * width_ bytes, top row first
    std::vector<Run> runs_;               // the visible runs of all rows, row by row
    std::vector<std::uint32_t> rowRuns_;  // row r's runs are runs_[rowRuns_[r], rowRuns_[r+1])
};

}  // namespace kelvandor
