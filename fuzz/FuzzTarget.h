#pragma once
// What every fuzz target shares. Each target is one LLVMFuzzerTestOneInput over a plain entry
// point of the program; built with clang's libFuzzer by `make fuzz`, or with the project's
// compiler and ReplayMain.cpp as a program that replays the committed inputs (`make test`).

#include <cstddef>
#include <cstdint>
#include <span>

// The most pixels a picture may have in the fuzz targets: the program allows 100 megapixels,
// but decoding that much on every run would leave the fuzzer no time for anything else. The
// budget checks are the same code either way.
inline constexpr std::uint64_t kFuzzPixelBudget = 4'000'000;

inline std::span<const std::uint8_t> Bytes(const std::uint8_t* data, std::size_t size) {
    return {data, size};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
