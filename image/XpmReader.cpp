#include "image/XpmReader.h"

#include <algorithm>
#include <vector>

#include "base/NumberText.h"
#include "image/ColourNames.h"
#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::size_t kMostColours = 1024;
constexpr std::size_t kMostCharsPerPixel = 8;  // a code fits 64 bits
constexpr std::size_t kLongestLine = 4096;     // header and colour lines

struct XpmHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t colours = 0;
    std::uint32_t charsPerPixel = 0;
};

// The colours by their pixel codes.
class CColourList {
public:
    void Add(const XpmColour& colour) {
        entries_.push_back({Key(colour.code), static_cast<std::uint32_t>(values_.size())});
        values_.push_back(colour.value);
    }

    // Sorts for lookup; of codes defined twice the first definition counts.
    void Seal() {
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return a.key < b.key; });
    }

    // The index of the colour of a code; throws "Fehler in der Datei" for an unknown code.
    std::uint32_t IndexOf(std::string_view code) const {
        const std::uint64_t key = Key(code);
        const auto found =
            std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const Entry& entry, std::uint64_t k) { return entry.key < k; });
        if (found == entries_.end() || found->key != key) {
            throw EXpmError(xpm_messages::kFileError);
        }
        return found->index;
    }

    std::size_t Size() const { return values_.size(); }
    std::uint32_t Value(std::size_t index) const { return values_[index]; }

private:
    struct Entry {
        std::uint64_t key;
        std::uint32_t index;
    };

    static std::uint64_t Key(std::string_view code) {
        std::uint64_t key = 0;
        for (const char c : code) {
            key = (key << 8) | static_cast<std::uint8_t>(c);
        }
        return key;
    }

    std::vector<Entry> entries_;
    std::vector<std::uint32_t> values_;
};

// The next quoted string of the source, quotes included, with C comments skipped. A string
// longer than maxLength characters is cut there (the rest is read past). False when the data
// end first.
bool NextString(CDataStream& stream, std::string& out, std::size_t maxLength) {
    out.clear();
    for (int c = stream.GetByte(); c >= 0; c = stream.GetByte()) {
        if (c == '/' && stream.PeekByte() == '*') {
            stream.GetByte();
            int previous = 0;
            for (c = stream.GetByte(); c >= 0 && !(previous == '*' && c == '/');
                 c = stream.GetByte()) {
                previous = c;
            }
            continue;
        }
        if (c != '"') {
            continue;
        }
        out.push_back('"');
        for (c = stream.GetByte(); c >= 0 && c != '"'; c = stream.GetByte()) {
            if (out.size() <= maxLength) {
                out.push_back(static_cast<char>(c));
            }
        }
        if (c < 0) {
            return false;
        }
        out.push_back('"');
        return true;
    }
    return false;
}

// The characters between a string's quotes.
std::string_view Inside(const std::string& quoted) {
    return std::string_view(quoted).substr(1, quoted.size() - 2);
}

// Step 1: the header string, "width height colours charsPerPixel" and perhaps more.
XpmHeader ReadHeader(CDataStream& stream) {
    std::string line;
    if (!NextString(stream, line, kLongestLine)) {
        throw EXpmError(xpm_messages::kUnknownFormat);
    }
    std::uint32_t numbers[4] = {};
    std::string_view text = Inside(line);
    for (std::uint32_t& number : numbers) {
        const std::size_t start = text.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            throw EXpmError(xpm_messages::kUnknownFormat);
        }
        text.remove_prefix(start);
        const DigitRun run = ReadDigitRun(text, 10, 0xFFFFFFFF);
        if (run.length == 0) {
            throw EXpmError(xpm_messages::kUnknownFormat);
        }
        number = static_cast<std::uint32_t>(run.value);
        text.remove_prefix(run.length);
    }
    XpmHeader header{numbers[0], numbers[1], numbers[2], numbers[3]};
    if (header.width == 0 || header.height == 0 || header.charsPerPixel == 0 ||
        header.charsPerPixel > kMostCharsPerPixel) {
        throw EXpmError(xpm_messages::kUnknownFormat);
    }
    if (header.colours == 0) {
        throw EXpmError(xpm_messages::kTooFewColours);
    }
    if (header.colours > kMostColours) {
        throw EXpmError(xpm_messages::kTooManyColours);
    }
    return header;
}

