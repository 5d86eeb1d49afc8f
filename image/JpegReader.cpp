#include "image/JpegReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <span>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "image/ImageErrors.h"
#include "image/Orientation.h"

namespace kelvandor {

namespace {

constexpr std::size_t kInputBufferSize = 32768;
constexpr unsigned kCommentLimit = 4096;
constexpr unsigned kExifLimit = 0xFFFF;  // an APP1 marker holds at most this much
constexpr JDIMENSION kRowsPerCall = 16;
constexpr long kDecoderMemoryBudget = 1L << 30;

// Everything libjpeg's callbacks touch. Plain data only: the decoder leaves its frames (and
// ours below the guard) by longjmp, which must not skip a destructor.
struct JpegState {
    jpeg_decompress_struct decoder;
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    std::jmp_buf jump;
    int messageNumber;
    CDataStream* stream;
    std::uint8_t* buffer;
    bool endReached;   // the data ended; an end marker was supplied in its place
    bool dataMissing;  // the decoder needed bits that were not there
    bool created;
};

void OnErrorExit(j_common_ptr decoder) {
    auto* owner = static_cast<JpegState*>(decoder->client_data);
    owner->messageNumber = decoder->err->msg_code;
    std::longjmp(owner->jump, 1);
}

void OnOutputMessage(j_common_ptr) {}

// Warnings are not printed; the one that says entropy data ran out is remembered.
void OnEmitMessage(j_common_ptr decoder, int level) {
    if (level < 0) {
        auto* state = static_cast<JpegState*>(decoder->client_data);
        if (decoder->err->msg_code == JWRN_HIT_MARKER) {
            state->dataMissing = true;
        }
        decoder->err->num_warnings++;
    }
}

void OnInitSource(j_decompress_ptr) {}

boolean OnFillInput(j_decompress_ptr decoder) {
    auto* state = static_cast<JpegState*>(decoder->client_data);
    // Asking for no more than is left keeps the stream's mark of a source that ended too
    // early for files that end where they should.
    CDataStream& stream = *state->stream;
    const std::uint64_t left = stream.Size() - std::min(stream.Size(), stream.Position());
    const std::size_t want =
        left == 0 ? 1 : static_cast<std::size_t>(std::min<std::uint64_t>(left, kInputBufferSize));
    const std::size_t got = stream.Read(state->buffer, want);
    if (got == 0) {
        // Supply an end marker, as the decoder's own sources do: when only the marker was
        // missing the picture is whole; when pixel data were missing, the decoder says so
        // and the read fails afterwards.
        state->endReached = true;
        static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
        state->source.next_input_byte = kEndOfImage;
        state->source.bytes_in_buffer = 2;
        return TRUE;
    }
    state->source.next_input_byte = state->buffer;
    state->source.bytes_in_buffer = got;
    return TRUE;
}

void OnSkipInput(j_decompress_ptr decoder, long count) {
    auto* state = static_cast<JpegState*>(decoder->client_data);
    if (count <= 0) {
        return;
    }
    auto remaining = static_cast<std::size_t>(count);
    if (remaining <= state->source.bytes_in_buffer) {
        state->source.next_input_byte += remaining;
        state->source.bytes_in_buffer -= remaining;
        return;
    }
    remaining -= state->source.bytes_in_buffer;
    state->source.bytes_in_buffer = 0;
    if (!state->stream->Skip(remaining)) {
        state->endReached = true;
    }
}

void OnTermSource(j_decompress_ptr) {}

// The one place that catches the decoder's longjmp. Returns false when the decoder reported
// an error; the caller then throws from ordinary C++ frames.
template <class Step>
bool RunGuarded(JpegState& state, Step step) {
    if (setjmp(state.jump)) {
        return false;
    }
    step(state);
    return true;
}

void CreateStep(JpegState& s) {
    jpeg_create_decompress(&s.decoder);
    s.created = true;
    s.decoder.client_data = &s;
    s.decoder.src = &s.source;
    // A small progressive file can claim a picture whose coefficients need gigabytes; beyond
    // this budget the decoder fails instead of exhausting the machine.
    s.decoder.mem->max_memory_to_use = kDecoderMemoryBudget;
    jpeg_save_markers(&s.decoder, JPEG_COM, kCommentLimit);
    jpeg_save_markers(&s.decoder, JPEG_APP0 + 1, kExifLimit);
}

// Grey and colour pictures are decoded straight into blue-green-red order; CMYK and YCCK
// pictures (from print workflows) as CMYK, which ConvertCmykRow turns into colours.
void ReadHeaderStep(JpegState& s) {
    jpeg_read_header(&s.decoder, TRUE);
    if (s.decoder.num_components == 1 || s.decoder.num_components == 3) {
        s.decoder.out_color_space = JCS_EXT_BGR;
    } else if (s.decoder.jpeg_color_space == JCS_CMYK || s.decoder.jpeg_color_space == JCS_YCCK) {
        s.decoder.out_color_space = JCS_CMYK;
    }
}

void StartStep(JpegState& s) {
    jpeg_start_decompress(&s.decoder);
}

struct RowsStep {
    JSAMPROW* rows;
    JDIMENSION count;
    JDIMENSION* got;
    void operator()(JpegState& s) const { *got = jpeg_read_scanlines(&s.decoder, rows, count); }
};

void FinishStep(JpegState& s) {
    jpeg_finish_decompress(&s.decoder);
}

std::string CommentOf(const JpegState& s) {
    std::string comment;
    for (jpeg_saved_marker_ptr marker = s.decoder.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_COM && marker->data != nullptr) {
            comment.append(reinterpret_cast<const char*>(marker->data), marker->data_length);
        }
    }
    return comment;
}

// The orientation of the first Exif block; 1 when there is none.
int OrientationOf(const JpegState& s) {
    for (jpeg_saved_marker_ptr marker = s.decoder.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data != nullptr) {
            const std::span<const std::uint8_t> block(marker->data, marker->data_length);
            if (block.size() >= 6 && std::equal(block.begin(), block.begin() + 6, "Exif\0")) {
                return ExifOrientation(block);
            }
        }
    }
    return 1;
}

