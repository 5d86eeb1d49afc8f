#pragma once
// CTileSprite: an answer tile ready to be put on the 24-bit back buffer. Drawing a tile is
// blending its state tile and then its element image onto the board; the element image lies
// within the tile's opaque inside, so that is the same as blending once the two composed:
// the element image laid over the state tile (DrawAlphaOver, 32 bits). The sprite keeps that
// composition as 24-bit rows in runs of visible pixels: runs of opaque pixels (nearly all of
// a tile) are drawn with block copies, and only the few others (the soft rims of the rounded
// corners) are blended, so that a tick draws a tile with a few block copies per row instead
// of two passes over every pixel.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/DibImage.h"

namespace kelvandor {

class CTileSprite {
public:
    // Composes `over` laid onto `under` (both 32-bit, placed at the same origin) with
    // DrawAlphaOver. Layers that are not 32-bit, or empty, contribute nothing. The sprite
    // owns copies of the pixels it needs.
    void Compose(const CDibImage& under, const CDibImage& over);

    // Blends the composition onto a 24-bit `target` with its top-left corner at (x, y),
    // clipped to it, as DrawAlphaOver would. Returns false when nothing was drawn (the target
    // is not 24-bit, or the sprite lies outside it, or has no visible pixel).
    bool DrawOn(CDibImage& target, std::int32_t x, std::int32_t y) const;

    // Forgets the composed pixels (keeping their memory for the next composition).
    void Clear();

    // True when row r is opaque across the whole width (drawing it covers what lies below).
    bool RowOpaque(std::uint32_t r) const {
        return r < height_ && rowRuns_[r + 1] - rowRuns_[r] == 1 && runs_[rowRuns_[r]].begin == 0 &&
               runs_[rowRuns_[r]].end == width_ && runs_[rowRuns_[r]].opaque;
    }

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }

private:
    struct Run {
        std::uint32_t begin, end;  // columns [begin, end)
        bool opaque;               // every pixel has alpha 255: copied, not blended
    };
    // Bytes that are written before they are read: not cleared when made, and kept for the
    // next composition that fits (a new puzzle of the same layout).
    struct Storage {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t capacity = 0;
        std::uint8_t* Take(std::size_t bytes);
    };
    // Appends the runs of one row of width_ alpha bytes: the stretches of visible pixels,
    // split where they change between opaque and not.
    void AddRuns(const std::uint8_t* alpha);

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    // Every pixel is written; only those inside the runs are ever drawn.
    Storage pixels_;                      // height_ rows of 3 * width_ bytes, top row first
    Storage alphas_;                      // height_ rows of width_ alpha bytes
    std::vector<Run> runs_;               // the visible runs of all rows, row by row
    std::vector<std::uint32_t> rowRuns_;  // row r's runs are runs_[rowRuns_[r], rowRuns_[r+1])
};

}  // namespace kelvandor
