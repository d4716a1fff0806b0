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

} // namespace

// Each file is written, decoded by the engine and compared pixel by pixel, alpha
// included: TGA of both depths from either origin, a BMP whose 15-byte rows are
// padded to 16, and a JPEG (the same bytes every time) within a few levels.
TEST(ImageWriter, EveryFormatLoadsUprightWithItsChannels) {
    const std::string dir = zeltest::scratchDir("imagewriter");
    const Raster rgb = cornerPicture(8, 4, 3), rgba = cornerPicture(8, 4, 4), narrow = cornerPicture(5, 3, 3);
    Raster smooth(32, 16, 3);
    smooth.fill([](int x, int y) { return assetgen::Colour{x / 31.0f, y / 15.0f, 0.5f, 1.0f}; });
    const struct {
        const char* file;
        const Raster& picture;
        std::vector<uint8_t> bytes;
        int tolerance;
    } cases[] = {
        {"p3t.tga", rgb, ImageWriter::encodeTga(rgb, true), 0},
        {"p3b.tga", rgb, ImageWriter::encodeTga(rgb, false), 0},
        {"p4t.tga", rgba, ImageWriter::encodeTga(rgba, true), 0},
        {"p4b.tga", rgba, ImageWriter::encodeTga(rgba, false), 0},
        {"p.bmp", narrow, ImageWriter::encodeBmp(narrow), 0},
        {"p.jpg", smooth, ImageWriter::encodeJpeg(smooth, 92), 12},
    };
    EXPECT_EQ(cases[4].bytes.size(), 54u + 16 * 3);
    EXPECT_EQ(cases[5].bytes, ImageWriter::encodeJpeg(smooth, 92));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir + "/" + c.file;
        ASSERT_TRUE(ImageWriter::writeFile(path, c.bytes));
        std::unique_ptr<zel::Image> image;
        zeltest::captureStdout([&] { image = std::make_unique<zel::Image>(path, false, 0, 0, 0); });
        ASSERT_TRUE(image->loaded);
        ASSERT_EQ(image->width, c.picture.width());
        ASSERT_EQ(image->height, c.picture.height());
        ASSERT_EQ(image->getBytesPerPixel(), c.picture.channels());
        int worst = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                for (int ch = 0; ch < c.picture.channels(); ++ch) {
                    const int got =
                        image->data[(static_cast<size_t>(y) * image->width + x) * c.picture.channels() + ch];
                    worst = std::max(worst, std::abs(got - c.picture.byteAt(x, y, ch)));
                }
        EXPECT_LE(worst, c.tolerance);
    }
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
