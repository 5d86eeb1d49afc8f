#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "image/DibImage.h"
#include "image/ImageFile.h"
#include "tests/image/TestImages.h"

namespace kelvandor {
namespace {

using testimages::Bytes;

// A smooth colour picture (gradients, as photos mostly are), samples top row first.
Bytes Gradient(int width, int height) {
    Bytes samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            samples.push_back(static_cast<std::uint8_t>(x * 255 / width));
            samples.push_back(static_cast<std::uint8_t>(y * 255 / height));
            samples.push_back(static_cast<std::uint8_t>((x + y) * 127 / (width + height)));
        }
    }
    return samples;
}

// The largest difference of a channel between two 24-bit pictures of the same size.
int LargestDifference(const CDibImage& a, const CDibImage& b) {
    int largest = 0;
    for (std::uint32_t y = 0; y < a.height; ++y) {
        for (std::uint32_t x = 0; x < 3 * a.width; ++x) {
            largest = std::max(largest, std::abs(a.Row(y)[x] - b.Row(y)[x]));
        }
    }
    return largest;
}

std::string Write(const Bytes& file) {
    return testimages::WriteTempFile("fit-picture", file);
}

TEST(LoadToFitTest, JpegIsDecodedAtTheSmallestScaleThatCoversTheBox) {
    const std::string path = Write(testimages::JpegFile(800, 600, 3, Gradient(800, 600), 90));
    struct Case {
        ImageSize box, expected;
    };
    // 1/8 covers 100 x 100 exactly; 150 wide needs 2/8; a box only 30 high is fitted by its
    // height (40 x 30), which 1/8 covers more than twice over, so that is reduced further;
    // a box larger than the picture gets it whole.
    for (const Case& c : {Case{{100, 100}, {100, 75}}, Case{{150, 150}, {200, 150}},
                          Case{{1000, 30}, {40, 30}}, Case{{2000, 2000}, {800, 600}}}) {
        CDibImage image;
        ImageSize full;
        ASSERT_EQ(LoadImageFileToFit(path, image, c.box, &full), kLoadOk) << LastImageError();
        EXPECT_EQ(image.width, c.expected.width) << c.box.width << "x" << c.box.height;
        EXPECT_EQ(image.height, c.expected.height) << c.box.width << "x" << c.box.height;
        EXPECT_EQ(image.bitsPerPixel, 24u);
        EXPECT_EQ(full.width, 800u);
        EXPECT_EQ(full.height, 600u);
    }
}

// What a tile shows is the picture scaled to its room; from a picture decoded reduced it
// must look as from the whole one, up to the rounding of the scaling.
TEST(LoadToFitTest, ReducedJpegShowsAsTheWholeOneScaledDown) {
    const std::string path = Write(testimages::JpegFile(800, 600, 3, Gradient(800, 600), 90));
    CDibImage whole, reduced;
    ASSERT_EQ(LoadImageFile(path, whole), kLoadOk);
    ASSERT_EQ(LoadImageFileToFit(path, reduced, {120, 90}), kLoadOk);
    ASSERT_LT(reduced.width, whole.width / 2);
    CDibImage fromWhole, fromReduced;
    ASSERT_TRUE(fromWhole.Scale(whole, 120, 90, CDibImage::kScaleSmooth));
    ASSERT_TRUE(fromReduced.Scale(reduced, 120, 90, CDibImage::kScaleSmooth));
    EXPECT_LE(LargestDifference(fromWhole, fromReduced), 3);
}

TEST(LoadToFitTest, TurnedPhotoIsFittedUpright) {
    testimages::JpegExtras extras;
    extras.orientation = 6;  // stored 800 x 600, shown 600 x 800
    const std::string path =
        Write(testimages::JpegFileWith(800, 600, 3, Gradient(800, 600), extras, 90));
    CDibImage image;
    ImageSize full;
    // Upright, 75 x 100 is 1/8 of the picture; taken the stored way round it would be less.
    ASSERT_EQ(LoadImageFileToFit(path, image, {75, 100}, &full), kLoadOk) << LastImageError();
    EXPECT_EQ(image.width, 75u);
    EXPECT_EQ(image.height, 100u);
    EXPECT_EQ(full.width, 600u);
    EXPECT_EQ(full.height, 800u);
}

TEST(LoadToFitTest, OtherFormatsAreReducedAfterDecodingWhenThatSavesMuch) {
    testimages::PngPicture png;
    png.width = 400;
    png.height = 300;
    png.colourType = PNG_COLOR_TYPE_RGB;
    const Bytes samples = Gradient(400, 300);
    for (int y = 0; y < 300; ++y) {
        png.rows.emplace_back(samples.begin() + y * 1200, samples.begin() + (y + 1) * 1200);
    }
    const std::string path = Write(testimages::PngFile(png));
    CDibImage image;
    ImageSize full;
    ASSERT_EQ(LoadImageFileToFit(path, image, {50, 50}, &full), kLoadOk) << LastImageError();
    EXPECT_EQ(image.width, 50u);
    EXPECT_EQ(image.height, 38u);  // 37.5 rounded up: the reduction still covers the box
    EXPECT_EQ(full.width, 400u);
    EXPECT_EQ(full.height, 300u);
    // Less than twice the size needed: kept as it is. No box: whole.
    ASSERT_EQ(LoadImageFileToFit(path, image, {300, 300}), kLoadOk);
    EXPECT_EQ(image.width, 400u);
    ASSERT_EQ(LoadImageFileToFit(path, image, {}), kLoadOk);
    EXPECT_EQ(image.width, 400u);
}

TEST(LoadToFitTest, FailuresGiveTheirCodesAndNoSize) {
    CDibImage image;
    ImageSize full{5, 5};
    EXPECT_EQ(LoadImageFileToFit("/nonexistent/picture.jpg", image, {10, 10}, &full),
              kLoadCannotOpen);
    EXPECT_EQ(full.width, 0u);
    Bytes cut = testimages::JpegFile(64, 48, 3, Gradient(64, 48), 80);
    cut.resize(cut.size() / 2);
    EXPECT_EQ(LoadImageFileToFit(Write(cut), image, {10, 10}, &full), kLoadReaderError);
    EXPECT_TRUE(image.IsEmpty());
}

}  // namespace
}  // namespace kelvandor
