#include "image/GifReader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/LittleEndian.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::uint32_t kMaxCodes = 4096;  // 12-bit codes
constexpr std::uint32_t kMaxCodeWidth = 12;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;

// A code of w bits expands to at most 2^w pixels (an entry is one longer than the entry it
// extends, and there are fewer than 2^w of them while codes have w bits), so one bit of data
// yields at most 4096 / 12 pixels. A picture that needs more data than is left cannot be
// complete; it is refused before its pixels are allocated.
constexpr std::uint64_t kMostPixelsPerByte = 8 * (kMaxCodes / kMaxCodeWidth + 1);

struct ColourTable {
    std::uint32_t count = 0;              // 0: no table
    std::array<std::uint8_t, 768> rgb{};  // red, green, blue per entry
};

struct PictureDescriptor {
    std::uint32_t left = 0;
    std::uint32_t top = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool interlaced = false;
    ColourTable local;
};

void ReadColourTable(CDataStream& stream, std::uint32_t sizeBits, ColourTable& table) {
    table.count = 2u << sizeBits;
    if (stream.Read(table.rgb.data(), table.count * 3) != table.count * 3) {
        throw EGifFileReadError();
    }
}

// The length-prefixed sub-blocks that carry an extension's data or a picture's codes, read up
// to the empty block that ends them.
class CSubBlocks {
public:
    explicit CSubBlocks(CDataStream& stream) : stream_(stream) {}

    // The next data byte; false once the terminating empty block has been read.
    bool NextByte(std::uint8_t& byte) {
        if (position_ == length_ && !NextBlock()) {
            return false;
        }
        byte = block_[position_++];
        return true;
    }

    // The next whole block; empty at the end.
    std::span<const std::uint8_t> Block() {
        if (position_ == length_ && !NextBlock()) {
            return {};
        }
        const std::span<const std::uint8_t> rest(block_.data() + position_, length_ - position_);
        position_ = length_;
        return rest;
    }

    void SkipToEnd() {
        while (!Block().empty()) {
        }
    }

private:
    bool NextBlock() {
        if (ended_) {
            return false;
        }
        std::uint8_t length;
        if (!stream_.ReadByte(length)) {
            throw EGifCorruptFile();
        }
        if (length == 0) {
            ended_ = true;
            return false;
        }
        if (stream_.Read(block_.data(), length) != length) {
            throw EGifCorruptFile();
        }
        length_ = length;
        position_ = 0;
        return true;
    }

    CDataStream& stream_;
    std::array<std::uint8_t, 255> block_{};
    std::size_t length_ = 0;
    std::size_t position_ = 0;
    bool ended_ = false;
};

// The variable-width LZW decoder of GIF: clear and end codes, widths from minCodeSize + 1 up
// to 12 bits, a dictionary of 4096 entries that stops growing when full (until the next
// clear code). Strings are expanded through their prefix chains into a buffer, never by
// recursion.
class CLzwDecoder {
public:
    CLzwDecoder(CSubBlocks& data, std::uint32_t minCodeSize)
        : data_(data),
          minCodeSize_(minCodeSize),
          clearCode_(1u << minCodeSize),
          endCode_(clearCode_ + 1) {
        for (std::uint32_t code = 0; code < clearCode_; ++code) {
            // Literals above 255 cannot be palette indices; they are refused when they come.
            length_[code] = code <= 255 ? 1 : 0;
            suffix_[code] = static_cast<std::uint8_t>(code);
        }
        Reset();
    }

    // Writes the next count pixel indices. Throws EGifCorruptFile on an invalid code or when
    // the data end first.
    void Fill(std::uint8_t* out, std::size_t count) {
        while (count > 0) {
            if (position_ == end_) {
                DecodeNextCode();
            }
            const std::size_t take = std::min(count, end_ - position_);
            std::memcpy(out, string_.data() + position_, take);
            position_ += take;
            out += take;
            count -= take;
        }
    }

private:
    void Reset() {
        codeWidth_ = minCodeSize_ + 1;
        nextCode_ = clearCode_ + 2;
        previous_ = kNone;
    }

