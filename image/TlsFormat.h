#pragma once
// The layout of TLS picture sequences, which the reader and the writer share.
//
// A sequence holds equally sized pictures of 8 bits (palette) or 32 bits per pixel:
//   header   16 bytes: "TLSP", width and height (16 bits each, 1 to 4096), pixel format
//            (1 = 8 bits, 4 = 32 bits), index of the last picture, CRC (16 bits), 4 reserved
//   then per picture: a block of sixteen 32-bit words of 3-bit values, the rows from the top
//            down (each as long as a CDibImage row of that size and depth), and, when the
//            sequence holds more than one picture, a tail of two 16-bit values.
// Numbers are little-endian. The CRC is CRC-16/XMODEM over the whole file with the CRC field
// taken as 0. The meaning of the block and the tail belongs to whoever made the sequence;
// the reader folds the block's values into the picture's alpha bits.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvandor {

constexpr std::size_t kTlsHeaderSize = 16;
constexpr std::size_t kTlsBlockSize = 64;
constexpr std::size_t kTlsTailSize = 4;
constexpr std::uint32_t kTlsMaxSide = 4096;
constexpr std::uint8_t kTlsFormat8 = 1;
constexpr std::uint8_t kTlsFormat32 = 4;
constexpr std::size_t kTlsCrcOffset = 10;

using TlsBlock = std::array<std::uint32_t, 16>;
using TlsTail = std::array<std::uint16_t, 2>;

// CRC-16/XMODEM (polynomial 0x1021, initial 0, not reflected, no final XOR) of bytes,
// continued from crc.
std::uint16_t UpdateTlsCrc(std::uint16_t crc, std::span<const std::uint8_t> bytes);

}  // namespace kelvandor
