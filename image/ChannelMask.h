#pragma once
// One colour channel of a packed pixel given by a bit mask, as bit-field bitmaps and X window
// dumps describe their pixels: the bits are taken out and scaled to 0-255 (rounded), so a
// 5-bit channel of 31 becomes 255. Internal to the readers.

#include <bit>
#include <cstdint>

namespace kelvandor {

class CChannelMask {
public:
    CChannelMask() = default;
    explicit CChannelMask(std::uint32_t mask)
        : mask_(mask),
          shift_(mask == 0 ? 0 : std::countr_zero(mask)),
          max_(mask == 0 ? 0 : mask >> shift_) {}

    // A mask whose bits form one run (or no bits at all). Other masks cannot be scaled.
    bool IsContiguous() const { return (max_ & (max_ + 1)) == 0; }
    bool IsEmpty() const { return mask_ == 0; }

    // The channel of pixel scaled to 0-255; 0 for an empty mask.
    std::uint8_t Extract(std::uint32_t pixel) const {
        if (max_ == 0) {
            return 0;
        }
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<std::uint8_t>((value * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    std::uint32_t max_ = 0;
};

}  // namespace kelvandor
