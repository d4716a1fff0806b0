// The asset generator's file writers, decoded back through the engine's own image
// loader: pixels come back upright, in the right channel order and with alpha.
#include "assetgen/ImageWriter.h"
#include "assetgen/Catalogue.h"
#include "assetgen/TextureSet.h"

#include "resources/Image.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using assetgen::ImageWriter;
using assetgen::Raster;

namespace {

// A picture whose four corners are red, green, blue and white, with a gradient
// elsewhere, so flips and channel swaps show.
Raster cornerPicture(int w, int h, int channels) {
    Raster r(w, h, channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.setBytes(x, y, static_cast<uint8_t>(x * 10), static_cast<uint8_t>(y * 10), 77,
                       static_cast<uint8_t>(100 + x + y));
    r.setBytes(0, 0, 255, 0, 0, 10);
    r.setBytes(w - 1, 0, 0, 255, 0, 20);
    r.setBytes(0, h - 1, 0, 0, 255, 30);
    r.setBytes(w - 1, h - 1, 255, 255, 255, 40);
    return r;
}

std::unique_ptr<zel::Image> load(const std::string& path) {
    std::unique_ptr<zel::Image> image;
    zeltest::captureStdout([&] { image = std::make_unique<zel::Image>(path, false, 0, 0, 0); });
    return image;
}

// Compares every pixel of the decoded image with the raster (RGB, plus alpha when
// the image has it).
void expectSamePixels(const zel::Image& image, const Raster& raster, int tolerance) {
    ASSERT_TRUE(image.loaded);
    ASSERT_EQ(image.width, raster.width());
    ASSERT_EQ(image.height, raster.height());
    const int bpp = image.getBytesPerPixel();
    int worst = 0;
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x)
            for (int c = 0; c < bpp; ++c) {
                const int got = image.data[(static_cast<size_t>(y) * image.width + x) * bpp + c];
                worst = std::max(worst, std::abs(got - raster.byteAt(x, y, c)));
            }
    EXPECT_LE(worst, tolerance);
}

} // namespace

TEST(ImageWriter, TgaLoadsUprightFromEitherOriginAtBothDepths) {
    const std::string dir = zeltest::scratchDir("imagewriter_tga");
    for (int channels : {3, 4}) {
        for (bool topLeft : {true, false}) {
            SCOPED_TRACE("channels " + std::to_string(channels) + (topLeft ? " top-left" : " bottom-left"));
            const Raster picture = cornerPicture(8, 4, channels);
            const std::string path = dir + "/p" + std::to_string(channels) + (topLeft ? "t" : "b") + ".tga";
            ASSERT_TRUE(ImageWriter::writeTga(path, picture, topLeft));
            auto image = load(path);
            ASSERT_TRUE(image->loaded);
            EXPECT_EQ(image->bitsPerPixel, channels * 8);
            EXPECT_EQ(image->format, channels == 4 ? zel::ImageFormat::RGBA : zel::ImageFormat::RGB);
            expectSamePixels(*image, picture, 0);
        }
    }
}

TEST(ImageWriter, PaddedBmpAndDeterministicJpegLoadUpright) {
    const std::string dir = zeltest::scratchDir("imagewriter_bmp_jpg");
    // Width 5: 15 bytes of pixels per row, padded to 16.
    const Raster small = cornerPicture(5, 3, 3);
    const std::vector<uint8_t> bmp = ImageWriter::encodeBmp(small);
    ASSERT_EQ(bmp.size(), 54u + 16 * 3);
    ASSERT_TRUE(ImageWriter::writeFile(dir + "/p.bmp", bmp));
    expectSamePixels(*load(dir + "/p.bmp"), small, 0);

    Raster picture(32, 16, 3);
    picture.fill([](int x, int y) { return assetgen::Colour{x / 31.0f, y / 15.0f, 0.5f, 1.0f}; });
    const std::vector<uint8_t> jpeg = ImageWriter::encodeJpeg(picture, 92);
    ASSERT_FALSE(jpeg.empty());
    EXPECT_EQ(jpeg, ImageWriter::encodeJpeg(picture, 92));
    ASSERT_TRUE(ImageWriter::writeFile(dir + "/p.jpg", jpeg));
    auto image = load(dir + "/p.jpg");
    EXPECT_EQ(image->format, zel::ImageFormat::RGB);
    expectSamePixels(*image, picture, 12);
}

TEST(ImageWriter, UnwritablePathFails) {
    const std::string dir = zeltest::scratchDir("imagewriter_fail");
    ASSERT_TRUE(ImageWriter::writeFile(dir + "/plain", {1, 2, 3}));
    const std::string err = zeltest::captureStderr([&] {
        EXPECT_FALSE(ImageWriter::writeTga(dir + "/missing/folder/p.tga", cornerPicture(4, 4, 3)));
        EXPECT_FALSE(ImageWriter::writeJpeg(dir, cornerPicture(4, 4, 3))); // a folder, not a file
        // A run folder below a plain file can be neither created nor written.
        EXPECT_FALSE(assetgen::TextureSet::writeAll(dir + "/plain/run"));
        EXPECT_FALSE(assetgen::Catalogue::write(dir + "/plain/run"));
    });
    EXPECT_NE(err.find("missing/folder/p.tga"), std::string::npos);
    EXPECT_NE(err.find("plain/run"), std::string::npos);
    EXPECT_TRUE(ImageWriter::encodeJpeg(Raster(0, 0, 3), 90).empty());
}
