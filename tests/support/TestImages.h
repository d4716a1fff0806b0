#pragma once
// Small image files with known pixels for the resource tests, written with the
// asset generator's writers (the paletted BMP byte by byte). Pixels are given top
// row first, in R, G, B(, A) order.

#include <cstdint>
#include <string>
#include <vector>

namespace zeltest {

struct RGBA {
    unsigned char r, g, b, a;
};

// 24-bit uncompressed BMP (rows bottom-up, padded to 4 bytes, stored B, G, R).
void writeBMP24(const std::string& path, int width, int height, const std::vector<RGBA>& pixels);

// 8-bit paletted BMP with a grey palette; pixels are palette indices.
void writeBMP8(const std::string& path, int width, int height, const std::vector<unsigned char>& indices);

// Uncompressed true-colour TGA of 24 or 32 bits, top-left origin (stored B, G, R(, A)).
void writeTGA(const std::string& path, int width, int height, int bits, const std::vector<RGBA>& pixels);

// Baseline JPEG at quality 100. Returns false when the file cannot be created.
bool writeJPEG(const std::string& path, int width, int height, const std::vector<RGBA>& pixels);

// Raw bytes.
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> readBytes(const std::string& path);

// A width x height image where pixel (x, y) has a colour that depends on both.
std::vector<RGBA> gradient(int width, int height, unsigned char alpha = 255);

} // namespace zeltest
