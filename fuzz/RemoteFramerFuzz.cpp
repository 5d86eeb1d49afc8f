// The remote receiver's byte stream, cut into pieces as a USB serial adapter might deliver
// it: the first byte says how many piece sizes follow, the rest is the stream. The frames must
// be the same for that cutting, for one piece and for one byte at a time.

#include <algorithm>

#include "FuzzTarget.h"
#include "remote/RemoteFramer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kelvandor::FrameInPieces;
    const std::size_t sizes = size == 0 ? 0 : std::min<std::size_t>(data[0] % 16, size - 1);
    const auto pieces = Bytes(data + (size == 0 ? 0 : 1), sizes);
    const auto stream = Bytes(data + (size == 0 ? 0 : 1) + sizes, size - std::min<std::size_t>(size, 1 + sizes));
    const std::uint8_t one[] = {1};
    const auto same = [](const auto& a, const auto& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
            return x.code == y.code && x.letter == y.letter;
        });
    };
    const auto whole = FrameInPieces(stream, {});
    if (!same(whole, FrameInPieces(stream, pieces)) || !same(whole, FrameInPieces(stream, one))) {
        __builtin_trap();
    }
    return 0;
}