// CMYK samples to blue, green, red. Adobe's programs store the inks inverted (0 is full
// ink) and mark such files with their APP14 marker; without it the samples are plain ink
// amounts.
void ConvertCmykRow(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width,
                    bool inverted) {
    for (std::uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const std::uint32_t k = inverted ? cmyk[3] : 255u - cmyk[3];
        for (int channel = 0; channel < 3; ++channel) {
            const std::uint32_t ink = inverted ? cmyk[channel] : 255u - cmyk[channel];
            bgr[2 - channel] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
    }
}

// The decoder reduces a picture while it decodes, by n/8 for n = 1..8, at a fraction of the
// cost of decoding it whole. Takes the smallest n at which the upright picture still covers
// what it shows when fitted into boxWidth x boxHeight (0 x 0: full size).
// The decoder's own scale (1/1) stays for whole pictures.
void ChooseScale(jpeg_decompress_struct& decoder, int orientation, std::uint32_t boxWidth,
                 std::uint32_t boxHeight) {
    if (boxWidth == 0 || boxHeight == 0 || decoder.image_width == 0 || decoder.image_height == 0) {
        return;
    }
    const bool turned = orientation >= 5 && orientation <= 8;
    const std::uint64_t w = turned ? decoder.image_height : decoder.image_width;
    const std::uint64_t h = turned ? decoder.image_width : decoder.image_height;
    // Fitted, the picture is reduced by f = min(boxWidth / w, boxHeight / h), and n / 8 >= f
    // holds when it holds for either of the two.
    for (unsigned n = 1; n < 8; ++n) {
        if (8 * std::uint64_t{boxWidth} <= n * w || 8 * std::uint64_t{boxHeight} <= n * h) {
            decoder.scale_num = n;
            decoder.scale_denom = 8;
            return;
        }
    }
}

// Owns the decoder for the life of one read.
class CJpegHandles {
public:
    explicit CJpegHandles(JpegState& state) : state_(state) {}
    ~CJpegHandles() { Release(); }
    void Release() {
        if (state_.created) {
            jpeg_destroy_decompress(&state_.decoder);
            state_.created = false;
        }
    }

private:
    JpegState& state_;
};

}  // namespace