// Step 2: the colour lines.
CColourList ReadColours(CDataStream& stream, const XpmHeader& header) {
    CColourList colours;
    std::string line;
    for (std::uint32_t i = 0; i < header.colours; ++i) {
        if (!NextString(stream, line, kLongestLine)) {
            throw EXpmError(xpm_messages::kTooFewColours);
        }
        XpmColour colour;
        ParseXpmColour(line, header.charsPerPixel, colour);
        colours.Add(colour);
    }
    colours.Seal();
    return colours;
}

// Step 3: data too short for the rows are refused before the picture is allocated.
void CheckRowsFit(const CDataStream& stream, const XpmHeader& header) {
    if (header.width > kMaxImageSide || header.height > kMaxImageSide) {
        throw EGraphicsPicSize();
    }
    const std::uint64_t row = std::uint64_t{header.width} * header.charsPerPixel + 2;
    if (stream.Size() - std::min(stream.Size(), stream.Position()) < row * header.height) {
        throw EXpmError(xpm_messages::kReadError);
    }
}

// Up to 256 colours are the palette, in the order of their lines; None stays black there.
void SetPalette(const CColourList& colours, CDibImage& image) {
    for (std::size_t i = 0; i < colours.Size(); ++i) {
        const std::uint32_t value = colours.Value(i);
        image.palette[i] = value == kXpmTransparent ? 0 : value;
    }
}

}  // namespace

void CXpmReader::Read(CDataStream& stream, CDibImage& image) {
    ReportProgress(0);
    const XpmHeader header = ReadHeader(stream);
    const CColourList colours = ReadColours(stream, header);
    CheckRowsFit(stream, header);
    const bool palette = colours.Size() <= 256;
    CreateImage(image, palette ? 8 : 32, header.width, header.height, 0);
    if (palette) {
        SetPalette(colours, image);
    }
    const std::size_t cpp = header.charsPerPixel;
    bool transparentUsed = false;
    std::string line;
    for (std::uint32_t y = 0; y < header.height; ++y) {
        ReportProgress(static_cast<int>(y * 100ull / header.height));
        if (!NextString(stream, line, header.width * cpp)) {
            throw EXpmError(xpm_messages::kReadError);
        }
        const std::string_view codes = Inside(line);
        if (codes.size() < header.width * cpp) {
            throw EXpmError(xpm_messages::kFileError);
        }
        std::uint8_t* row = image.Row(y);
        for (std::uint32_t x = 0; x < header.width; ++x) {
            const std::uint32_t index = colours.IndexOf(codes.substr(x * cpp, cpp));
            const std::uint32_t value = colours.Value(index);
            transparentUsed = transparentUsed || value == kXpmTransparent;
            if (palette) {
                row[x] = static_cast<std::uint8_t>(index);
            } else {
                image.putPixel(row, x, value == kXpmTransparent ? 0 : 0xFF000000 | value);
            }
        }
    }
    if (palette && transparentUsed) {
        for (std::size_t i = 0; i < 256; ++i) {
            const bool none = i < colours.Size() && colours.Value(i) == kXpmTransparent;
            image.palette[i] = (image.palette[i] & 0x00FFFFFF) | (none ? 0 : 0xFF000000);
        }
        ExpandPaletteToArgb(image);
    }
    ReportProgress(100);
}

void CXpmReader::ThrowOpenError() const {
    throw EXpmError(xpm_messages::kOpenError);
}

}  // namespace kelvandor
