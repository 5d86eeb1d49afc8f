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

}  // namespace kelvandor
