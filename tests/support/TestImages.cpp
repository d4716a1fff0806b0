#include "support/TestImages.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <jpeglib.h>

namespace zeltest {

namespace {

void put16(std::vector<unsigned char>& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(std::vector<unsigned char>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::vector<unsigned char> bmpHeader(int width, int height, int bits, int paletteEntries, int rowSize) {
    std::vector<unsigned char> out = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + paletteEntries * 4;
    const std::uint32_t size = rowSize * height;
    for (std::uint32_t v : {offset + size, 0u, offset, 40u, std::uint32_t(width), std::uint32_t(height)})
        put32(out, v);
    put16(out, 1);
    put16(out, bits);
    // Uncompressed, the pixel bytes, 72 dpi both ways, the palette size.
    for (std::uint32_t v : {0u, size, 2835u, 2835u, std::uint32_t(paletteEntries), 0u})
        put32(out, v);
    return out;
}

} // namespace

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeBMP24(const std::string& path, int width, int height, const std::vector<RGBA>& pixels) {
    const int rowSize = (width * 3 + 3) & ~3;
    std::vector<unsigned char> out = bmpHeader(width, height, 24, 0, rowSize);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const RGBA& p = pixels[y * width + x];
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (int pad = width * 3; pad < rowSize; ++pad)
            out.push_back(0);
    }
    writeBytes(path, out);
}

void writeBMP8(const std::string& path, int width, int height, const std::vector<unsigned char>& indices) {
    const int rowSize = (width + 3) & ~3;
    std::vector<unsigned char> out = bmpHeader(width, height, 8, 256, rowSize);
    for (int i = 0; i < 256; ++i)
        out.insert(out.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            out.push_back(indices[y * width + x]);
        for (int pad = width; pad < rowSize; ++pad)
            out.push_back(0);
    }
    writeBytes(path, out);
}

void writeTGA(const std::string& path, int width, int height, int bits, const std::vector<RGBA>& pixels) {
    // No image id, no colour map, uncompressed true colour, origin (0, 0).
    std::vector<unsigned char> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(out, width);
    put16(out, height);
    out.push_back(bits);
    out.push_back(0x20 | (bits == 32 ? 8 : 0)); // top-left origin, alpha bits
    for (const RGBA& p : pixels) {
        out.push_back(p.b);
        out.push_back(p.g);
        out.push_back(p.r);
        if (bits == 32)
            out.push_back(p.a);
    }
    writeBytes(path, out);
}

bool writeJPEG(const std::string& path, int width, int height, const std::vector<RGBA>& pixels) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const RGBA& p = pixels[y * width + x];
            row[x * 3] = p.r;
            row[x * 3 + 1] = p.g;
            row[x * 3 + 2] = p.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    fclose(file);
    return true;
}

std::vector<RGBA> gradient(int width, int height, unsigned char alpha) {
    std::vector<RGBA> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back({static_cast<unsigned char>(10 + x * 20),
                              static_cast<unsigned char>(15 + y * 30),
                              static_cast<unsigned char>(200 - x * 7 - y * 5), alpha});
        }
    }
    return pixels;
}

} // namespace zeltest
