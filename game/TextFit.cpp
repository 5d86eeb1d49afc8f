#include "game/TextFit.h"

#include <algorithm>
#include <utility>

#include "image/DibImage.h"
#include "image/GlyphFonts.h"

namespace kelvandor {

namespace {

// Windows-1252's horizontal ellipsis.
constexpr char kEllipsis = '\x85';

// Measures texts in one font. DrawText measures without pixels, so an empty image serves.
class CMeasure {
public:
    explicit CMeasure(const std::uint8_t* font) { image_.SetFont(font); }
    std::int32_t operator()(std::string_view text) {
        buffer_.assign(text);
        return image_.DrawText(0, CDibImage::MeasureOnly, buffer_.c_str());
    }

private:
    CDibImage image_;
    std::string buffer_;
};

std::string_view TrimBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The longest start of `text` that fits `width`, ending in the ellipsis. A longer start is
// never narrower, so the length is found by halving: a text of tens of thousands of
// characters (a Game.txt line without a line end) is cut in a few dozen measurements.
std::string CutWithEllipsis(CMeasure& measure, std::string_view text, std::int32_t width) {
    const auto cut = [&](std::size_t length) {
        std::string out(TrimBlanks(text.substr(0, length)));
        out += kEllipsis;
        return out;
    };
    std::size_t fits = 0;  // the empty start is taken when nothing longer fits
    std::size_t tooLong = text.size() + 1;
    while (tooLong - fits > 1) {
        const std::size_t length = fits + (tooLong - fits) / 2;
        (measure(cut(length)) <= width ? fits : tooLong) = length;
    }
    return cut(fits);
}

// The line ends that a text may break at: after a blank (which then belongs to neither line)
// or after a hyphen, as positions where the first line ends.
std::vector<std::size_t> BreakPoints(const std::string& text) {
    std::vector<std::size_t> points;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == ' ' || (text[i - 1] == '-' && text[i] != ' ')) {
            points.push_back(i);
        }
    }
    return points;
}

}  // namespace

std::int32_t TextWidth(const std::uint8_t* font, std::string_view text) {
    if (font == nullptr) {
        return 0;
    }
    CMeasure measure(font);
    return measure(text);
}

namespace {

// `text` broken onto two lines at the blank (or after the hyphen) that makes the longer line
// shortest, both lines within `width`; false when no break does that.
bool BreakInTwo(CMeasure& measure, const std::string& text, std::int32_t width, FittedText& out) {
    std::int32_t best = -1;
    for (const std::size_t end : BreakPoints(text)) {
        const std::string_view first = TrimBlanks(std::string_view(text).substr(0, end));
        const std::string_view second = TrimBlanks(std::string_view(text).substr(end));
        if (first.empty() || second.empty()) {
            continue;
        }
        const std::int32_t w1 = measure(first);
        if (w1 > width) {
            break;  // later breaks only make the first line longer
        }
        const std::int32_t w2 = measure(second);
        if (w2 <= width && (best < 0 || std::max(w1, w2) < best)) {
            best = std::max(w1, w2);
            out.first.assign(first);
            out.second.assign(second);
        }
    }
    out.wrapped = best >= 0;
    return out.wrapped;
}

}  // namespace

FittedText WrapOnTwoLines(const std::uint8_t* font, const std::string& text, std::int32_t width) {
    CMeasure measure(font);
    FittedText out;
    if (text.empty() || measure(text) <= width) {
        out.first = text;
        return out;
    }
    if (BreakInTwo(measure, text, width, out)) {
        return out;
    }
    // Two lines cannot hold it: the first takes as many whole words as fit (as many
    // characters when not even the first word does), the second is cut where it runs over.
    out.wrapped = true;
    std::size_t end = 0;
    for (const std::size_t point : BreakPoints(text)) {
        const std::string_view first = TrimBlanks(std::string_view(text).substr(0, point));
        if (first.empty()) {
            continue;
        }
        if (measure(first) > width) {
            break;
        }
        end = point;
    }
    if (end == 0) {
        end = 1;
        while (end < text.size() && measure(std::string_view(text).substr(0, end + 1)) <= width) {
            ++end;
        }
    }
    out.first.assign(TrimBlanks(std::string_view(text).substr(0, end)));
    const std::string_view rest = TrimBlanks(std::string_view(text).substr(end));
    if (measure(rest) <= width) {
        out.second.assign(rest);
    } else {
        out.second = CutWithEllipsis(measure, rest, width);
        out.cut = true;
    }
    return out;
}

FittedTexts FitTexts(std::span<const std::string> texts, std::span<const FontChoice> fonts,
                     std::int32_t width, std::int32_t roomHeight) {
    FittedTexts out;
    for (const FontChoice& choice : fonts) {
        if (choice.font == nullptr || choice.minimumRoomHeight > roomHeight) {
            continue;
        }
        // A second line needs one cell more than the first.
        const std::int32_t cell = CellHeightOf(choice.font);
        const bool twoLines = cell > 0 && choice.minimumRoomHeight + cell <= roomHeight;
        CMeasure measure(choice.font);
        std::vector<FittedText> fitted(texts.size());
        bool allFit = true;
        for (std::size_t i = 0; i < texts.size() && allFit; ++i) {
            if (measure(texts[i]) <= width) {
                fitted[i].first = texts[i];
            } else {
                allFit = twoLines && BreakInTwo(measure, texts[i], width, fitted[i]);
            }
        }
        if (allFit) {
            out.font = choice.font;
            out.texts = std::move(fitted);
            return out;
        }
    }
    out.font = fonts.back().font;
    out.texts.reserve(texts.size());
    for (const std::string& text : texts) {
        out.texts.push_back(WrapOnTwoLines(out.font, text, width));
    }
    return out;
}

}  // namespace kelvandor
