// The GIF encoder of the tests: a plain LZW encoder, independent of the reader's decoder.

#include <algorithm>
#include <map>

#include "tests/image/TestImages.h"

namespace kelvandor::testimages {

namespace {

class CBitPacker {
public:
    void Put(std::uint32_t code, int width) {
        bits_ |= static_cast<std::uint64_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }

    // The minimum code size, the sub-blocks and the terminator.
    Bytes Finish(int minCodeSize) {
        if (count_ > 0) {
            bytes_.push_back(static_cast<std::uint8_t>(bits_));
        }
        Bytes out{static_cast<std::uint8_t>(minCodeSize)};
        for (std::size_t at = 0; at < bytes_.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, bytes_.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes_.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        out.push_back(0);
        return out;
    }

private:
    Bytes bytes_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

void PutTable(Bytes& out, const std::vector<std::uint32_t>& table) {
    for (std::uint32_t rgb : table) {
        out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        out.push_back(static_cast<std::uint8_t>(rgb >> 8));
        out.push_back(static_cast<std::uint8_t>(rgb));
    }
}

// The size bits of a table's flags; the table must hold 2, 4, ..., 256 entries.
std::uint8_t TableBits(const std::vector<std::uint32_t>& table) {
    std::uint8_t bits = 0;
    while ((2u << bits) < table.size()) {
        ++bits;
    }
    return bits;
}

// The rows in the order they are stored: as given, or in the four interlace passes.
Bytes StoredOrder(const GifPicture& picture) {
    if (!picture.interlaced) {
        return picture.indices;
    }
    Bytes out;
    const int starts[4] = {0, 4, 2, 1};
    const int steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < picture.height; y += steps[pass]) {
            const auto begin =
                picture.indices.begin() + static_cast<std::ptrdiff_t>(y) * picture.width;
            out.insert(out.end(), begin, begin + picture.width);
        }
    }
    return out;
}

}  // namespace

Bytes GifLzwData(const Bytes& indices, int minCodeSize, bool clearWhenFull) {
    const std::uint32_t clear = 1u << minCodeSize;
    const std::uint32_t end = clear + 1;
    std::map<std::pair<std::uint32_t, std::uint8_t>, std::uint32_t> dictionary;
    std::uint32_t next = clear + 2;
    int width = minCodeSize + 1;
    CBitPacker packer;
    packer.Put(clear, width);
    const auto restart = [&] {
        dictionary.clear();
        next = clear + 2;
        width = minCodeSize + 1;
    };
    std::uint32_t prefix = indices.empty() ? 0 : indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const auto found = dictionary.find({prefix, indices[i]});
        if (found != dictionary.end()) {
            prefix = found->second;
            continue;
        }
        packer.Put(prefix, width);
        if (next < 4096) {
            dictionary[{prefix, indices[i]}] = next++;
            // The decoder adds this entry one code later and widens when it reaches 2^width.
            if (next > (1u << width) && width < 12) {
                ++width;
            }
        } else if (clearWhenFull) {
            packer.Put(clear, width);
            restart();
        }
        prefix = indices[i];
    }
    if (!indices.empty()) {
        packer.Put(prefix, width);
    }
    packer.Put(end, width);
    return packer.Finish(minCodeSize);
}

Bytes GifCodes(int minCodeSize, const std::vector<std::pair<std::uint32_t, int>>& codes) {
    CBitPacker packer;
    for (const auto& [code, width] : codes) {
        packer.Put(code, width);
    }
    return packer.Finish(minCodeSize);
}

Bytes GifFile(const GifStream& gif) {
    Bytes out(gif.signature.begin(), gif.signature.end());
    int screenWidth = gif.screenWidth;
    int screenHeight = gif.screenHeight;
    if (screenWidth == 0 && !gif.pictures.empty()) {
        screenWidth = gif.pictures[0].left + gif.pictures[0].width;
        screenHeight = gif.pictures[0].top + gif.pictures[0].height;
    }
    PutLe16(out, static_cast<std::uint32_t>(screenWidth));
    PutLe16(out, static_cast<std::uint32_t>(screenHeight));
    const bool global = !gif.globalTable.empty();
    out.push_back(static_cast<std::uint8_t>(global ? 0x80 | TableBits(gif.globalTable) : 0));
    out.push_back(0);  // background
    out.push_back(0);  // aspect
    if (global) {
        std::vector<std::uint32_t> table = gif.globalTable;
        table.resize(2u << TableBits(table), 0);
        PutTable(out, table);
    }
    out.insert(out.end(), gif.beforePictures.begin(), gif.beforePictures.end());
    for (const GifPicture& picture : gif.pictures) {
        if (picture.transparent >= 0) {
            out.insert(out.end(), {0x21, 0xF9, 4, 0x01, 10, 0,
                                   static_cast<std::uint8_t>(picture.transparent), 0});
        }
        out.push_back(0x2C);
        PutLe16(out, static_cast<std::uint32_t>(picture.left));
        PutLe16(out, static_cast<std::uint32_t>(picture.top));
        PutLe16(out, static_cast<std::uint32_t>(picture.width));
        PutLe16(out, static_cast<std::uint32_t>(picture.height));
        std::uint8_t flags = picture.interlaced ? 0x40 : 0;
        std::vector<std::uint32_t> local = picture.localTable;
        if (!local.empty()) {
            flags |= 0x80 | TableBits(local);
            local.resize(2u << TableBits(local), 0);
        }
        out.push_back(flags);
        PutTable(out, local);
        if (!picture.data.empty()) {
            out.insert(out.end(), picture.data.begin(), picture.data.end());
            continue;
        }
        int minCodeSize = picture.minCodeSize;
        if (minCodeSize == 0) {
            const std::uint8_t highest =
                picture.indices.empty()
                    ? 0
                    : *std::max_element(picture.indices.begin(), picture.indices.end());
            minCodeSize = 2;
            while ((1u << minCodeSize) <= highest) {
                ++minCodeSize;
            }
        }
        const Bytes data = GifLzwData(StoredOrder(picture), minCodeSize, picture.clearWhenFull);
        out.insert(out.end(), data.begin(), data.end());
    }
    if (gif.trailer) {
        out.push_back(0x3B);
    }
    return out;
}

}  // namespace kelvandor::testimages
