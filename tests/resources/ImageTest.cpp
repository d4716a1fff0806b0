// Image decoding: byte order per file type, colour key, extension rules and bad files.

#include "resources/Image.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zel;
using zeltest::RGBA;

namespace {

std::unique_ptr<Image> load(const std::string& path, std::string* output = nullptr, bool key = false,
                            int r = 0, int g = 0, int b = 0) {
    std::unique_ptr<Image> image;
    const std::string out =
        zeltest::captureStdout([&] { image = std::make_unique<Image>(path, key, r, g, b); });
    if (output)
        *output = out;
    return image;
}

std::string decodeFailure(const std::string& path) {
    return "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + path + ">.\n";
}

// The image holds exactly these pixels, with or without their alpha.
void expectPixels(const Image& image, const std::vector<RGBA>& pixels, bool withAlpha) {
    ASSERT_EQ(image.format, withAlpha ? ImageFormat::RGBA : ImageFormat::RGB);
    ASSERT_EQ(image.width * image.height, static_cast<int>(pixels.size()));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const unsigned char* p = image.data.get() + i * (withAlpha ? 4 : 3);
        const RGBA expected = pixels[i];
        ASSERT_TRUE(p[0] == expected.r && p[1] == expected.g && p[2] == expected.b &&
                    (!withAlpha || p[3] == expected.a))
            << "pixel " << i;
    }
}

} // namespace

TEST(ImageExtension, MissingAndUnsupportedExtensions) {
    EXPECT_EQ(Image::getExtension("a/b.c/d.tga"), "tga");
    EXPECT_EQ(Image::getExtension("name."), "");
    std::string out;
    for (const char* name : {"noextension", "file.not_found"}) {
        auto image = load(name, &out);
        EXPECT_EQ(out, std::string("[Image]: Error: Can not load file without extension. What file type? <") +
                           name + ">\n");
        EXPECT_FALSE(image->loaded);
        EXPECT_TRUE(image->fileName.empty());
    }
    // Other extensions and spellings, and a dot only in "../", fail silently.
    for (const char* name : {"picture.PNG", "picture.Jpg", "../data/textures/picture"}) {
        auto image = load(name, &out);
        EXPECT_EQ(out, "") << name;
        EXPECT_FALSE(image->loaded) << name;
        EXPECT_EQ(image->fileName, name);
    }
}

TEST(ImageDecode, BmpAndTgaAreSwappedToRgbForAnyWidthAndKeyedToRgba) {
    const std::string dir = zeltest::scratchDir("image_swap");
    // Width 5: the decoder pads 24-bit rows to 16 bytes, the image block must not.
    std::vector<RGBA> pixels = zeltest::gradient(5, 3);
    pixels[0] = {3, 2, 1, 255}; // stored blue 1, green 2, red 3
    pixels[1] = pixels[5] = {255, 0, 255, 255};
    pixels[6] = {255, 0, 254, 255}; // near the key
    zeltest::writeBMP24(dir + "/odd.BMP", 5, 3, pixels);
    zeltest::writeTGA(dir + "/odd.tga", 5, 3, 24, pixels);
    std::vector<RGBA> keyed = pixels;
    keyed[1].a = keyed[5].a = 0;
    for (const char* name : {"/odd.BMP", "/odd.tga"}) {
        SCOPED_TRACE(name);
        std::string out;
        auto image = load(dir + name, &out);
        EXPECT_EQ(out, "");
        ASSERT_TRUE(image->loaded);
        EXPECT_EQ(image->bitsPerPixel, 24);
        EXPECT_EQ(image->width, 5);
        expectPixels(*image, pixels, false);
        image = load(dir + name, nullptr, true, 255, 0, 255);
        EXPECT_EQ(image->bitsPerPixel, 32);
        expectPixels(*image, keyed, true);
    }
    // A key component outside 0..255 never matches.
    expectPixels(*load(dir + "/odd.BMP", nullptr, true, 255, 0, 511), pixels, true);

    // A 32-bit TGA keeps its own alpha, also when a colour key is asked for.
    pixels = zeltest::gradient(3, 2, 128);
    pixels[2] = {255, 0, 255, 7};
    zeltest::writeTGA(dir + "/rgba.TGA", 3, 2, 32, pixels);
    auto image = load(dir + "/rgba.TGA", nullptr, true, 255, 0, 255);
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->bitsPerPixel, 32);
    expectPixels(*image, pixels, true);
}

