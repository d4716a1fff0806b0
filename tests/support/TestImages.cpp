#include "support/TestImages.h"

#include "assetgen/ImageWriter.h"

#include <fstream>
#include <iterator>

namespace zeltest {

namespace {

assetgen::Raster toRaster(int width, int height, int channels, const std::vector<RGBA>& pixels) {
    assetgen::Raster raster(width, height, channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RGBA& p = pixels[y * width + x];
            raster.setBytes(x, y, p.r, p.g, p.b, p.a);
        }
    return raster;
}

} // namespace

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    assetgen::ImageWriter::writeFile(path, bytes);
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeBMP24(const std::string& path, int width, int height, const std::vector<RGBA>& pixels) {
    assetgen::ImageWriter::writeBmp(path, toRaster(width, height, 3, pixels));
}

void writeBMP8(const std::string& path, int width, int height, const std::vector<unsigned char>& indices) {
    // The generator writes no paletted images, so this one is put together here.
    const std::uint32_t rowSize = (width + 3) & ~3, offset = 14 + 40 + 256 * 4, size = rowSize * height;
    std::vector<unsigned char> out = {'B', 'M'};
    auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back((value >> (8 * i)) & 0xFF);
    };
    for (std::uint32_t v : {offset + size, 0u, offset, 40u, std::uint32_t(width), std::uint32_t(height)})
        put(v, 4);
    put(1, 2); // planes
    put(8, 2); // bits per pixel
    // Uncompressed, the pixel bytes, 72 dpi both ways, the palette size; then a grey palette.
    for (std::uint32_t v : {0u, size, 2835u, 2835u, 256u, 0u})
        put(v, 4);
    for (std::uint32_t i = 0; i < 256; ++i)
        put(i * 0x010101u, 4);
    for (int y = height - 1; y >= 0; --y)
        for (std::uint32_t x = 0; x < rowSize; ++x)
            out.push_back(x < std::uint32_t(width) ? indices[y * width + x] : 0);
    writeBytes(path, out);
}

void writeTGA(const std::string& path, int width, int height, int bits, const std::vector<RGBA>& pixels) {
    assetgen::ImageWriter::writeTga(path, toRaster(width, height, bits / 8, pixels), true);
}

bool writeJPEG(const std::string& path, int width, int height, const std::vector<RGBA>& pixels) {
    return assetgen::ImageWriter::writeJpeg(path, toRaster(width, height, 3, pixels), 100);
}

std::vector<RGBA> gradient(int width, int height, unsigned char alpha) {
    std::vector<RGBA> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back({static_cast<unsigned char>(10 + x * 20),
                              static_cast<unsigned char>(15 + y * 30),
                              static_cast<unsigned char>(200 - x * 7 - y * 5), alpha});
    return pixels;
}

} // namespace zeltest
