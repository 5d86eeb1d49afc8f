#pragma once
// Writes a CDibImage as a PNG file: the tool's way of showing the game screen (`replay`'s
// frame line, `preview`).

#include <string>

#include "image/DibImage.h"

namespace kelvandor::cli {

// Writes `image` to `path`, top row first: 32-bit images as RGBA with their alpha bytes as
// stored, every other depth as RGB (palette depths looked up in the palette). Returns false
// and sets `error` (English, with the path) when the image is empty or the file cannot be
// written. The file is written beside `path` and renamed over it, so a failure leaves the
// path as it was; an existing path is replaced only when it is a regular file this user may
// write (never a device node, a folder or a symbolic link).
bool WritePngFile(const CDibImage& image, const std::string& path, std::string& error);

}  // namespace kelvandor::cli
