#include "game/TileSprite.h"

#include <algorithm>
#include <cstring>

namespace kelvandor {

namespace {

// The 32-bit pixel of `layer` at (x, y) with its visibility, or nothing outside the layer.
bool VisiblePixel(const CDibImage& layer, std::uint32_t x, std::uint32_t y,
                  const std::uint8_t*& px) {
    if (layer.bitsPerPixel != 32 || x >= layer.width || y >= layer.height) {
        return false;
    }
    px = layer.Row(y) + 4 * static_cast<std::size_t>(x);
    return px[3] != 0;
}

}  // namespace

void CTileSprite::Clear() {
    width_ = height_ = 0;
    pixels_.clear();
    runs_.clear();
    rowRuns_.assign(1, 0);
}

void CTileSprite::Compose(const CDibImage& under, const CDibImage& over) {
    Clear();
    const auto usable = [](const CDibImage& layer) {
        return layer.bitsPerPixel == 32 && layer.width != 0 && layer.height != 0;
    };
    width_ = std::max(usable(under) ? under.width : 0u, usable(over) ? over.width : 0u);
    height_ = std::max(usable(under) ? under.height : 0u, usable(over) ? over.height : 0u);
    pixels_.assign(3 * static_cast<std::size_t>(width_) * height_, 0);
    rowRuns_.reserve(static_cast<std::size_t>(height_) + 1);
    for (std::uint32_t y = 0; y < height_; ++y) {
        std::uint8_t* out = pixels_.data() + 3 * static_cast<std::size_t>(width_) * y;
        bool inRun = false;
        for (std::uint32_t x = 0; x < width_; ++x) {
            const std::uint8_t* px = nullptr;
            const bool visible = VisiblePixel(over, x, y, px) || VisiblePixel(under, x, y, px);
            if (visible) {
                std::memcpy(out + 3 * static_cast<std::size_t>(x), px, 3);
                if (!inRun) {
                    runs_.push_back({x, x + 1});
                    inRun = true;
                } else {
                    runs_.back().end = x + 1;
                }
            } else {
                inRun = false;
            }
        }
        rowRuns_.push_back(static_cast<std::uint32_t>(runs_.size()));
    }
}

bool CTileSprite::DrawOn(CDibImage& target, std::int32_t x, std::int32_t y) const {
    if (target.bitsPerPixel != 24 || target.width == 0 || target.height == 0) {
        return false;
    }
    const std::int64_t targetWidth = target.width;
    bool drawn = false;
    for (std::uint32_t r = 0; r < height_; ++r) {
        const std::int64_t ty = static_cast<std::int64_t>(y) + r;
        if (ty < 0 || ty >= static_cast<std::int64_t>(target.height)) {
            continue;
        }
        std::uint8_t* row = target.Row(static_cast<std::uint32_t>(ty));
        const std::uint8_t* source = pixels_.data() + 3 * static_cast<std::size_t>(width_) * r;
        for (std::uint32_t k = rowRuns_[r]; k < rowRuns_[r + 1]; ++k) {
            const std::int64_t begin = std::max<std::int64_t>(x + std::int64_t{runs_[k].begin}, 0);
            const std::int64_t end =
                std::min<std::int64_t>(x + std::int64_t{runs_[k].end}, targetWidth);
            if (begin >= end) {
                continue;
            }
            std::memcpy(row + 3 * begin, source + 3 * (begin - x),
                        static_cast<std::size_t>(3 * (end - begin)));
            drawn = true;
        }
    }
    return drawn;
}

}  // namespace kelvandor
