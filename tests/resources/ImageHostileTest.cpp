// Images found by fuzzing the loader (fuzz/ImageFuzzer.cpp), kept as regression
// tests. They matter most in the sanitizer build, where the faults they caught
// stop the test process.

#include "support/TestImages.h"
#include "resources/Image.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <memory>

using namespace zel;

TEST(ImageHostile, ZeroWidthImagesCopyNoPixelsFromANullSurface) {
    const std::string dir = zeltest::scratchDir("image_hostile_zero");
    // A run-length true-colour TGA of 0 x 1 pixels at 32 bits with a two-byte
    // id field: the decoder returns a surface without pixel memory, and nothing
    // may be copied from it (a null source even for zero bytes is a fault).
    zeltest::writeBytes(dir + "/zero_width.TGA", {0x02, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                  0x00, 0x00, 0x00, 0x01, 0x00, 0x20, 0x08, 0x84, 0x00, 0x00, 0xff});
    // The same shape uncompressed, and 1 x 0.
    zeltest::writeBytes(dir + "/zero_width.tga",
                        {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 24, 0x20});
    zeltest::writeBytes(dir + "/zero_height.tga",
                        {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 24, 0x20});
    for (const char* name : {"/zero_width.TGA", "/zero_width.tga", "/zero_height.tga"}) {
        for (bool key : {false, true}) {
            std::unique_ptr<Image> image;
            zeltest::captureStdout([&] { image = std::make_unique<Image>(dir + name, key, 255, 0, 255); });
            // Either refused or an empty image; never pixels that are not there.
            if (image->loaded) {
                EXPECT_EQ(image->width * image->height, 0) << name;
            } else {
                EXPECT_EQ(image->data, nullptr) << name;
            }
        }
    }
}