void CJpegReader::Read(CDataStream& stream, CDibImage& image) {
    std::vector<std::uint8_t> buffer(kInputBufferSize);
    JpegState state{};
    state.stream = &stream;
    state.buffer = buffer.data();
    state.decoder.err = jpeg_std_error(&state.errors);
    state.errors.error_exit = OnErrorExit;
    state.errors.output_message = OnOutputMessage;
    state.errors.emit_message = OnEmitMessage;
    state.source.init_source = OnInitSource;
    state.source.fill_input_buffer = OnFillInput;
    state.source.skip_input_data = OnSkipInput;
    state.source.resync_to_restart = jpeg_resync_to_restart;
    state.source.term_source = OnTermSource;
    // client_data must be set before the decoder can fail; jpeg_create_decompress clears
    // most fields but keeps err and client_data.
    state.decoder.client_data = &state;
    CJpegHandles handles(state);

    const auto fail = [&state]() { throw EJpegError(state.messageNumber); };
    if (!RunGuarded(state, CreateStep) || !RunGuarded(state, ReadHeaderStep)) {
        fail();
    }
    comment_ = CommentOf(state);
    // Refused before the decoder allocates for it, by the size stored, whatever scale it is
    // then decoded at.
    CheckPictureSize(state.decoder.image_width, state.decoder.image_height);
    const int orientation = OrientationOf(state);
    ChooseScale(state.decoder, orientation, reduceToWidth_, reduceToHeight_);
    if (state.decoder.scale_num < state.decoder.scale_denom) {
        const bool turned = orientation >= 5 && orientation <= 8;
        storedWidth_ = turned ? state.decoder.image_height : state.decoder.image_width;
        storedHeight_ = turned ? state.decoder.image_width : state.decoder.image_height;
    }
    if (!RunGuarded(state, StartStep)) {
        fail();
    }
    const int components = state.decoder.out_color_components;
    const bool bgr = state.decoder.out_color_space == JCS_EXT_BGR && components == 3;
    const bool cmyk = state.decoder.out_color_space == JCS_CMYK && components == 4;
    if (bgr || cmyk) {
        const JDIMENSION width = state.decoder.output_width;
        CreateImage(image, 24, width, state.decoder.output_height, NoFill);
        // CMYK rows land in a buffer of their own and are converted from there.
        std::vector<std::uint8_t> cmykRows(cmyk ? std::size_t{width} * 4 * kRowsPerCall : 0);
        const bool inverted = state.decoder.saw_Adobe_marker != 0;
        JSAMPROW rows[kRowsPerCall];
        while (state.decoder.output_scanline < state.decoder.output_height) {
            const JDIMENSION first = state.decoder.output_scanline;
            if (CancelRequested(static_cast<int>(first * 100ull / state.decoder.output_height))) {
                handles.Release();
                throw EJpegAbort();
            }
            const JDIMENSION count =
                std::min<JDIMENSION>(kRowsPerCall, state.decoder.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i) {
                rows[i] = cmyk ? &cmykRows[std::size_t{width} * 4 * i] : image.Row(first + i);
            }
            JDIMENSION got = 0;
            if (!RunGuarded(state, RowsStep{rows, count, &got})) {
                fail();
            }
            for (JDIMENSION i = 0; cmyk && i < got; ++i) {
                ConvertCmykRow(rows[i], image.Row(first + i), width, inverted);
            }
        }
    }
    if (!RunGuarded(state, FinishStep)) {
        fail();
    }
    // A file cut short decodes with grey rows at its end; that is a damaged file, not a
    // picture.
    if (state.endReached && state.dataMissing) {
        state.messageNumber = JERR_INPUT_EOF;
        fail();
    }
    handles.Release();
    ApplyOrientation(image, orientation);
    ReportProgress(100);
}

void CJpegReader::ThrowOpenError() const {
    throw EJpegOpenError();
}

}  // namespace kelvandor
