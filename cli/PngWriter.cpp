#include "cli/PngWriter.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kelvandor::cli {

namespace {

// libpng reports errors by longjmp; this function holds the setjmp and nothing with a
// destructor, so that no C++ frame is skipped. Returns false when libpng gave up.
bool EncodePng(std::FILE* file, std::uint32_t width, std::uint32_t height, bool alpha,
               png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // The screens are large flat areas: a fast setting compresses them nearly as well.
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePngFile(const CDibImage& image, const std::string& path, std::string& error) {
    if (image.IsEmpty() || image.width == 0 || image.height == 0) {
        error = path + ": there is no picture to write";
        return false;
    }
    const bool alpha = image.bitsPerPixel == 32;
    const std::size_t channels = alpha ? 4 : 3;
    const std::size_t rowBytes = channels * image.width;
    std::vector<png_byte> pixels(rowBytes * image.height);
    std::vector<png_bytep> rows(image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        png_byte* out = pixels.data() + rowBytes * y;
        rows[y] = out;
        // The image keeps blue, green, red (alpha); PNG wants red first.
        const std::uint8_t* in = alpha ? image.Row(y) : image.rowTo24(image, image.Row(y));
        for (std::uint32_t x = 0; x < image.width; ++x, in += channels, out += channels) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (alpha) {
                out[3] = in[3];
            }
        }
    }

    // Written beside the target and renamed over it: a path that cannot be written keeps
    // what it was, and nothing is removed that this function did not create. Only a regular
    // file this user may write is replaced; a device node or a folder is refused.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 &&
        (!S_ISREG(existing.st_mode) || ::access(path.c_str(), W_OK) != 0)) {
        error = path + ": cannot create the file";
        return false;
    }
    const std::size_t slash = path.rfind('/');
    std::string temporary = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                            ".kelvandor-frame-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = path + ": cannot create the file";
        return false;
    }
    // The permissions a newly created file would have had.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(temporary.c_str());
        error = path + ": cannot create the file";
        return false;
    }
    const bool encoded = EncodePng(file, image.width, image.height, alpha, rows.data());
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        error = path + ": writing the PNG file failed";
        return false;
    }
    return true;
}

}  // namespace kelvandor::cli
