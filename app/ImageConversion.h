#pragma once
// The one place where the program's images become Qt images.

#include <QImage>
#include <QRect>

namespace kelvandor {

class CDibImage;

// A copy of the pixels of `area` of `image` (clipped to the image; the whole image when
// `area` is null). 24-bit images give an RGB image, 32-bit images and palette images with
// alpha give ARGB (not premultiplied), everything else RGB. An empty image or an area
// outside it gives a null QImage.
QImage ToQImage(const CDibImage& image, QRect area = QRect());

// Copies `area` of a 24- or 32-bit image (clipped to the image) as opaque pixels into
// `target` with the area's top-left corner at `at`, in one pass and without an intermediate
// image: how a window of 32 bits per pixel shows the back buffer. `target` must be an RGB32,
// ARGB32 or premultiplied ARGB32 image that holds the whole clipped area at `at`. Returns false,
// writing nothing, when it does not or nothing of the area lies in the image.
bool CopyIntoImage(const CDibImage& image, QRect area, QImage& target, QPoint at);

}  // namespace kelvandor
