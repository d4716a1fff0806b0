// Loading files: the data-file reader every loader goes through (pipes, devices and oversized files end
// at once with a status and each loader's diagnostic), and image decoding: byte order per file type,
// colour key, extension rules, and bad files (cut, other content, headers claiming huge sizes, fuzzer
// finds), which fail with the loader's two lines.

#include "resources/Image.h"
#include "resources/DataFile.h"
#include "resources/GPUProgram.h"
#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

using namespace zel;
using zeltest::RGBA;
using Bytes = std::vector<unsigned char>;

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

// The bytes of these pixels, with or without their alpha.
Bytes bytesOf(const std::vector<RGBA>& pixels, bool withAlpha) {
    Bytes bytes;
    for (const RGBA& p : pixels) {
        bytes.insert(bytes.end(), {p.r, p.g, p.b});
        if (withAlpha)
            bytes.push_back(p.a);
    }
    return bytes;
}

// Run-length TGA, 2 x 2: a run of two pixels, then a raw packet of two.
const Bytes RLE = {0, 0,  10,   0,    0, 0, 0, 0,    0,  0,  0,  0,  2,  0, 2,
                   0, 24, 0x20, 0x81, 1, 2, 3, 0x01, 10, 20, 30, 40, 50, 60};

Bytes head(const Bytes& bytes, std::size_t size) {
    return Bytes(bytes.begin(), bytes.begin() + size);
}

// A BMP with the width and height fields of its header replaced.
Bytes withBmpSize(Bytes bmp, std::uint32_t width, std::uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        bmp[18 + i] = (width >> (8 * i)) & 0xFF;
        bmp[22 + i] = (height >> (8 * i)) & 0xFF;
    }
    return bmp;
}

} // namespace

TEST(ImageExtension, MissingAndUnsupportedExtensions) {
    EXPECT_EQ(Image::getExtension("a/b.c/d.tga"), "tga");
    EXPECT_EQ(Image::getExtension("name."), "");
    // The first two have no extension; other extensions and spellings, and a dot only in "../",
    // fail silently.
    const char* names[] = {"noextension", "file.not_found", "picture.PNG", "picture.Jpg",
                           "../data/textures/picture"};
    for (int i = 0; i < 5; ++i) {
        std::string out;
        EXPECT_FALSE(load(names[i], &out)->loaded) << names[i];
        EXPECT_EQ(out, i >= 2 ? ""
                              : "[Image]: Error: Can not load file without extension. What file type? <" +
                                    std::string(names[i]) + ">\n");
    }
}

TEST(ImageDecode, BmpAndTgaAreSwappedToRgbForAnyWidthAndKeyedToRgba) {
    const std::string dir = zeltest::scratchDir("image_swap");
    // Width 5: the decoder pads 24-bit rows to 16 bytes, the image block must not.
    std::vector<RGBA> pixels = zeltest::gradient(5, 3);
    pixels[0] = {3, 2, 1, 255}; // stored blue 1, green 2, red 3
    pixels[1] = pixels[5] = {255, 0, 255, 255};
    pixels[6] = {255, 0, 254, 255}; // near the key
    std::vector<RGBA> keyed = pixels;
    keyed[1].a = keyed[5].a = 0;
    std::vector<RGBA> rgba = zeltest::gradient(3, 2, 128);
    rgba[2] = {255, 0, 255, 7};
    zeltest::writeBMP24(dir + "/odd.BMP", 5, 3, pixels);
    zeltest::writeTGA(dir + "/odd.tga", 5, 3, 24, pixels);
    zeltest::writeTGA(dir + "/rgba.TGA", 3, 2, 32, rgba);
    zeltest::writeBytes(dir + "/rle.tga", RLE);
    const struct {
        const char* name;
        int keyBlue; // the key is (255, 0, keyBlue); none when negative
        std::vector<RGBA> pixels;
        int bits;
    } cases[] = {
        {"/odd.BMP", -1, pixels, 24},
        {"/odd.tga", -1, pixels, 24},
        {"/odd.BMP", 255, keyed, 32},
        {"/odd.BMP", 511, pixels, 32}, // a key component outside 0..255 never matches
        {"/rgba.TGA", 255, rgba, 32},  // a 32-bit TGA keeps its own alpha, also when keyed
        {"/rle.tga", -1, {{3, 2, 1, 255}, {3, 2, 1, 255}, {30, 20, 10, 255}, {60, 50, 40, 255}}, 24},
    };
    for (const auto& c : cases) {
        std::string out;
        auto image = load(dir + c.name, &out, c.keyBlue >= 0, 255, 0, c.keyBlue);
        EXPECT_EQ(out, "") << c.name;
        ASSERT_EQ(image->width * image->height, static_cast<int>(c.pixels.size())) << c.name;
        EXPECT_EQ(image->bitsPerPixel, c.bits) << c.name;
        EXPECT_EQ(image->format, c.bits == 32 ? ImageFormat::RGBA : ImageFormat::RGB) << c.name;
        const Bytes expected = bytesOf(c.pixels, c.bits == 32);
        EXPECT_EQ(Bytes(image->data.get(), image->data.get() + expected.size()), expected) << c.name;
    }
}

