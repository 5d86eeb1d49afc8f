#include "cli/PuzzleToolSupport.h"

#include <charconv>

#include "base/TextCodec.h"
#include "cli/CliSupport.h"
#include "image/ImageFile.h"
#include "puzzles/PuzzleFiles.h"

namespace kelvandor::cli {

PictureLoader CPictureRecorder::Bind() {
    return [this](const std::string& path, CDibImage& image, std::uint64_t maxPixels) {
        // The image library's reader, the one the game uses; its German message is turned
        // into UTF-8 for printing.
        const ImageLoadResult result = LoadImageFileDetailed(path, image, nullptr, maxPixels);
        PictureLoadRecord record;
        record.slot = &image;
        record.path = path;
        record.code = result.code;
        record.message = result.code == 0 ? std::string() : Windows1252ToUtf8(result.message);
        record.format = result.format;
        record.foreign = result.foreign;
        record.cutShort = result.cutShort;
        record.overPuzzleBudget =
            result.code == kLoadPictureTooLarge && maxPixels < kMaxPicturePixels;
        records_.push_back(std::move(record));
        return records_.back().code;
    };
}

const PictureLoadRecord* CPictureRecorder::Find(const CDibImage* slot) const {
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        if (it->slot == slot) {
            return &*it;
        }
    }
    return nullptr;
}

std::string DisplayName(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

bool ParsePuzzleNumber(std::string_view text, std::int32_t& number) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return false;
        }
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, number);
    return !text.empty() && ec == std::errc() && ptr == end;
}

}  // namespace kelvandor::cli
