#include "app/ToolbarIcons.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include "app/ImageConversion.h"
#include "app/MenuResource.h"
#include "image/DibImage.h"
#include "resources/ResourceTable.h"

namespace kelvandor {
namespace {

constexpr std::uint32_t kToolbarBitmap = 128;
constexpr std::uint32_t kProgramIcon = 128;
constexpr int kButtonWidth = 16;
constexpr int kButtonHeight = 15;
constexpr QRgb kTransparentGrey = 0xC0C0C0;

}  // namespace

std::map<std::uint32_t, QIcon> ToolbarIcons() {
    CDibImage bitmap;
    if (!bitmap.LoadBitmapResource(kToolbarBitmap)) {
        return {};
    }
    QImage strip = ToQImage(bitmap).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < strip.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x) {
            row[x] = (row[x] & 0xFFFFFF) == kTransparentGrey ? 0 : (row[x] | 0xFF000000);
        }
    }
    std::map<std::uint32_t, QIcon> icons;
    int button = 0;
    for (std::uint32_t id : ToolbarButtons()) {
        if (id == 0) {
            continue;
        }
        const int x = button++ * kButtonWidth;
        if (x + kButtonWidth > strip.width()) {
            break;
        }
        icons[id] = QIcon(QPixmap::fromImage(strip.copy(x, 0, kButtonWidth, kButtonHeight)));
    }
    return icons;
}

QIcon ProgramIcon() {
    const auto data =
        FindResource(ResourceId::Number(kResourceTypeIcon), ResourceId::Number(kProgramIcon));
    if (data.empty()) {
        return {};
    }
    // The icon file holds several sizes; the window system picks the one it needs.
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ICO");
    QIcon icon;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (reader.jumpToImage(i)) {
            const QImage image = reader.read();
            if (!image.isNull()) {
                icon.addPixmap(QPixmap::fromImage(image));
            }
        }
    }
    return icon;
}

}  // namespace kelvandor
