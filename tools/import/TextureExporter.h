#pragma once
// Writes the textures an imported model needs into one texture folder, in a
// form the engine's image loader reads: opaque pictures as JPEG, pictures with
// transparent pixels as 32-bit TGA, one-colour stand-ins as small BMP files.
// Sources are image files beside the model (any format SDL_image decodes) or
// pictures embedded in the model. The importer tool uses it.
//
// Reading is confined: a texture path is looked up inside the model's folder
// only (a path leading elsewhere, or an absolute one, falls back to its bare
// file name in that folder), source files and pictures are bounded in size,
// and every written file lies in the output folder under a name made of the
// model's name and the source's name in safe characters.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "assetgen/Raster.h"

struct aiScene;

namespace zelimport {

class TextureExporter {
public:
    // Source files and embedded pictures larger than this are not read.
    static constexpr std::size_t MAX_SOURCE_BYTES = std::size_t(64) << 20;
    // Pictures wider or taller than this are not decoded.
    static constexpr int MAX_DIMENSION = 8192;

    // inputDir: the model's folder; outputDir: where textures go (must exist);
    // prefix: put in front of every written file name (the model's name).
    TextureExporter(const aiScene& scene, std::string inputDir, std::string outputDir, std::string prefix);

    // Writes the texture the model names by path ("*N" or a name Assimp knows
    // as embedded for a picture inside the model). Returns the written file
    // name, or an empty string with the reason in reason. The same path is
    // written once.
    std::string exportTexture(const std::string& path, std::string& reason);
    // Writes (once per colour) an 8 x 8 BMP of one colour; empty with a reason on failure.
    std::string exportColour(const unsigned char rgb[3], std::string& reason);

    // The file names written so far, in order.
    const std::vector<std::string>& written() const { return written_; }

    // The file inside inputDir that a model's texture path means, or an empty
    // string with the reason. Backslashes count as separators.
    static std::string resolve(const std::string& inputDir, const std::string& path, std::string& reason);
    // Width and height from the header of a PNG, JPEG, BMP, GIF or TGA picture
    // (typeHint: the upper-case extension, needed for TGA which has no magic).
    // False when the header is not one of those or is cut short.
    static bool peekSize(const std::vector<uint8_t>& bytes, const std::string& typeHint, int& width, int& height);
    // Decodes a picture through SDL_image into an RGBA raster; false with a reason.
    static bool decode(const std::vector<uint8_t>& bytes, const std::string& typeHint, assetgen::Raster& out,
                       std::string& reason);

private:
    std::string writeRaster(const assetgen::Raster& raster, const std::string& stem, std::string& reason);
    std::string uniqueName(const std::string& stem, const std::string& extension);

    const aiScene& scene_;
    std::string inputDir_;
    std::string outputDir_;
    std::string prefix_;
    std::map<std::string, std::string> byPath_;
    std::vector<std::string> written_;
};

} // namespace zelimport