TEST(ImageDecode, JpegKeepsItsByteOrderAndEightBitIsUnknown) {
    const std::string dir = zeltest::scratchDir("image_jpeg");
    // Flat 16 x 16 blocks survive JPEG compression almost exactly, but for the
    // colour blended across the two pixels either side of their border.
    std::vector<RGBA> pixels(32 * 16);
    for (int i = 0; i < 32 * 16; ++i)
        pixels[i] = i % 32 < 16 ? RGBA{220, 40, 10, 255} : RGBA{20, 60, 230, 255};
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/flat.jpg", 32, 16, pixels));
    for (const char* ext : {".JPG", ".jpeg", ".JPEG"})
        std::filesystem::copy_file(dir + "/flat.jpg", dir + "/flat" + ext);
    for (const char* ext : {".jpg", ".JPG", ".jpeg", ".JPEG"}) {
        auto image = load(dir + "/flat" + ext);
        ASSERT_TRUE(image->loaded) << ext;
        ASSERT_EQ(image->format, ImageFormat::RGB);
        for (int i = 0; i < 32 * 16; ++i) {
            if (i % 32 >= 14 && i % 32 < 18)
                continue;
            const unsigned char* p = image->data.get() + i * 3;
            ASSERT_TRUE(std::abs(p[0] - pixels[i].r) <= 3 && std::abs(p[1] - pixels[i].g) <= 3 &&
                        std::abs(p[2] - pixels[i].b) <= 3)
                << ext << " pixel " << i;
        }
    }

    const std::vector<unsigned char> indices = {1, 2, 3, 255, 0, 7, 9, 11, 200, 201};
    zeltest::writeBMP8(dir + "/grey.bmp", 5, 2, indices);
    std::string out;
    auto image = load(dir + "/grey.bmp", &out, true, 0, 0, 0);
    EXPECT_EQ(out, "[Image]: Warning: Unknown pixeltype!\n");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(image->format, ImageFormat::UNKNOWN);
    EXPECT_EQ(image->bitsPerPixel, 8);
    EXPECT_EQ(std::vector<unsigned char>(image->data.get(), image->data.get() + 10), indices);
}

TEST(ImageBadInput, EveryFailureReportsAndLoadsNothing) {
    const std::string dir = zeltest::scratchDir("image_bad");
    zeltest::writeBMP24(dir + "/good.bmp", 8, 8, zeltest::gradient(8, 8));
    const std::vector<unsigned char> bmp = zeltest::readBytes(dir + "/good.bmp");
    zeltest::writeTGA(dir + "/good.tga", 8, 8, 24, zeltest::gradient(8, 8));
    const std::vector<unsigned char> tga = zeltest::readBytes(dir + "/good.tga");
    // Run-length TGA, 2 x 2: a run of two pixels, then a raw packet of two.
    std::vector<unsigned char> rle = {0, 0,  10,   0,    0, 0, 0, 0,    0,  0,  0,  0,  2,  0, 2,
                                      0, 24, 0x20, 0x81, 1, 2, 3, 0x01, 10, 20, 30, 40, 50, 60};
    zeltest::writeBytes(dir + "/rle.tga", rle);
    auto image = load(dir + "/rle.tga");
    ASSERT_TRUE(image->loaded);
    EXPECT_EQ(std::vector<unsigned char>(image->data.get(), image->data.get() + 12),
              std::vector<unsigned char>({3, 2, 1, 3, 2, 1, 30, 20, 10, 60, 50, 40}));

    auto cut = [&](const std::string& name, const std::vector<unsigned char>& bytes, std::size_t size) {
        zeltest::writeBytes(dir + name, std::vector<unsigned char>(bytes.begin(), bytes.begin() + size));
        return name;
    };
    std::vector<unsigned char> noise(500);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>((i * 7919 + 13) % 251);
    const std::vector<unsigned char> jpegHeader = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F',
                                                   0,    1,    1,    0,    0, 1,  0,   1,   0,   0};
    std::filesystem::create_directory(dir + "/folder.bmp");
    std::filesystem::create_directory(dir + "/folder.tga");
    for (const std::string& name :
         {cut("/empty.bmp", bmp, 0), cut("/empty.tga", tga, 0), cut("/empty.jpg", bmp, 0),
          cut("/cut.bmp", bmp, 100), cut("/header.bmp", bmp, 54), cut("/cut.tga", tga, 40),
          cut("/cut_rle.tga", rle, rle.size() - 1), cut("/cut_run.tga", rle, rle.size() - 7),
          cut("/noise.jpg", noise, noise.size()), cut("/header.jpg", jpegHeader, jpegHeader.size()),
          cut("/jpeg.tga", jpegHeader, jpegHeader.size()), std::string("/folder.bmp"),
          std::string("/folder.tga")}) {
        std::string out;
        image = load(dir + name, &out);
        EXPECT_EQ(out, decodeFailure(dir + name)) << name;
        EXPECT_FALSE(image->loaded) << name;
        EXPECT_EQ(image->data, nullptr) << name;
    }
    std::string out;
    EXPECT_FALSE(load(dir + "/missing.bmp", &out)->loaded);
    EXPECT_EQ(out, "[Image]: Error: Could not open file.\n[Image]: Error: Could not load image <" + dir +
                       "/missing.bmp>.\n");
}
