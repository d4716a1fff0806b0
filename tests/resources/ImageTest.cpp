// Image decoding: byte order per file type, colour key, odd depths and widths,
// extension rules and every way a file can be bad.

#include "TestImages.h"
#include "resources/Image.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

using namespace zel;
using zeltest::captureStdout;
using zeltest::RGBA;

namespace {

std::unique_ptr<Image> load(const std::string& path, std::string* output = nullptr, bool key = false,
                            int r = 0, int g = 0, int b = 0) {
    std::unique_ptr<Image> image;
    std::string printed = captureStdout([&] { image = std::make_unique<Image>(path, key, r, g, b); });
    if (output) *output = printed;
    return image;
}

std::string decodeFailure(const std::string& path) {
    return "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + path + ">.\n";
}

void expectPixels(const Image& image, const std::vector<RGBA>& pixels, bool withAlpha) {
    const int bpp = withAlpha ? 4 : 3;
    ASSERT_EQ(image.width * image.height, static_cast<int>(pixels.size()));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const unsigned char* p = image.data.get() + i * bpp;
        ASSERT_EQ(p[0], pixels[i].r) << "pixel " << i;
        ASSERT_EQ(p[1], pixels[i].g) << "pixel " << i;
        ASSERT_EQ(p[2], pixels[i].b) << "pixel " << i;
        if (withAlpha) {
            ASSERT_EQ(p[3], pixels[i].a) << "pixel " << i;
        }
    }
}

} // namespace

TEST(ImageExtension, LastDotOfWholeName) {
    EXPECT_EQ(Image::getExtension("a/b.c/d.tga"), "tga");
    EXPECT_EQ(Image::getExtension("../data/file"), "/data/file");
    EXPECT_EQ(Image::getExtension("name."), "");
    EXPECT_EQ(Image::getExtension("name"), "not_found");
}

TEST(ImageExtension, MissingOrUnsupportedExtensions) {
    std::string out;
    auto image = load("noextension", &out);
    EXPECT_EQ(out, "[Image]: Error: Can not load file without extension. What file type? <noextension>\n");
    EXPECT_FALSE(image->loaded);
    EXPECT_TRUE(image->fileName.empty());
    EXPECT_EQ(image->format, ImageFormat::UNKNOWN);
    EXPECT_EQ(image->data, nullptr);

    // An extension that literally reads "not_found" counts as none.
    image = load("file.not_found", &out);
    EXPECT_EQ(out, "[Image]: Error: Can not load file without extension. What file type? <file.not_found>\n");
    EXPECT_TRUE(image->fileName.empty());

    // Other extensions, other spellings, and a dot only in "../" fail silently.
    for (const char* name : {"picture.PNG", "picture.Jpg", "picture.png", "../data/textures/picture"}) {
        image = load(name, &out);
        EXPECT_EQ(out, "") << name;
        EXPECT_FALSE(image->loaded) << name;
        EXPECT_EQ(image->fileName, name);
    }
}

TEST(ImageDecode, Bmp24IsSwappedToRgbForAnyWidth) {
    const std::string dir = zeltest::scratchDir("image_bmp24");
    // Width 5: the decoder pads each row to 16 bytes, the image block must not.
    std::vector<RGBA> pixels = zeltest::gradient(5, 3);
    pixels[0] = {3, 2, 1, 255}; // stored as blue 1, green 2, red 3
    zeltest::writeBMP24(dir + "/odd.bmp", 5, 3, pixels);
    std::string out;
    auto image = load(dir + "/odd.bmp", &out);
    EXPECT_EQ(out, "");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->fileName, dir + "/odd.bmp");
    EXPECT_EQ(image->format, ImageFormat::RGB);
    EXPECT_EQ(image->bitsPerPixel, 24);
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(image->data[0], 3);
    EXPECT_EQ(image->data[1], 2);
    EXPECT_EQ(image->data[2], 1);
    expectPixels(*image, pixels, false);

    // Upper-case extension takes the same path.
    zeltest::writeBMP24(dir + "/upper.BMP", 5, 3, pixels);
    image = load(dir + "/upper.BMP");
    ASSERT_TRUE(image->loaded);
    expectPixels(*image, pixels, false);
}

