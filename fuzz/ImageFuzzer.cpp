// Fuzzes the image loader through SDL_image. The input's first byte chooses the
// file extension (and so the decoder: TGA, or the general one for BMP and JPEG)
// and whether a colour key is applied; the rest is written to a file with that
// extension and loaded with Image. A loaded image's pixel block is read in full
// so that a block shorter than width x height x bytes per pixel shows up.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "resources/Image.h"

namespace {

const char* const EXTENSIONS[] = {"tga", "TGA", "bmp", "BMP", "jpg", "JPG", "jpeg", "JPEG"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zelfuzz::enterScratchDirectory("image");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const std::string path = std::string("image.") + EXTENSIONS[selector & 7];
    const bool colorKey = (selector & 8) != 0;
    zelfuzz::writeFile(path, data + 1, size - 1);

    const zel::Image image(path, colorKey, 255, 0, 255);
    if (!image.loaded) {
        return 0;
    }
    if (image.width < 0 || image.height < 0 ||
        static_cast<std::int64_t>(image.width) * image.height > zel::Image::MAX_PIXELS || !image.data) {
        std::abort();
    }
    const std::size_t bytes =
        static_cast<std::size_t>(image.width) * image.height * image.getBytesPerPixel();
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        sum += image.data[i];
    }
    if (colorKey && image.bitsPerPixel == 24) {
        std::abort(); // a keyed RGB image must have become RGBA
    }
    (void)sum;
    return 0;
}
