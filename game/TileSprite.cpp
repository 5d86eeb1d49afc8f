#include "game/TileSprite.h"

#include <algorithm>
#include <cstring>

namespace kelvandor {

std::uint8_t* CTileSprite::Storage::Take(std::size_t bytes) {
    if (bytes > capacity) {
        data.reset();  // the old block goes before the new one is touched
        data.reset(new std::uint8_t[bytes]);
        capacity = bytes;
    }
    return data.get();
}

namespace {

// The end of the stretch from `x` on whose alpha bytes all equal `value` (0 or 255), eight
// at a time: a tile's rows are long runs of one of the two.
std::uint32_t EndOfStretch(const std::uint8_t* alpha, std::uint32_t x, std::uint32_t width,
                           std::uint8_t value) {
    const std::uint64_t eight = value == 0 ? 0 : ~std::uint64_t{0};
    for (std::uint64_t word; x + 8 <= width; x += 8) {
        std::memcpy(&word, alpha + x, 8);
        if (word != eight) {
            break;
        }
    }
    while (x < width && alpha[x] == value) {
        ++x;
    }
    return x;
}

}  // namespace

void CTileSprite::AddRuns(const std::uint8_t* alpha) {
    for (std::uint32_t x = 0; x < width_;) {
        const std::uint8_t a = alpha[x];
        if (a == 0) {
            x = EndOfStretch(alpha, x, width_, 0);
            continue;
        }
        std::uint32_t end = x + 1;
        if (a == 255) {
            end = EndOfStretch(alpha, end, width_, 255);
        } else {
            while (end < width_ && alpha[end] != 0 && alpha[end] != 255) {
                ++end;
            }
        }
        runs_.push_back({x, end, a == 255});
        x = end;
    }
}

void CTileSprite::Clear() {
    width_ = height_ = 0;
    runs_.clear();
    rowRuns_.assign(1, 0);
}

void CTileSprite::Compose(const CDibImage& under, const CDibImage& over) {
    Clear();
    const auto usable = [](const CDibImage& layer) {
        return layer.bitsPerPixel == 32 && layer.width != 0 && layer.height != 0;
    };
    const bool hasUnder = usable(under), hasOver = usable(over);
    width_ = std::max(hasUnder ? under.width : 0u, hasOver ? over.width : 0u);
    height_ = std::max(hasUnder ? under.height : 0u, hasOver ? over.height : 0u);
    // The composition is made one row at a time in `line`: on a clear image the first layer
    // shows as it is wherever its alpha is not 0, so its row is copied, and the second layer
    // is blended over that. Only pixels with alpha reach the sprite, so the colour that a
    // clear pixel carries does not matter. Nothing is cleared that is written anyway: a tile
    // on a 4K screen is a megabyte, and a deal composes twelve of them at once.
    CDibImage line;
    if (width_ == 0 || height_ == 0 || !line.Create(32, width_, 1, NoFill)) {
        width_ = height_ = 0;
        return;
    }
    const std::size_t area = static_cast<std::size_t>(width_) * height_;
    std::uint8_t* const pixels = pixels_.Take(3 * area);
    std::uint8_t* const alphas = alphas_.Take(area);
    rowRuns_.reserve(static_cast<std::size_t>(height_) + 1);
    std::uint8_t* const composed = line.Row(0);
    for (std::uint32_t y = 0; y < height_; ++y) {
        std::size_t copied = 0;
        if (hasUnder && y < under.height) {
            copied = 4 * static_cast<std::size_t>(under.width);
            std::memcpy(composed, under.Row(y), copied);
        }
        std::memset(composed + copied, 0, 4 * static_cast<std::size_t>(width_) - copied);
        if (hasOver && y < over.height) {
            line.DrawAlphaOver(over, 0, -static_cast<std::int32_t>(y));  // its row y
        }
        std::uint8_t* out = pixels + 3 * static_cast<std::size_t>(width_) * y;
        std::uint8_t* alpha = alphas + static_cast<std::size_t>(width_) * y;
        for (std::uint32_t x = 0; x < width_; ++x) {
            std::memcpy(out + 3 * static_cast<std::size_t>(x), composed + 4 * std::size_t{x}, 3);
            alpha[x] = composed[4 * std::size_t{x} + 3];
        }
        AddRuns(alpha);
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
        const std::uint8_t* source = pixels_.data.get() + 3 * static_cast<std::size_t>(width_) * r;
        const std::uint8_t* alpha = alphas_.data.get() + static_cast<std::size_t>(width_) * r;
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
