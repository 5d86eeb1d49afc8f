#pragma once
// The orientation that cameras and scanners record beside the pixels (Exif and TIFF tag 274):
// how the stored rows must be turned so that the picture shows upright. The readers decode
// the rows as stored and then apply the orientation as a step of its own.
//
//   1 as stored            2 mirrored left-right   3 turned 180 degrees   4 mirrored top-bottom
//   5 mirrored along the   6 turned 90 degrees     7 mirrored along the   8 turned 90 degrees
//     top-left diagonal      clockwise               top-right diagonal     counter-clockwise
//
// 5 to 8 exchange width and height.

#include <cstdint>
#include <span>

#include "image/DibImage.h"

namespace kelvandor {

// Turns the picture in image so that row 0 is the top of the upright picture. Any depth;
// palette, text state and owner words stay. Values other than 2 to 8 leave the image as it
// is. Throws EGraphicsMemory when the turned copy cannot be made.
void ApplyOrientation(CDibImage& image, int orientation);

// The orientation in an Exif block (the payload of a JPEG APP1 marker, "Exif\0\0" followed
// by TIFF-structured data); 1 when there is none or the block cannot be read.
int ExifOrientation(std::span<const std::uint8_t> exif);

}  // namespace kelvandor
