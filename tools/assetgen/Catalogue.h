#pragma once
// The texture catalogue RUN_DIR/textures.xml: per texture file, its filtering,
// wrap modes, mipmaps and colour-key transparency. The entries here are the
// single source of truth; write() serialises them and the tools tests check the
// written file against the textures (for example the font's key colour).

#include <string>
#include <vector>

namespace assetgen {

struct CatalogueEntry {
    std::string fileName;
    // Colour-key transparency ("alpha enabled") and the key colour.
    bool alpha = false;
    int keyRed = 0, keyGreen = 0, keyBlue = 0;
    // "linear", "nearest" or one of the four "*_mipmap_*" names; an empty
    // minFilter writes a bare <filter/> (trilinear with mipmaps).
    std::string minFilter;
    std::string magFilter;
    // "repeat" or "clamp".
    std::string wrapS = "repeat";
    std::string wrapT = "repeat";
};

class Catalogue {
public:
    // The entries in file order.
    static const std::vector<CatalogueEntry>& entries();
    // The entry for a file name, or null.
    static const CatalogueEntry* find(const std::string& fileName);

    // The catalogue as XML text.
    static std::string xml();
    // Writes runDir + "/textures.xml"; false (with a message on stderr) on failure.
    static bool write(const std::string& runDir);
};

} // namespace assetgen