    std::uint32_t ReadCode() {
        while (bitCount_ < codeWidth_) {
            std::uint8_t byte;
            if (!data_.NextByte(byte)) {
                throw EGifCorruptFile();  // the codes end before the picture does
            }
            bits_ |= static_cast<std::uint32_t>(byte) << bitCount_;
            bitCount_ += 8;
        }
        const std::uint32_t code = bits_ & ((1u << codeWidth_) - 1);
        bits_ >>= codeWidth_;
        bitCount_ -= codeWidth_;
        return code;
    }

    // Puts the string of code into string_[0, length).
    void Expand(std::uint32_t code) {
        const std::uint32_t length = length_[code];
        if (length == 0) {
            throw EGifCorruptFile();
        }
        for (std::uint32_t i = length; i-- > 0;) {
            string_[i] = suffix_[code];
            code = prefix_[code];
        }
        position_ = 0;
        end_ = length;
    }

    void DecodeNextCode() {
        for (;;) {
            const std::uint32_t code = ReadCode();
            if (code == clearCode_) {
                Reset();
                continue;
            }
            if (code == endCode_) {
                throw EGifCorruptFile();  // ended before the picture was complete
            }
            if (previous_ == kNone) {
                if (code > clearCode_) {
                    throw EGifCorruptFile();  // nothing in the dictionary yet
                }
                Expand(code);
                previous_ = code;
                return;
            }
            if (code < nextCode_) {
                Expand(code);
            } else if (code == nextCode_ && nextCode_ < kMaxCodes) {
                // The entry being defined: the previous string and its own first byte.
                Expand(previous_);
                string_[end_++] = string_[0];
            } else {
                throw EGifCorruptFile();
            }
            if (nextCode_ < kMaxCodes) {
                prefix_[nextCode_] = static_cast<std::uint16_t>(previous_);
                suffix_[nextCode_] = string_[0];
                length_[nextCode_] = static_cast<std::uint16_t>(length_[previous_] + 1);
                ++nextCode_;
                if (nextCode_ == (1u << codeWidth_) && codeWidth_ < kMaxCodeWidth) {
                    ++codeWidth_;
                }
            }
            previous_ = code;
            return;
        }
    }

    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    CSubBlocks& data_;
    const std::uint32_t minCodeSize_;
    const std::uint32_t clearCode_;
    const std::uint32_t endCode_;
    std::uint32_t codeWidth_ = 0;
    std::uint32_t nextCode_ = 0;
    std::uint32_t previous_ = kNone;
    std::uint32_t bits_ = 0;
    std::uint32_t bitCount_ = 0;
    std::array<std::uint16_t, kMaxCodes> prefix_{};
    std::array<std::uint8_t, kMaxCodes> suffix_{};
    std::array<std::uint16_t, kMaxCodes> length_{};
    // The string being handed out: at most 4096 bytes, one more for a new entry.
    std::array<std::uint8_t, kMaxCodes + 1> string_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
};

// The image row of each decoded row: top to bottom, or the four interlace passes (every
// eighth row from 0, every eighth from 4, every fourth from 2, every second from 1); a pass
// whose first row lies beyond the picture is skipped.
class CRowOrder {
public:
    CRowOrder(std::uint32_t height, bool interlaced) : height_(height), interlaced_(interlaced) {}

    std::uint32_t Next() {
        const std::uint32_t row = row_;
        if (!interlaced_) {
            ++row_;
            return row;
        }
        row_ += kStep[pass_];
        while (row_ >= height_ && pass_ < 3) {
            ++pass_;
            row_ = kStart[pass_];
        }
        return row;
    }

private:
    static constexpr std::uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr std::uint32_t kStep[4] = {8, 8, 4, 2};

    std::uint32_t height_;
    bool interlaced_;
    std::uint32_t pass_ = 0;
    std::uint32_t row_ = 0;
};

}  // namespace

