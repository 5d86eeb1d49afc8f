#include "cli/PictureAdvice.h"

namespace kelvandor::cli {

namespace {

struct FormatNames {
    const char* shortName;  // "PNG"
    const char* kind;       // "PNG picture"
};

FormatNames NamesOf(ImageFormat format) {
    switch (format) {
        case ImageFormat::Bmp:
            return {"BMP", "BMP picture"};
        case ImageFormat::Ico:
            return {"Icon", "icon"};
        case ImageFormat::Tiff:
            return {"TIFF", "TIFF picture"};
        case ImageFormat::Gif:
            return {"GIF", "GIF picture"};
        case ImageFormat::Png:
            return {"PNG", "PNG picture"};
        case ImageFormat::Tls:
            return {"TLS", "TLS picture sequence"};
        case ImageFormat::Jpeg:
            return {"JPEG", "JPEG photo"};
        case ImageFormat::Xpm:
            return {"XPM", "XPM picture"};
        case ImageFormat::Eps:
            return {"EPS", "EPS drawing"};
        case ImageFormat::Pnm:
            return {"PNM", "PNM picture"};
        case ImageFormat::Xwd:
            return {"XWD", "X window dump"};
        case ImageFormat::Webp:
            return {"WebP", "WebP picture"};
        case ImageFormat::None:
            break;
    }
    return {"File", "file"};
}

std::string ForeignAdvice(ForeignFormat foreign) {
    switch (foreign) {
        case ForeignFormat::Heif:
            return "HEIC photo: not supported, save it as JPEG";
        case ForeignFormat::Avif:
            return "AVIF picture: not supported, save it as JPEG or PNG";
        case ForeignFormat::Svg:
            return "SVG drawing: export it as PNG";
        case ForeignFormat::Jpeg2000:
            return "JPEG 2000 picture: not supported, save it as JPEG or PNG";
        case ForeignFormat::Pdf:
            return "PDF document: export the page as PNG";
        case ForeignFormat::None:
            break;
    }
    return "not a picture format the game knows: save it as PNG or JPEG";
}

}  // namespace

std::string PictureAdvice(const PictureLoadRecord& record) {
    const FormatNames names = NamesOf(record.format);
    const std::string kind = names.kind;
    switch (record.code) {
        case kLoadCannotOpen:
            return "the file cannot be opened: check that it may be read (its permissions)";
        case kLoadUnknownFormat:
            return ForeignAdvice(record.foreign);
        default:
            break;
    }
    if (record.cutShort) {
        return std::string(names.shortName) + " cut short: the file is damaged, copy it again";
    }
    switch (record.code) {
        case kLoadPictureTooLarge:
            if (record.overPuzzleBudget) {
                return kind + " too large for what the pictures before it left: a puzzle's " +
                       "pictures may have " + std::to_string(kPuzzlePixelBudget / 1'000'000) +
                       " megapixels together, make them smaller";
            }
            return kind + " too large for the game: make it smaller (a few thousand pixels a " +
                   "side are plenty)";
        case kLoadWrongColour:
            return kind + " in a colour format the game cannot show: save it again as PNG or JPEG";
        case kLoadOutOfMemory:
            return kind + " that needs more memory than there is: make it smaller";
        default:
            break;
    }
    const std::string because = record.message.empty() ? "" : " (\"" + record.message + "\")";
    if (record.format == ImageFormat::Eps) {
        return kind + " the game cannot show" + because +
               ": export it as PNG, or save it with a TIFF preview";
    }
    return kind + " the game cannot read" + because + ": save it again as PNG or JPEG";
}

}  // namespace kelvandor::cli
