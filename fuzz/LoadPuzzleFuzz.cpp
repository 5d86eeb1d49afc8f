// LoadPuzzle over a generated puzzle folder: the input is the Game.txt of Game001, beside two
// small pictures (one in a subfolder), so that picture names resolve, miss by case, climb
// out with "../" or name nothing.

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzTarget.h"
#include "image/ImageFile.h"
#include "puzzles/LoadPuzzle.h"

namespace {

// A 2 x 1 bitmap of 24 bits: the smallest picture that loads.
constexpr unsigned char kBitmap[] = {
    'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0,
    24, 0,   0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255,
    0,   0,   0, 0, 0};

// The folder, removed when the program ends.
struct Folder {
    std::string path;
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string& Root() {
    static const Folder root{[] {
        std::string folder = (std::filesystem::temp_directory_path() / "kelvandor-fuzz-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) {
            std::abort();
        }
        std::filesystem::create_directories(folder + "/Game001/Bilder");
        for (const char* name : {"/Game001/Rot.bmp", "/Game001/Bilder/Blau.BMP"}) {
            std::ofstream(folder + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(kBitmap), sizeof kBitmap);
        }
        return folder;
    }()};
    return root.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvandor;
    std::ofstream(Root() + "/Game001/Game.txt", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    PuzzleContent content;
    LoadPuzzle(Root(), 1, content, [](const std::string& path, CDibImage& image, std::uint64_t left) {
        return LoadImageFileWithin(path, image, std::min(left, kFuzzPixelBudget));
    });
    return 0;
}