// The reader's state between pictures, and the decoding steps that use it.
struct CGifReader::State {
    CDataStream* stream = nullptr;
    ColourTable global;
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    // An image descriptor has been reached and not yet read.
    bool pending = false;
    // What followed the last picture could not be read: a further picture is refused, the
    // pictures read before stay good.
    bool damagedAfterPicture = false;
    std::int32_t pendingTransparent = -1;
    std::int32_t pictureTransparent = -1;

    // The signature, the logical screen and the global colour table.
    void ReadHeader() {
        std::uint8_t signature[6];
        if (stream->Read(signature, sizeof signature) != sizeof signature) {
            throw EGifFileReadError();
        }
        if (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0) {
            throw EGifNotAGifFile();
        }
        // Width, height, flags, background index and aspect; the last two are not used.
        std::uint8_t screen[7];
        if (stream->Read(screen, sizeof screen) != sizeof screen) {
            throw EGifFileReadError();
        }
        screenWidth = Le16(screen);
        screenHeight = Le16(screen + 2);
        if (screen[4] & 0x80) {
            ReadColourTable(*stream, screen[4] & 0x07, global);
        }
    }

    // Reads blocks up to the next image descriptor or the trailer. Extensions are skipped; a
    // graphic control extension sets the transparent index of the picture that follows.
    void AdvanceToPicture() {
        pending = false;
        for (;;) {
            std::uint8_t introducer;
            if (!stream->ReadByte(introducer)) {
                throw EGifCorruptFile();
            }
            if (introducer == kImageSeparator) {
                pending = true;
                return;
            }
            if (introducer == kTrailer) {
                return;
            }
            if (introducer != kExtensionIntroducer) {
                throw EGifCorruptFile();
            }
            std::uint8_t label;
            if (!stream->ReadByte(label)) {
                throw EGifCorruptFile();
            }
            CSubBlocks blocks(*stream);
            if (label == kGraphicControlLabel) {
                // Flags, delay (two bytes), transparent index.
                const std::span<const std::uint8_t> control = blocks.Block();
                if (control.size() >= 4) {
                    pendingTransparent = (control[0] & 0x01) ? control[3] : -1;
                }
            }
            // Plain text, application and comment extensions, and labels not known here,
            // carry nothing a picture needs.
            blocks.SkipToEnd();
        }
    }

    // The image descriptor that follows the separator, with its local colour table.
    PictureDescriptor ReadDescriptor() {
        std::uint8_t bytes[9];
        if (stream->Read(bytes, sizeof bytes) != sizeof bytes) {
            throw EGifCorruptFile();
        }
        PictureDescriptor picture;
        picture.left = Le16(bytes);
        picture.top = Le16(bytes + 2);
        picture.width = Le16(bytes + 4);
        picture.height = Le16(bytes + 6);
        picture.interlaced = (bytes[8] & 0x40) != 0;
        if (bytes[8] & 0x80) {
            ReadColourTable(*stream, bytes[8] & 0x07, picture.local);
        }
        // A picture must lie on its logical screen and have pixels; one without any colour
        // table has no colours.
        if (picture.width == 0 || picture.height == 0 ||
            picture.left + picture.width > screenWidth ||
            picture.top + picture.height > screenHeight ||
            (picture.local.count == 0 && global.count == 0)) {
            throw EGifCorruptFile();
        }
        return picture;
    }

    // The local table's entries, then those of the global table above them.
    void SetPalette(const PictureDescriptor& picture, CDibImage& image) const {
        const ColourTable& first = picture.local.count != 0 ? picture.local : global;
        for (std::uint32_t i = 0; i < first.count; ++i) {
            image.SetPaletteRgba(i, first.rgb[3 * i], first.rgb[3 * i + 1], first.rgb[3 * i + 2],
                                 0);
        }
        for (std::uint32_t i = first.count; i < global.count; ++i) {
            image.SetPaletteRgba(i, global.rgb[3 * i], global.rgb[3 * i + 1], global.rgb[3 * i + 2],
                                 0);
        }
    }

