#include "image/PnmReader.h"

#include <algorithm>
#include <vector>

#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::uint64_t kNumberCap = 0xFFFFFFFFull + 1;  // a larger number is no size
constexpr std::uint32_t kMaxSampleValue = 65535;

enum class PnmForm { Bitmap, GreyMap, PixelMap };

struct PnmHeader {
    PnmForm form = PnmForm::Bitmap;
    bool raw = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t maxValue = 1;

    std::uint32_t Channels() const { return form == PnmForm::PixelMap ? 3 : 1; }
    std::uint32_t Depth() const {
        return form == PnmForm::Bitmap ? 1 : form == PnmForm::GreyMap ? 8 : 24;
    }
    std::uint32_t BytesPerSample() const { return maxValue > 255 ? 2 : 1; }
    std::uint64_t RawRowBytes() const {
        return form == PnmForm::Bitmap ? (std::uint64_t{width} + 7) / 8
                                       : std::uint64_t{width} * Channels() * BytesPerSample();
    }
};

bool IsWhiteSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// A sample scaled from 0..maxValue to 0..255, rounded; samples above the maximum count as
// the maximum.
std::uint8_t ScaleSample(std::uint32_t sample, std::uint32_t maxValue) {
    const std::uint32_t s = std::min(sample, maxValue);
    return static_cast<std::uint8_t>((s * 255u + maxValue / 2) / maxValue);
}

// The text of the header and of the text forms' samples, read a byte at a time: a digit run
// of any length, or a comment that never ends, costs time in proportion to its bytes and
// nothing else.
class CPnmText {
public:
    explicit CPnmText(CDataStream& stream) : stream_(stream) {}

    // The next byte without consuming it; -1 at the end of the data.
    int Peek() { return stream_.PeekByte(); }
    void Advance() { stream_.GetByte(); }

    // Skips separators and comments ('#' to the end of its line). Returns the first byte
    // that is a digit, or -1 at the end of the data.
    int SkipToDigit() {
        for (int c = Peek(); c >= 0; c = Peek()) {
            if (IsDigit(c)) {
                return c;
            }
            Advance();
            if (c == '#') {
                for (c = Peek(); c >= 0 && c != '\n' && c != '\r'; c = Peek()) {
                    Advance();
                }
            }
        }
        return -1;
    }

    // The next decimal number; throws EPnmCorruptFile at the end of the data and for a
    // number of more than 32 bits.
    std::uint32_t Number() {
        if (SkipToDigit() < 0) {
            throw EPnmCorruptFile();
        }
        std::uint64_t value = 0;
        for (int c = Peek(); IsDigit(c); c = Peek()) {
            value = std::min(value * 10 + static_cast<std::uint64_t>(c - '0'), kNumberCap);
            Advance();
        }
        if (value >= kNumberCap) {
            throw EPnmCorruptFile();
        }
        return static_cast<std::uint32_t>(value);
    }

    // The data left behind the bytes consumed (unbounded for a stream of unknown size).
    std::uint64_t BytesLeft() const {
        return stream_.Size() - std::min(stream_.Size(), stream_.Position());
    }

private:
    CDataStream& stream_;
};

// Step 1: "P1" to "P6".
PnmHeader ReadMagic(CDataStream& stream) {
    std::uint8_t magic[2];
    if (stream.Read(magic, 2) != 2) {
        throw EPnmFileReadError();
    }
    if (magic[0] != 'P' || magic[1] < '1' || magic[1] > '6') {
        throw EPnmNotAPnmFile();
    }
    const int kind = magic[1] - '1';
    PnmHeader header;
    header.form = static_cast<PnmForm>(kind % 3);
    header.raw = kind >= 3;
    return header;
}

// Step 2: width, height and, except for bitmaps, the maximum sample value.
void ReadHeaderNumbers(CPnmText& text, PnmHeader& header) {
    header.width = text.Number();
    header.height = text.Number();
    if (header.form != PnmForm::Bitmap) {
        header.maxValue = text.Number();
    }
    if (header.width == 0 || header.height == 0 || header.maxValue == 0 ||
        header.maxValue > kMaxSampleValue) {
        throw EPnmCorruptFile();
    }
    if (header.raw) {
        // Exactly one white-space byte separates the header from the raster.
        if (!IsWhiteSpace(text.Peek())) {
            throw EPnmCorruptFile();
        }
        text.Advance();
    }
}

