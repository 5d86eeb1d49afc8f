#include "image/PngReader.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string>

#include "image/ImageErrors.h"

namespace kelvandor {

namespace {

constexpr std::size_t kMaxLibraryMessage = 200;
constexpr png_alloc_size_t kMaxChunkBytes = 8'000'000;
constexpr png_uint_32 kMaxCachedChunks = 1000;

// Everything the libpng callbacks touch. Plain data only: libpng leaves its frames (and ours
// below the guard) by longjmp, which must not skip a destructor.
struct PngState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    CDataStream* stream = nullptr;
    char message[kMaxLibraryMessage + 1] = {};
    // Picture properties, filled by ReadInfoStep.
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlaceType = 0;
    int passes = 1;
    // Set by SetTransformsStep: the rows as they are handed out.
    int outColourType = 0;
    int outBitDepth = 0;
};

void OnError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::strncpy(state->message, message != nullptr ? message : "", kMaxLibraryMessage);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (state->stream->Read(data, length) != length) {
        png_error(png, "Read Error");
    }
}

// The one place that catches libpng's longjmp. Returns false when libpng reported an error;
// the caller then throws from ordinary C++ frames.
template <class Step>
bool RunGuarded(PngState& state, Step step) {
    if (setjmp(png_jmpbuf(state.png))) {
        return false;
    }
    step(state);
    return true;
}

void ReadInfoStep(PngState& s) {
    png_read_info(s.png, s.info);
    png_get_IHDR(s.png, s.info, &s.width, &s.height, &s.bitDepth, &s.colourType, &s.interlaceType,
                 nullptr, nullptr);
}

// The transformations: 16-bit samples rounded to 8 bits (as editors and scanners save them);
// a tRNS colour key of a grey or colour picture turned into an alpha channel; grey widened to
// three channels where it gains alpha (so that it fills a 32-bit image); blue-green-red order
// for colour rows; interlace handling.
void SetTransformsStep(PngState& s) {
    const bool colourKey =
        s.colourType != PNG_COLOR_TYPE_PALETTE && png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    if (s.bitDepth == 16) {
        png_set_scale_16(s.png);
    }
    if (colourKey) {
        png_set_tRNS_to_alpha(s.png);
    }
    if (s.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ||
        (s.colourType == PNG_COLOR_TYPE_GRAY && colourKey)) {
        png_set_gray_to_rgb(s.png);
    }
    png_set_bgr(s.png);  // no effect on grey and palette rows
    s.passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    s.outColourType = png_get_color_type(s.png, s.info);
    s.outBitDepth = png_get_bit_depth(s.png, s.info);
}

struct RowStep {
    png_bytep row;
    void operator()(PngState& s) const { png_read_row(s.png, row, nullptr); }
};

// The image depth for the rows as transformed, or 0 when they fit no image depth.
std::uint32_t DepthFor(const PngState& s) {
    switch (s.outColourType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_PALETTE:
            return s.outBitDepth <= 8 ? static_cast<std::uint32_t>(s.outBitDepth) : 0;
        case PNG_COLOR_TYPE_RGB:
            return s.outBitDepth == 8 ? 24 : 0;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return s.outBitDepth == 8 ? 32 : 0;
        default:
            throw EGraphicsException(image_messages::kFormatNotSupported);
    }
}

std::string CommentOf(const PngState& s) {
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(s.png, s.info, &texts, &count);
    if (count <= 0 || texts == nullptr) {
        return {};
    }
    int chosen = 0;
    for (int i = count - 1; i >= 0; --i) {
        if (texts[i].key != nullptr && std::strcmp(texts[i].key, "Comment") == 0) {
            chosen = i;
            break;
        }
    }
    const png_text& text = texts[chosen];
    const std::size_t length =
        text.compression >= PNG_ITXT_COMPRESSION_NONE ? text.itxt_length : text.text_length;
    return text.text != nullptr ? std::string(text.text, length) : std::string();
}

void CopyPalette(const PngState& s, CDibImage& image) {
    if (s.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(s.png, s.info, &entries, &count) != 0) {
            for (int i = 0; i < count && i < 256; ++i) {
                image.SetPaletteRgb(static_cast<std::uint32_t>(i), entries[i].red, entries[i].green,
                                    entries[i].blue);
            }
        }
    } else if (image.paletteSize != 0) {
        // Grey pictures: index i is the grey level i scaled to the full range.
        const std::uint32_t levels = image.paletteSize;
        for (std::uint32_t i = 0; i < levels; ++i) {
            const auto grey = static_cast<std::uint8_t>(i * 255 / (levels - 1));
            image.SetPaletteRgb(i, grey, grey, grey);
        }
    }
}

// Which palette indices the picture uses.
void MarkUsedIndices(const CDibImage& image, bool used[256]) {
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.Row(y);
        if (image.bitsPerPixel == 8) {
            for (std::uint32_t x = 0; x < image.width; ++x) {
                used[row[x]] = true;
            }
        } else {
            for (std::uint32_t x = 0; x < image.width; ++x) {
                used[image.getPixel(row, x)] = true;
            }
        }
    }
}

