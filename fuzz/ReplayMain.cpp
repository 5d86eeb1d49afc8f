// The fuzz targets as plain programs: every file named, and every file in every folder named
// (in name order), is handed to the target once. A fault shows as a crash or a sanitizer
// report, as it would under the fuzzer.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTarget.h"

namespace fs = std::filesystem;

namespace {

void Feed(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (fs::is_regular_file(argv[i], ec)) {
            Feed(argv[i]);
            ++count;
            continue;
        }
        std::vector<fs::path> files;
        for (fs::directory_iterator it(argv[i], ec), end; !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file()) {
                files.push_back(it->path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            Feed(file);
            ++count;
        }
    }
    std::printf("%zu inputs replayed\n", count);
    return 0;
}