// Step 3: refuse data too short for the raster before the picture is allocated.
void CheckRasterFits(const CPnmText& text, const PnmHeader& header) {
    if (header.width > kMaxImageSide || header.height > kMaxImageSide) {
        throw EGraphicsPicSize();
    }
    const std::uint64_t samples = std::uint64_t{header.width} * header.height * header.Channels();
    std::uint64_t needed = 0;
    if (header.raw) {
        needed = header.RawRowBytes() * header.height;
    } else {
        // A bitmap's samples are single digits; other samples need a separator between them.
        needed = header.form == PnmForm::Bitmap ? samples : 2 * samples - 1;
    }
    if (text.BytesLeft() < needed) {
        throw EPnmCorruptFile();
    }
}

void SetPalette(const PnmHeader& header, CDibImage& image) {
    if (header.form == PnmForm::Bitmap) {
        image.SetPaletteRgb(0, 255, 255, 255);
        image.SetPaletteRgb(1, 0, 0, 0);
    } else if (header.form == PnmForm::GreyMap) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            const auto grey = static_cast<std::uint8_t>(i);
            image.SetPaletteRgb(i, grey, grey, grey);
        }
    }
}

std::uint32_t TextSample(CPnmText& text, const PnmHeader& header) {
    if (header.form != PnmForm::Bitmap) {
        return ScaleSample(text.Number(), header.maxValue);
    }
    // Bitmap pixels are single digits, with or without white space between them.
    const int c = text.SkipToDigit();
    if (c != '0' && c != '1') {
        throw EPnmCorruptFile();
    }
    text.Advance();
    return static_cast<std::uint32_t>(c - '0');
}

// One raw row into image row `row`.
void ConvertRawRow(const PnmHeader& header, const std::uint8_t* in, std::uint8_t* row) {
    if (header.form == PnmForm::Bitmap) {
        std::copy_n(in, header.RawRowBytes(), row);
        return;
    }
    const std::uint32_t samples = header.width * header.Channels();
    const bool wide = header.BytesPerSample() == 2;
    for (std::uint32_t i = 0; i < samples; ++i) {
        const std::uint32_t sample = wide ? (in[2 * i] << 8) | in[2 * i + 1] : in[i];
        // Pixel maps come red, green, blue; the image holds blue, green, red.
        const std::uint32_t at = header.form == PnmForm::PixelMap ? i - i % 3 + 2 - i % 3 : i;
        row[at] = ScaleSample(sample, header.maxValue);
    }
}

}  // namespace

void CPnmReader::Read(CDataStream& stream, CDibImage& image) {
    PnmHeader header = ReadMagic(stream);
    CPnmText text(stream);
    ReadHeaderNumbers(text, header);
    CheckRasterFits(text, header);
    ReportProgress(0);
    CreateImage(image, header.Depth(), header.width, header.height, 0);
    SetPalette(header, image);
    if (header.raw) {
        std::vector<std::uint8_t> in(header.RawRowBytes());
        for (std::uint32_t y = 0; y < header.height; ++y) {
            ReportProgress(static_cast<int>(y * 100ull / header.height));
            if (stream.Read(in.data(), in.size()) != in.size()) {
                throw EPnmCorruptFile();
            }
            ConvertRawRow(header, in.data(), image.Row(y));
        }
    } else {
        for (std::uint32_t y = 0; y < header.height; ++y) {
            ReportProgress(static_cast<int>(y * 100ull / header.height));
            std::uint8_t* row = image.Row(y);
            for (std::uint32_t x = 0; x < header.width; ++x) {
                std::uint32_t value = TextSample(text, header);
                if (header.form == PnmForm::PixelMap) {
                    value = (value << 16) | (TextSample(text, header) << 8);
                    value |= TextSample(text, header);
                }
                image.putPixel(row, x, value);
            }
        }
    }
    ReportProgress(100);
}

void CPnmReader::ThrowOpenError() const {
    throw EPnmFileOpenError();
}

}  // namespace kelvandor
