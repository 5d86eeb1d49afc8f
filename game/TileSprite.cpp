#include "game/TileSprite.h"

#include <algorithm>
#include <cstring>

namespace kelvandor {

void CTileSprite::Clear() {
    width_ = height_ = 0;
    pixels_.clear();
    alphas_.clear();
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
    CDibImage composed;
    if (width_ == 0 || height_ == 0 || !composed.Create(32, width_, height_, 0)) {
        width_ = height_ = 0;
        return;
    }
    // Onto the clear image the first layer is copied as it is, the second blended over it.
    if (usable(under)) {
        composed.DrawAlphaOver(under, 0, 0);
    }
    if (usable(over)) {
        composed.DrawAlphaOver(over, 0, 0);
    }
    pixels_.assign(3 * static_cast<std::size_t>(width_) * height_, 0);
    alphas_.assign(static_cast<std::size_t>(width_) * height_, 0);
    rowRuns_.reserve(static_cast<std::size_t>(height_) + 1);
    for (std::uint32_t y = 0; y < height_; ++y) {
        const std::uint8_t* in = composed.Row(y);
        std::uint8_t* out = pixels_.data() + 3 * static_cast<std::size_t>(width_) * y;
        std::uint8_t* alpha = alphas_.data() + static_cast<std::size_t>(width_) * y;
        bool inRun = false;
        for (std::uint32_t x = 0; x < width_; ++x, in += 4) {
            const std::uint8_t a = in[3];
            if (a == 0) {
                inRun = false;
                continue;
            }
            std::memcpy(out + 3 * static_cast<std::size_t>(x), in, 3);
            alpha[x] = a;
            const bool opaque = a == 255;
            if (inRun && runs_.back().opaque == opaque) {
                runs_.back().end = x + 1;
            } else {
                runs_.push_back({x, x + 1, opaque});
                inRun = true;
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
        const std::uint8_t* alpha = alphas_.data() + static_cast<std::size_t>(width_) * r;
        for (std::uint32_t k = rowRuns_[r]; k < rowRuns_[r + 1]; ++k) {
            const Run& run = runs_[k];
            const std::int64_t begin = std::max<std::int64_t>(x + std::int64_t{run.begin}, 0);
            const std::int64_t end = std::min<std::int64_t>(x + std::int64_t{run.end}, targetWidth);
            if (begin >= end) {
                continue;
            }
            drawn = true;
            if (run.opaque) {
                std::memcpy(row + 3 * begin, source + 3 * (begin - x),
                            static_cast<std::size_t>(3 * (end - begin)));
                continue;
            }
            // The blend of DrawAlpha: (s * (a + 1) + d * (256 - a)) >> 8 per channel.
            for (std::int64_t c = begin; c < end; ++c) {
                const std::uint32_t a = alpha[c - x];
                const std::uint8_t* s = source + 3 * (c - x);
                std::uint8_t* d = row + 3 * c;
                for (int ch = 0; ch < 3; ++ch) {
                    d[ch] = static_cast<std::uint8_t>((s[ch] * (a + 1) + d[ch] * (256 - a)) >> 8);
                }
            }
        }
    }
    return drawn;
}

}  // namespace kelvandor
