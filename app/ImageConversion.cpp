#include "app/ImageConversion.h"

#include <cstring>

#include "image/DibImage.h"

namespace kelvandor {

QImage ToQImage(const CDibImage& image, QRect area) {
    if (image.IsEmpty() || image.width == 0 || image.height == 0) {
        return {};
    }
    const QRect bounds(0, 0, static_cast<int>(image.width), static_cast<int>(image.height));
    area = area.isNull() ? bounds : area.intersected(bounds);
    if (area.isEmpty()) {
        return {};
    }
    // In memory a 24-bit pixel is blue, green, red and a 32-bit one blue, green, red, alpha,
    // which are Qt's BGR888 and (little-endian) ARGB32; every other depth goes through the
    // image's own conversion to 32 bits.
    const bool direct24 = image.bitsPerPixel == 24;
    const QImage::Format format = direct24                 ? QImage::Format_BGR888
                                  : image.AlphaKind() == 0 ? QImage::Format_RGB32
                                                           : QImage::Format_ARGB32;
    const int bytesPerPixel = direct24 ? 3 : 4;
    QImage result(area.size(), format);
    if (result.isNull()) {
        return {};
    }
    for (int y = 0; y < area.height(); ++y) {
        const std::uint8_t* row = image.Row(static_cast<std::uint32_t>(area.y() + y));
        if (!direct24 && image.bitsPerPixel != 32) {
            row = image.rowTo32(image, row);
        }
        std::memcpy(result.scanLine(y), row + static_cast<std::size_t>(area.x()) * bytesPerPixel,
                    static_cast<std::size_t>(area.width()) * bytesPerPixel);
    }
    return result;
}

bool CopyIntoImage(const CDibImage& image, QRect area, QImage& target, QPoint at) {
    const QImage::Format format = target.format();
    // Opaque pixels are the same bytes in all three formats.
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    if (image.IsEmpty() || image.width == 0 || image.height == 0) {
        return false;
    }
    const QRect bounds(0, 0, static_cast<int>(image.width), static_cast<int>(image.height));
    const QRect clipped = area.intersected(bounds);
    if (clipped.isEmpty()) {
        return false;
    }
    const QPoint origin = at + (clipped.topLeft() - area.topLeft());
    if (!target.rect().contains(QRect(origin, clipped.size()))) {
        return false;
    }
    std::uint8_t* dest = target.bits() + static_cast<std::size_t>(origin.y()) *
                                             static_cast<std::size_t>(target.bytesPerLine()) +
                         static_cast<std::size_t>(origin.x()) * 4;
    return image.CopyOpaque32(clipped.x(), clipped.y(), clipped.width(), clipped.height(), dest,
                              static_cast<std::size_t>(target.bytesPerLine()));
}

}  // namespace kelvandor