TEST(ImageBadInput, EveryBadFileReportsAndLoadsNothing) {
    const std::string dir = zeltest::scratchDir("image_bad");
    zeltest::writeBMP24(dir + "/good.bmp", 8, 8, zeltest::gradient(8, 8));
    const Bytes bmp = zeltest::readBytes(dir + "/good.bmp");
    zeltest::writeTGA(dir + "/good.tga", 8, 8, 24, zeltest::gradient(8, 8));
    const Bytes tga = zeltest::readBytes(dir + "/good.tga");
    const Bytes jpegHeader = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F',
                              0,    1,    1,    0,    0, 1,  0,   1,   0,   0};
    const struct {
        const char* name;
        Bytes bytes;
        bool empty = false; // loads, silently, with no pixels
    } files[] = {
        {"/empty.tga", {}},
        {"/cut.bmp", head(bmp, 100)},
        {"/cut.tga", head(tga, 40)},
        {"/cut_rle.tga", head(RLE, RLE.size() - 1)},
        {"/cut_run.tga", head(RLE, RLE.size() - 7)},
        {"/header.jpg", jpegHeader},
        {"/jpeg.tga", jpegHeader},
        // Content the general decoder would take under a .jpg name: GIF, and a PNG whose claimed
        // 100000 x 100000 must be refused like the formats' own headers.
        {"/gif.jpg", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0,   0, 0, ',', 0,
                      0,   0,   0,   1,   0,   1,   0, 0, 2, 2, 'D', 1, 0, ';'}},
        {"/png.jpg", {0x89, 'P',  'N',  'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,
                      1,    0x86, 0xA0, 0,   1,    0x86, 0xA0, 8,    2, 0, 0, 0,  0,   0,   0,   0}},
        // 100000 x 1 (each side alone is over the limit), and 100000 x 100000 with top-down rows.
        {"/wide.bmp", withBmpSize(bmp, 100000, 1)},
        {"/topdown.bmp", withBmpSize(bmp, 100000, static_cast<std::uint32_t>(-100000))},
        // 16384 x 16384 is within each side's limit but over the pixel count.
        {"/square.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x40, 0x00, 0x40, 24, 0}},
        // A JPEG frame header claiming 65500 x 65500 after an application segment.
        {"/huge.jpg",
         {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, 0x11, 8, 0xFF, 0xDC, 0xFF, 0xDC, 3, 1, 0x11, 0}},
        // Found by fuzzing (fuzz/ImageFuzzer.cpp): the decoder gives a surface without pixel memory,
        // and nothing may be copied from it (a null source even for zero bytes is a fault the
        // sanitizer build stops on). Run-length 0 x 1 at 32 bits with a two-byte id field, 0 x 3, 3 x 0.
        {"/zero_width.TGA",
         {0x02, 0, 0x0a, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0x20, 0x08, 0x84, 0, 0, 0xff},
         true},
        {"/zero_width.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 24, 0x20}, true},
        {"/zero_height.tga", {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 24, 0x20}, true},
    };
    // (Pipes and folders, which fail the same way, are the data-file test's; missing files the registry's.)
    const auto start = std::chrono::steady_clock::now();
    for (const auto& file : files) {
        zeltest::writeBytes(dir + file.name, file.bytes);
        std::string out;
        auto image = load(dir + file.name, &out, true, 255, 0, 255);
        EXPECT_EQ(out, file.empty ? "" : decodeFailure(dir + file.name)) << file.name;
        EXPECT_EQ(image->loaded, file.empty) << file.name;
        EXPECT_EQ(image->width * image->height, 0) << file.name;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ImageBudget, ImagesAreRefusedByPixelCountAndByTheLiveTotal) {
    const std::string dir = zeltest::scratchDir("image_budget");
    // Any shape within the pixel count loads.
    zeltest::writeBMP24(dir + "/tall.bmp", 1, 20000, std::vector<RGBA>(20000, {1, 2, 3, 255}));
    EXPECT_EQ(load(dir + "/tall.bmp")->height, 20000);
    // An 8 x 8 JPEG whose header claims 4096 x 4096 (the decoder fills what the
    // data lacks) loads until the live total would pass MAX_TOTAL_PIXELS.
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/claim.jpg", 8, 8, zeltest::gradient(8, 8)));
    Bytes jpeg = zeltest::readBytes(dir + "/claim.jpg");
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = jpeg[i + 7] = 0x10, jpeg[i + 6] = jpeg[i + 8] = 0x00;
            break;
        }
    }
    zeltest::writeBytes(dir + "/claim.jpg", jpeg);
    std::vector<std::unique_ptr<Image>> kept;
    std::string err;
    while (kept.size() < 8 && err.empty()) {
        const bool room = Image::getLivePixels() + 4096 * 4096 <= Image::MAX_TOTAL_PIXELS;
        err = zeltest::captureStderr([&] { kept.push_back(load(dir + "/claim.jpg")); });
        ASSERT_EQ(kept.back()->loaded, room);
    }
    EXPECT_EQ(err, "ERROR: [Image] " + dir +
                       "/claim.jpg: 4096 x 4096 pixels would take the images loaded past 33554432 pixels.\n");
    kept.clear();
    EXPECT_TRUE(load(dir + "/claim.jpg")->loaded);
}

