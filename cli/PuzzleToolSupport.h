#pragma once
// What the puzzle and check subcommands share: the picture loader that the tool hands to
// LoadPuzzle, with a record of every load so that they can say which picture loaded and why
// one did not, and the printing of names that came from the disk.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/ImageFile.h"
#include "puzzles/PuzzleContent.h"

namespace kelvandor::cli {

struct PictureLoadRecord {
    const CDibImage* slot = nullptr;              // the picture slot the load went to
    std::string path;                             // the path as passed to the loader
    int code = 0;                                 // 0 success, negative on failure
    std::string message;                          // the loader's message, UTF-8; empty on success
    ImageFormat format = ImageFormat::None;       // what the loader recognised
    ForeignFormat foreign = ForeignFormat::None;  // for unknown formats: what it is instead
    bool cutShort = false;                        // the file ended before the picture did
    // Refused as too large for what the puzzle's earlier pictures left of its budget.
    bool overPuzzleBudget = false;
};

class CPictureRecorder {
public:
    // A loader bound to this recorder; the recorder must outlive it.
    PictureLoader Bind();

    // The last load into `slot`, or null when no picture was loaded into it.
    const PictureLoadRecord* Find(const CDibImage* slot) const;

    void Clear() { records_.clear(); }

private:
    std::vector<PictureLoadRecord> records_;
};

// A file or folder name for printing: UTF-8 names as they are, anything else taken as
// Windows-1252 (the encoding of names made on a German Windows).
std::string DisplayName(std::string_view bytes);

// Reads a puzzle number argument: decimal, optional sign, within 32 bits.
bool ParsePuzzleNumber(std::string_view text, std::int32_t& number);

}  // namespace kelvandor::cli