TEST(ImageDecode, TgaIsSwappedAndKeepsItsAlpha) {
    const std::string dir = zeltest::scratchDir("image_tga");
    std::vector<RGBA> pixels = zeltest::gradient(3, 2, 128);
    pixels[1].a = 7;
    zeltest::writeTGA(dir + "/rgba.tga", 3, 2, 32, pixels);

    auto image = load(dir + "/rgba.tga");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->format, ImageFormat::RGBA);
    EXPECT_EQ(image->bitsPerPixel, 32);
    expectPixels(*image, pixels, true);

    // A colour key never replaces an alpha channel the file already has.
    pixels[2] = {255, 0, 255, 99};
    zeltest::writeTGA(dir + "/keyed.TGA", 3, 2, 32, pixels);
    image = load(dir + "/keyed.TGA", nullptr, true, 255, 0, 255);
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->format, ImageFormat::RGBA);
    expectPixels(*image, pixels, true);

    std::vector<RGBA> rgb = zeltest::gradient(7, 3);
    zeltest::writeTGA(dir + "/rgb.tga", 7, 3, 24, rgb);
    image = load(dir + "/rgb.tga");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->format, ImageFormat::RGB);
    expectPixels(*image, rgb, false);
}

TEST(ImageDecode, ColourKeyOnRgbImages) {
    const std::string dir = zeltest::scratchDir("image_key");
    std::vector<RGBA> pixels = zeltest::gradient(4, 3);
    pixels[0] = {255, 0, 255, 255};
    pixels[5] = {255, 0, 255, 255};
    pixels[6] = {255, 0, 254, 255}; // near the key: stays opaque
    pixels[11] = {255, 1, 255, 255};
    zeltest::writeBMP24(dir + "/keyed.bmp", 4, 3, pixels);
    zeltest::writeTGA(dir + "/keyed.tga", 4, 3, 24, pixels);

    for (const std::string name : {"/keyed.bmp", "/keyed.tga"}) {
        std::string out;
        auto image = load(dir + name, &out, true, 255, 0, 255);
        EXPECT_EQ(out, "");
        ASSERT_TRUE(image->loaded) << name;
        EXPECT_EQ(image->format, ImageFormat::RGBA) << name;
        EXPECT_EQ(image->bitsPerPixel, 32) << name;
        std::vector<RGBA> expected = pixels;
        for (RGBA& p : expected) p.a = (p.r == 255 && p.g == 0 && p.b == 255) ? 0 : 255;
        expectPixels(*image, expected, true);
    }

    // A key component outside 0..255 never matches.
    auto image = load(dir + "/keyed.bmp", nullptr, true, 255, 0, 255 + 256);
    ASSERT_TRUE(image->loaded);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(image->data[i * 4 + 3], 255);
}

TEST(ImageDecode, JpegKeepsItsByteOrder) {
    const std::string dir = zeltest::scratchDir("image_jpeg");
    // Flat 8 x 8 blocks survive JPEG compression almost exactly.
    std::vector<RGBA> pixels(16 * 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) pixels[y * 16 + x] = x < 8 ? RGBA{220, 40, 10, 255} : RGBA{20, 60, 230, 255};
    }
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/flat.jpg", 16, 8, pixels));
    for (const char* ext : {".jpg", ".JPG", ".jpeg", ".JPEG"}) {
        const std::string path = dir + "/copy" + ext;
        std::filesystem::copy_file(dir + "/flat.jpg", path);
        std::string out;
        auto image = load(path, &out);
        EXPECT_EQ(out, "");
        ASSERT_TRUE(image->loaded) << ext;
        EXPECT_EQ(image->format, ImageFormat::RGB);
        EXPECT_EQ(image->width, 16);
        EXPECT_EQ(image->height, 8);
        for (int i = 0; i < 16 * 8; ++i) {
            const unsigned char* p = image->data.get() + i * 3;
            ASSERT_NEAR(p[0], pixels[i].r, 3) << i;
            ASSERT_NEAR(p[1], pixels[i].g, 3) << i;
            ASSERT_NEAR(p[2], pixels[i].b, 3) << i;
        }
    }
}

