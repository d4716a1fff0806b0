#pragma once
// Writes a Raster as an uncompressed TGA, a 24-bit BMP or a baseline JPEG file,
// byte for byte the same on every run. Used by the texture generator.
// All writers return false (after printing the reason to stderr) when the file
// cannot be written.

#include "assetgen/Raster.h"

#include <string>
#include <vector>

namespace assetgen {

class ImageWriter {
public:
    // Uncompressed true-colour TGA: 24 bits for an RGB raster, 32 bits with an
    // 8-bit alpha channel for an RGBA one. topLeftOrigin stores rows top first
    // (descriptor bit 5); otherwise rows are stored bottom first. Both load upright.
    static bool writeTga(const std::string& path, const Raster& raster, bool topLeftOrigin = true);

    // 24-bit BI_RGB BMP, rows bottom first, each padded to a multiple of 4 bytes.
    // An RGBA raster loses its alpha.
    static bool writeBmp(const std::string& path, const Raster& raster);

    // Baseline JPEG through libjpeg at the given quality (1..100); alpha is dropped.
    static bool writeJpeg(const std::string& path, const Raster& raster, int quality = 92);

    // The encoders behind the writers, for callers that want the bytes.
    static std::vector<uint8_t> encodeTga(const Raster& raster, bool topLeftOrigin);
    static std::vector<uint8_t> encodeBmp(const Raster& raster);
    // Returns an empty vector when libjpeg reports an error.
    static std::vector<uint8_t> encodeJpeg(const Raster& raster, int quality);

    // Writes bytes to path; false (with a message on stderr) on failure.
    static bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
};

} // namespace assetgen
