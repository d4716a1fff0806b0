#pragma once
// Writes every texture the demo reads into RUN_DIR/data/textures/: the fallback
// "default.jpg", the font, both six-face cubes (sky box and water reflection),
// the water and fire noise, the heightmap, grass, the particle sprite and the
// village's material textures. The asset generator's main calls writeAll.

#include <string>
#include <vector>

namespace assetgen {

class TextureSet {
public:
    // File names written, relative to the texture folder, in writing order.
    static std::vector<std::string> fileNames();

    // The texture folder for a run folder: runDir + "/data/textures/".
    static std::string textureDir(const std::string& runDir);

    // Creates the folder and writes every texture; false (with messages on
    // stderr) when any file cannot be written.
    static bool writeAll(const std::string& runDir);
};

} // namespace assetgen