TEST(ImageDecode, EightBitImageIsUnknownAndUntouched) {
    const std::string dir = zeltest::scratchDir("image_8bit");
    std::vector<unsigned char> indices = {1, 2, 3, 255, 0, 7, 9, 11, 200, 201};
    zeltest::writeBMP8(dir + "/grey.bmp", 5, 2, indices);
    std::string out;
    auto image = load(dir + "/grey.bmp", &out, true, 0, 0, 0);
    EXPECT_EQ(out, "[Image]: Warning: Unknown pixeltype!\n");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->format, ImageFormat::UNKNOWN);
    EXPECT_EQ(image->bitsPerPixel, 8);
    for (std::size_t i = 0; i < indices.size(); ++i) EXPECT_EQ(image->data[i], indices[i]) << i;
}

TEST(ImageDecode, ContentDecidesTheDecoderOfTheGeneralPath) {
    // A BMP named .jpg decodes as BMP but without the swap the extension would imply.
    const std::string dir = zeltest::scratchDir("image_misnamed");
    zeltest::writeBMP24(dir + "/bmp.jpg", 1, 1, {{3, 2, 1, 255}});
    auto image = load(dir + "/bmp.jpg");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->data[0], 1);
    EXPECT_EQ(image->data[2], 3);
}

TEST(ImageBadInput, EveryFailureReportsAndLeavesNothingLoaded) {
    const std::string dir = zeltest::scratchDir("image_bad");
    std::vector<RGBA> pixels = zeltest::gradient(8, 8);
    zeltest::writeBMP24(dir + "/good.bmp", 8, 8, pixels);
    std::vector<unsigned char> bmp = zeltest::readBytes(dir + "/good.bmp");
    zeltest::writeTGA(dir + "/good.tga", 8, 8, 24, pixels);
    std::vector<unsigned char> tga = zeltest::readBytes(dir + "/good.tga");

    zeltest::writeBytes(dir + "/empty.bmp", {});
    zeltest::writeBytes(dir + "/empty.tga", {});
    zeltest::writeBytes(dir + "/empty.jpg", {});
    zeltest::writeBytes(dir + "/truncated.bmp", std::vector<unsigned char>(bmp.begin(), bmp.begin() + 100));
    zeltest::writeBytes(dir + "/header_only.bmp", std::vector<unsigned char>(bmp.begin(), bmp.begin() + 54));
    zeltest::writeBytes(dir + "/truncated.tga", std::vector<unsigned char>(tga.begin(), tga.begin() + 40));
    std::vector<unsigned char> noise(500);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<unsigned char>((i * 7919 + 13) % 251);
    zeltest::writeBytes(dir + "/noise.jpg", noise);
    std::vector<unsigned char> badJpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x08, 0x03};
    zeltest::writeBytes(dir + "/corrupt.jpg", badJpeg);
    // A JPEG or BMP named .tga goes to the TGA decoder, which rejects it.
    std::vector<unsigned char> jpegAsTga = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1,
                                            1,    0,    0,    1,    0,    1,    0,    0};
    zeltest::writeBytes(dir + "/jpeg.tga", jpegAsTga);
    std::filesystem::create_directory(dir + "/folder.bmp");
    std::filesystem::create_directory(dir + "/folder.tga");

    for (const char* name : {"/empty.bmp", "/empty.tga", "/empty.jpg", "/truncated.bmp", "/header_only.bmp",
                             "/truncated.tga", "/noise.jpg", "/corrupt.jpg", "/jpeg.tga", "/folder.bmp",
                             "/folder.tga"}) {
        std::string out;
        auto image = load(dir + name, &out);
        EXPECT_EQ(out, decodeFailure(dir + name)) << name;
        EXPECT_FALSE(image->loaded) << name;
        EXPECT_EQ(image->data, nullptr) << name;
    }

    std::string out;
    auto image = load(dir + "/missing.bmp", &out);
    EXPECT_EQ(out, "[Image]: Error: Could not open file.\n[Image]: Error: Could not load image <" + dir +
                       "/missing.bmp>.\n");
    EXPECT_FALSE(image->loaded);
}

