// image FILE [--out OUT.pam]: loads a picture with the library's own loader and reports it.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "image/DibImage.h"
#include "image/ImageFile.h"

namespace kelvandor::cli {

namespace {

const char* const kUsage =
    "usage: kelvandor-tool image FILE [--out OUT.pam]\n"
    "Loads FILE (or a res:// path) with the program's image loader and prints\n"
    "  result=<code> depth=<bits> width=<w> height=<h> alpha=<0|1> message=\"<text>\"\n"
    "With --out, a loaded picture is written as a PAM file (RGB_ALPHA for 32-bit images,\n"
    "RGB for all others), top row first.\n";

// Netpbm PAM, top row first: 32-bit images with their alpha bytes, every other depth as RGB
// through the image's own row converter (palette lookup, widening of packed pixels).
bool WritePam(const CDibImage& image, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    const bool withAlpha = image.bitsPerPixel == 32;
    const int channels = withAlpha ? 4 : 3;
    out << "P7\nWIDTH " << image.width << "\nHEIGHT " << image.height << "\nDEPTH " << channels
        << "\nMAXVAL 255\nTUPLTYPE " << (withAlpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
    std::vector<char> line(static_cast<std::size_t>(image.width) * channels);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = withAlpha ? image.Row(y) : image.rowTo24(image, image.Row(y));
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * channels;
            char* q = line.data() + static_cast<std::size_t>(x) * channels;
            q[0] = static_cast<char>(p[2]);  // stored blue, green, red (, alpha)
            q[1] = static_cast<char>(p[1]);
            q[2] = static_cast<char>(p[0]);
            if (withAlpha) {
                q[3] = static_cast<char>(p[3]);
            }
        }
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int RunImage(int argc, char** argv) {
    const ScannedArguments args =
        ScanArguments("image", argc, argv, kUsage, {{"--out", "needs a file name"}});
    if (args.exitNow) {
        return *args.exitNow;
    }
    if (args.positional.size() > 1) {
        return UsageError("image: more than one FILE given");
    }
    const std::string file(args.positional.empty() ? std::string_view() : args.positional[0]);
    const std::string outPath(args.Value("--out"));
    if (file.empty()) {
        return UsageError("image: FILE is missing");
    }
    CDibImage image;
    const int result = LoadImageFile(file, image);
    std::cout << "result=" << result << " depth=" << image.bitsPerPixel << " width=" << image.width
              << " height=" << image.height << " alpha=" << (image.HasAlpha() ? 1 : 0)
              << " message=\"" << Windows1252ToUtf8(LastImageError()) << "\"\n";
    if (result != 0) {
        return 1;
    }
    if (!outPath.empty() && !WritePam(image, outPath)) {
        std::cerr << "kelvandor-tool: image: cannot write " << outPath << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kelvandor::cli