// tRNS on a palette picture: ignored when every used entry stays opaque; otherwise the
// palette gets its alpha and, unless all used entries equal entry 0, the picture becomes a
// 32-bit image with the alpha of each pixel's entry.
void ApplyPaletteTransparency(const PngState& s, CDibImage& image) {
    png_bytep alphas = nullptr;
    int count = 0;
    if (png_get_tRNS(s.png, s.info, &alphas, &count, nullptr) == 0 || alphas == nullptr ||
        count <= 0) {
        return;
    }
    bool used[256] = {};
    MarkUsedIndices(image, used);
    bool anyTransparent = false;
    for (int i = 0; i < count && i < 256; ++i) {
        anyTransparent = anyTransparent || (used[i] && alphas[i] != 255);
    }
    if (!anyTransparent) {
        return;
    }
    for (std::uint32_t i = 0; i < image.paletteSize; ++i) {
        const std::uint32_t alpha = i < static_cast<std::uint32_t>(count) ? alphas[i] : 255;
        image.palette[i] = (image.palette[i] & 0x00FFFFFF) | (alpha << 24);
    }
    bool allLikeFirst = true;
    for (std::uint32_t i = 0; i < image.paletteSize; ++i) {
        allLikeFirst = allLikeFirst && (!used[i] || image.palette[i] == image.palette[0]);
    }
    if (allLikeFirst) {
        return;
    }
    CImageReader::ExpandPaletteToArgb(image);
}

// Owns the libpng structures for the life of one read.
class CPngHandles {
public:
    explicit CPngHandles(PngState& state) : state_(state) {}
    ~CPngHandles() {
        if (state_.png != nullptr) {
            png_destroy_read_struct(&state_.png, state_.info != nullptr ? &state_.info : nullptr,
                                    nullptr);
        }
    }

private:
    PngState& state_;
};

// libpng allocates (and clears) a chunk's whole claimed length before it reads the chunk,
// and its chunk allocation limit does not cover every ancillary chunk: a file of a hundred
// bytes that claims a text chunk of 2 GiB cost 2 GB and seconds. So the chunk lengths are
// walked first: an ancillary chunk above kMaxChunkBytes is refused, and so is any chunk but
// the image data that claims more than the source holds (it could only fail later). The
// image data are read piece by piece and may be cut short as before.
void CheckChunkLengths(CDataStream& stream) {
    const std::uint64_t start = stream.Position();
    const std::uint64_t size = stream.Size();
    std::uint64_t at = start + 8;  // after the signature
    while (at + 8 <= size) {
        std::uint8_t head[8];
        if (!stream.Seek(at) || stream.Read(head, 8) != 8) {
            break;
        }
        const std::uint64_t length = std::uint64_t{head[0]} << 24 | std::uint64_t{head[1]} << 16 |
                                     std::uint64_t{head[2]} << 8 | head[3];
        const bool imageData = std::memcmp(head + 4, "IDAT", 4) == 0;
        const bool ancillary = (head[4] & 0x20) != 0;
        if (ancillary && length > kMaxChunkBytes) {
            throw EGraphicsException("chunk data is too large");
        }
        if (!imageData && length > size - (at + 8)) {
            throw EGraphicsException("Read Error");
        }
        if (std::memcmp(head + 4, "IEND", 4) == 0) {
            break;
        }
        at += 12 + length;
    }
    stream.Seek(start);
}

}  // namespace

void CPngReader::Read(CDataStream& stream, CDibImage& image) {
    PngState state;
    state.stream = &stream;
    CPngHandles handles(state);
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (state.png == nullptr) {
        throw EGraphicsException(image_messages::kInternalError);
    }
    state.info = png_create_info_struct(state.png);
    if (state.info == nullptr) {
        throw EGraphicsMemory();
    }
    CheckChunkLengths(stream);
    png_set_read_fn(state.png, &state, OnRead);
    // A chunk's length is allocated before its bytes are read: without limits a file of a few
    // hundred bytes that claims a text or profile chunk of 2 GiB costs 2 GB and seconds.
    // Ancillary chunks (and what their compressed text expands to) get 8 MB each and at most
    // 1000 of them are kept. The picture's size is checked against the budget after the header.
    png_set_chunk_malloc_max(state.png, kMaxChunkBytes);
    png_set_chunk_cache_max(state.png, kMaxCachedChunks);

    if (!RunGuarded(state, ReadInfoStep)) {
        throw EGraphicsException(state.message);
    }
    comment_ = CommentOf(state);
    CheckPictureSize(state.width, state.height);
    if (!RunGuarded(state, SetTransformsStep)) {
        throw EGraphicsException(state.message);
    }
    const std::uint32_t depth = DepthFor(state);
    if (depth == 0) {
        throw EGraphicsWrongColor();
    }
    CreateImage(image, depth, state.width, state.height, NoFill);
    CopyPalette(state, image);
    if (png_get_rowbytes(state.png, state.info) > image.stride) {
        throw EGraphicsException(image_messages::kFormatNotSupported);
    }
    const int total = state.passes * static_cast<int>(std::max<png_uint_32>(state.height, 1));
    int done = 0;
    for (int pass = 0; pass < state.passes; ++pass) {
        for (std::uint32_t y = 0; y < image.height; ++y, ++done) {
            ReportProgress(static_cast<int>(static_cast<long long>(done) * 100 / total));
            if (!RunGuarded(state, RowStep{image.Row(y)})) {
                throw EGraphicsException(state.message);
            }
        }
    }
    if (state.colourType == PNG_COLOR_TYPE_PALETTE) {
        ApplyPaletteTransparency(state, image);
    }
    ReportProgress(100);
}

}  // namespace kelvandor