TEST(ImageBadInput, RunLengthTgaMustBeComplete) {
    const std::string dir = zeltest::scratchDir("image_rle");
    // 2 x 2, 24 bits: a run of two blue-green-red (1, 2, 3) pixels, then two raw pixels.
    std::vector<unsigned char> tga(18, 0);
    tga[2] = 10;
    tga[12] = 2;
    tga[14] = 2;
    tga[16] = 24;
    tga[17] = 0x20;
    const std::vector<unsigned char> packets = {0x81, 1, 2, 3, 0x01, 10, 20, 30, 40, 50, 60};
    tga.insert(tga.end(), packets.begin(), packets.end());
    zeltest::writeBytes(dir + "/rle.tga", tga);
    auto image = load(dir + "/rle.tga");
    ASSERT_TRUE(image->loaded);
    const unsigned char expected[12] = {3, 2, 1, 3, 2, 1, 30, 20, 10, 60, 50, 40};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(image->data[i], expected[i]) << i;

    for (std::size_t cut : {tga.size() - 1, tga.size() - 7, std::size_t(19)}) {
        const std::string path = dir + "/cut" + std::to_string(cut) + ".tga";
        zeltest::writeBytes(path, std::vector<unsigned char>(tga.begin(), tga.begin() + cut));
        std::string out;
        image = load(path, &out);
        EXPECT_EQ(out, decodeFailure(path));
        EXPECT_FALSE(image->loaded);
    }
}

TEST(ImageBadInput, HugeHeadersAreRefusedBeforeDecoding) {
    const std::string dir = zeltest::scratchDir("image_huge");
    // A BMP header claiming 100000 x 100000 pixels with no pixels behind it.
    std::vector<unsigned char> bmp = zeltest::readBytes([&] {
        zeltest::writeBMP24(dir + "/tiny.bmp", 1, 1, {{1, 2, 3, 255}});
        return dir + "/tiny.bmp";
    }());
    auto setLE32 = [](std::vector<unsigned char>& b, int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
    };
    setLE32(bmp, 18, 100000);
    setLE32(bmp, 22, 100000);
    zeltest::writeBytes(dir + "/huge.bmp", bmp);
    setLE32(bmp, 22, static_cast<std::uint32_t>(-100000)); // top-down rows
    zeltest::writeBytes(dir + "/huge_topdown.bmp", bmp);
    setLE32(bmp, 18, 30000);
    setLE32(bmp, 22, 2);
    zeltest::writeBytes(dir + "/wide.bmp", bmp);

    // TGA sizes are 16-bit: 65535 x 65535.
    std::vector<unsigned char> tga(18, 0);
    tga[2] = 2;
    tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
    tga[16] = 32;
    zeltest::writeBytes(dir + "/huge.tga", tga);

    // A JPEG frame header claiming 65500 x 65500 after an application segment.
    std::vector<unsigned char> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xC0, 0x00,
                                       0x11, 0x08, 0xFF, 0xDC, 0xFF, 0xDC, 0x03, 0x01, 0x11, 0x00};
    zeltest::writeBytes(dir + "/huge.jpg", jpeg);

    const auto start = std::chrono::steady_clock::now();
    for (const char* name : {"/huge.bmp", "/huge_topdown.bmp", "/wide.bmp", "/huge.tga", "/huge.jpg"}) {
        std::string out;
        auto image = load(dir + name, &out);
        EXPECT_EQ(out, decodeFailure(dir + name)) << name;
        EXPECT_FALSE(image->loaded) << name;
        EXPECT_EQ(image->width, 0) << name;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
