#include "assetgen/Catalogue.h"

#include "assetgen/ImageWriter.h"

#include <sstream>

namespace assetgen {

namespace {

CatalogueEntry entry(const std::string& fileName, const std::string& minFilter,
                     const std::string& magFilter, const std::string& wrapS,
                     const std::string& wrapT) {
    CatalogueEntry e;
    e.fileName = fileName;
    e.minFilter = minFilter;
    e.magFilter = magFilter;
    e.wrapS = wrapS;
    e.wrapT = wrapT;
    return e;
}

CatalogueEntry keyed(CatalogueEntry e, int r, int g, int b) {
    e.alpha = true;
    e.keyRed = r;
    e.keyGreen = g;
    e.keyBlue = b;
    return e;
}

std::vector<CatalogueEntry> buildEntries() {
    const std::string TRILINEAR = "linear_mipmap_linear";
    // Bilinear within the nearer mipmap level: half the texel reads of
    // trilinear filtering on the surfaces that fill most of the screen (the
    // ground and the village), which a software rasteriser feels as about a
    // millisecond and a half per frame; the step between levels hardly shows
    // on these busy, noisy materials.
    const std::string BILINEAR_MIPMAPPED = "linear_mipmap_nearest";
    return {
        // Overlay font: the black background is the colour key. The font is looked
        // up without mipmaps, so its filter must not need them.
        keyed(entry("font.bmp", "linear", "linear", "clamp", "clamp"), 0, 0, 0),
        // Sprites and particles carry their own alpha channel; the flag makes the
        // sprites blend. Clamped so the soft edge never wraps around.
        keyed(entry("waterparticle_0.tga", TRILINEAR, "linear", "clamp", "clamp"), 0, 0, 0),
        // Ground and water detail repeat across large areas.
        entry("gras_4_dl.tga", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("noise_0.jpg", TRILINEAR, "linear", "repeat", "repeat"),
        // Fire: the colour ramp and the flame mask are lookups read once across the
        // sprite, so plain linear filtering and clamping; the distortion noise scrolls.
        entry("firecolor.jpg", "linear", "linear", "clamp", "clamp"),
        entry("firemask.bmp", "linear", "linear", "clamp", "clamp"),
        entry("firenoise.jpg", "", "", "repeat", "repeat"),
        // Village materials.
        entry("stone_wall.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("plaster.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("timber.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("roof_tiles.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("door.jpg", "linear_mipmap_nearest", "linear", "clamp", "clamp"),
        entry("window.jpg", "linear_mipmap_nearest", "linear", "clamp", "clamp"),
        entry("cobbles.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("well_stone.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("fountain_water.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        entry("wood.jpg", BILINEAR_MIPMAPPED, "linear", "repeat", "repeat"),
        // The fallback texture shows its checker crisply even when magnified.
        entry("default.jpg", "nearest_mipmap_linear", "nearest", "repeat", "repeat"),
    };
}

} // namespace

const std::vector<CatalogueEntry>& Catalogue::entries() {
    static const std::vector<CatalogueEntry> list = buildEntries();
    return list;
}

const CatalogueEntry* Catalogue::find(const std::string& fileName) {
    for (const CatalogueEntry& e : entries())
        if (e.fileName == fileName) return &e;
    return nullptr;
}

std::string Catalogue::xml() {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out << "<!-- Texture catalogue: filtering, wrapping and colour-key transparency per\n"
           "     file in data/textures/. Files without an entry get trilinear mipmapped\n"
           "     filtering, repeat wrapping and no colour key. -->\n";
    out << "<textures>\n";
    for (const CatalogueEntry& e : entries()) {
        out << "  <texture>\n";
        out << "    <filename>" << e.fileName << "</filename>\n";
        out << "    <alpha enabled=\"" << (e.alpha ? "true" : "false") << "\">";
        out << "<alphablend red=\"" << e.keyRed << "\" green=\"" << e.keyGreen << "\" blue=\""
            << e.keyBlue << "\"/></alpha>\n";
        if (e.minFilter.empty() && e.magFilter.empty()) {
            out << "    <filter/>\n";
        } else {
            out << "    <filter minfilter=\"" << e.minFilter << "\" magfilter=\"" << e.magFilter
                << "\"/>\n";
        }
        out << "    <wrap s=\"" << e.wrapS << "\" t=\"" << e.wrapT << "\"/>\n";
        out << "  </texture>\n";
    }
    out << "</textures>\n";
    return out.str();
}

bool Catalogue::write(const std::string& runDir) {
    const std::string text = xml();
    return ImageWriter::writeFile(runDir + "/textures.xml",
                                  std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace assetgen
