#include "common/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace zeltools {

bool writePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgbBottomUp) {
    if (width <= 0 || height <= 0 ||
        rgbBottomUp.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file)
        return false;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // A negative row stride hands libpng the rows bottom to top.
    const auto stride = -static_cast<png_int_32>(width * 3);
    const bool written =
        png_image_write_to_stdio(&image, file.get(), 0, rgbBottomUp.data(), stride, nullptr) != 0;
    png_image_free(&image);
    return written && std::fflush(file.get()) == 0;
}

} // namespace zeltools