TEST(DataFile, PipesDevicesAndOversizedFilesAreNeverRead) {
    const std::string dir = zeltest::scratchDir("data_file");
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
    for (const char* name : {"/pipe.jpg", "/pipe.xml"})
        ASSERT_EQ(symlink("pipe", (dir + name).c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.txt").c_str()), 0);
    const std::string ten = zeltest::writeFile(dir, "ten.txt", "0123456789");
    const auto start = std::chrono::steady_clock::now();
    std::string bytes = "old";
    EXPECT_EQ(readDataFile(dir, 100, bytes),
              DataFileStatus::NOT_REGULAR); // pipes and devices: the loaders below
    EXPECT_EQ(readDataFile(dir + "/none", 100, bytes), DataFileStatus::MISSING);
    EXPECT_EQ(readDataFile(ten, 9, bytes), DataFileStatus::TOO_LARGE);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(readDataFile(ten, 10, bytes), DataFileStatus::OK);
    EXPECT_EQ(bytes, "0123456789");
    // Every loader on the pipe and the endless device: refused, not blocked.
    std::string out;
    const std::string err = zeltest::captureStderr([&] {
        out = zeltest::captureStdout([&] {
            EXPECT_FALSE(Image(dir + "/pipe.jpg", false, 0, 0, 0).loaded);
            EXPECT_TRUE(TextureResourceFile(dir + "/pipe.xml").getEntries().empty());
        });
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/zero.txt"), "");
    });
    EXPECT_EQ(out, "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + dir +
                       "/pipe.jpg>.\nINFO: [TextureResourceFile] TextureResourceFile loaded.\n");
    const std::string notRegular = " is not a regular file (at most ";
    EXPECT_EQ(err, "ERROR: [Image] " + dir + "/pipe.jpg" + notRegular +
                       "67108864 bytes of a regular file).\nERROR: [TextureResourceFile] " + dir +
                       "/pipe.xml is not a regular file; it is not read.\nERROR: [GPUProgram] " + dir +
                       "/zero.txt" + notRegular + "1048576 bytes of a regular file); the source is empty.\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DataFile, ContainedNames) {
    for (const char* name : {"a.jpg", "sub/a.jpg", "..a.jpg", "a..jpg", ""})
        EXPECT_TRUE(isContainedName(name)) << name;
    for (const char* name : {"../a.jpg", "a/../../b.jpg", "/etc/a.jpg", "..", "a\\..\\b.jpg", "a/.."})
        EXPECT_FALSE(isContainedName(name)) << name;
}
