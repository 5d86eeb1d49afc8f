#include "control/DocumentPath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/TextCodec.h"

namespace kelvandor {
namespace {

// Case-folded code points; bytes that are not UTF-8 count as Windows-1252.
std::u32string FoldedText(std::string_view text) {
    std::u32string folded = DecodeUtf8(text).value_or(DecodeWindows1252(text));
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
    return folded;
}

}  // namespace

std::string MakeFullPath(std::string_view path) {
    if (path.empty()) {
        return {};
    }
    std::string slashed(path);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::filesystem::path full(slashed);
    if (full.is_relative()) {
        std::error_code error;
        std::filesystem::path base = std::filesystem::current_path(error);
        if (error) {
            base = "/";  // the working folder is gone: the root is as good a guess as any
        }
        full = base / full;
    }
    std::string result = full.lexically_normal().string();
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

bool SameDocumentPath(std::string_view a, std::string_view b) {
    return FoldedText(MakeFullPath(a)) == FoldedText(MakeFullPath(b));
}

}  // namespace kelvandor