    void DecodePixels(CGifReader& reader, const PictureDescriptor& picture,
                      std::uint32_t minCodeSize, CDibImage& image) {
        CSubBlocks data(*stream);
        CLzwDecoder decoder(data, minCodeSize);
        CRowOrder order(picture.height, picture.interlaced);
        for (std::uint32_t n = 0; n < picture.height; ++n) {
            reader.ReportProgress(static_cast<int>(n * 100ull / picture.height));
            decoder.Fill(image.Row(order.Next()), picture.width);
        }
        // Codes after the last pixel (the end code among them) are not needed.
        data.SkipToEnd();
    }

    // A used transparent index becomes alpha 0 in a 32-bit picture.
    void ApplyTransparency(CDibImage& image) const {
        if (pictureTransparent < 0) {
            return;
        }
        const auto transparent = static_cast<std::uint8_t>(pictureTransparent);
        bool used = false;
        for (std::uint32_t y = 0; y < image.height && !used; ++y) {
            const std::uint8_t* row = image.Row(y);
            used = std::find(row, row + image.width, transparent) != row + image.width;
        }
        if (!used) {
            return;
        }
        for (std::uint32_t i = 0; i < 256; ++i) {
            image.palette[i] =
                (image.palette[i] & 0x00FFFFFF) | (i == transparent ? 0 : 0xFF000000);
        }
        ExpandPaletteToArgb(image);
    }

    void ReadPicture(CGifReader& reader, CDibImage& image) {
        if (damagedAfterPicture) {
            throw EGifCorruptFile();
        }
        if (!pending) {
            throw EGifNoMoreImages();
        }
        pending = false;
        const PictureDescriptor picture = ReadDescriptor();
        std::uint8_t minCodeSize;
        if (!stream->ReadByte(minCodeSize)) {
            throw EGifCorruptFile();
        }
        // Codes start one bit wider than the literals and must leave room in 12 bits for the
        // clear and end codes; palette indices need at least one bit.
        if (minCodeSize == 0 || minCodeSize >= kMaxCodeWidth) {
            throw EGifCorruptFile();
        }
        if (picture.width > kMaxImageSide || picture.height > kMaxImageSide) {
            throw EGraphicsPicSize();
        }
        if (stream->Size() != UINT64_MAX) {
            const std::uint64_t left =
                stream->Size() - std::min(stream->Size(), stream->Position());
            if (std::uint64_t{picture.width} * picture.height > left * kMostPixelsPerByte) {
                throw EGifCorruptFile();
            }
        }
        reader.CreateImage(image, 8, picture.width, picture.height, 0);
        SetPalette(picture, image);
        DecodePixels(reader, picture, minCodeSize, image);
        pictureTransparent = pendingTransparent;
        pendingTransparent = -1;
        ApplyTransparency(image);
        reader.ReportProgress(100);
        // The picture is complete: damage behind it only stops the pictures after it.
        try {
            AdvanceToPicture();
        } catch (const EGifCorruptFile&) {
            damagedAfterPicture = true;
        }
    }
};

CGifReader::CGifReader() : state_(std::make_unique<State>()) {}

CGifReader::~CGifReader() = default;

void CGifReader::Read(CDataStream& stream, CDibImage& image) {
    *state_ = State{};
    state_->stream = &stream;
    ReportProgress(0);
    state_->ReadHeader();
    state_->AdvanceToPicture();
    state_->ReadPicture(*this, image);
}

void CGifReader::ReadNextPicture(CDibImage& image) {
    if (state_->stream == nullptr) {
        throw EGifNoMoreImages();
    }
    state_->ReadPicture(*this, image);
}

std::int32_t CGifReader::TransparentIndex() const {
    return state_->pictureTransparent;
}

bool CGifReader::HasMorePictures() const {
    return state_->pending && !state_->damagedAfterPicture;
}

void CGifReader::ThrowOpenError() const {
    throw EGifError();
}

}  // namespace kelvandor
