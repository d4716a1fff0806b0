#pragma once
// Paints the textures of the engine's effects and fallbacks: the "missing
// texture" checker, the tileable water and fire noise, the fire's colour ramp and
// flame mask, the glowing droplet sprite of the particles and night lights, and
// the overlay's bitmap font. Each returns a Raster; TextureSet writes them.

#include "assetgen/Raster.h"

namespace assetgen {

class EffectPainter {
public:
    // Magenta/black checker with a white disc holding a black question mark.
    static Raster missingTexture(int size);
    // Three independent tileable fractal noise fields in R, G and B (mean about
    // 0.5), for the water's wave and distortion lookups.
    static Raster waterNoise(int size);
    // Tileable billowy grey turbulence.
    static Raster fireNoise(int size);
    // Flame colour ramp along x: black at s = 0 through dark red, orange and
    // yellow to white at s = 1; constant along y.
    static Raster fireColourRamp(int width, int height);
    // Soft white teardrop flame on black, tip at the top of the image (t = 0).
    static Raster flameMask(int size);
    // RGBA: a soft, round, glowing white droplet fading out in its alpha channel.
    static Raster glowDroplet(int size);

    // The overlay font: 16 x 16 cells of 16 x 16 pixels, cell k (row k / 16 from
    // the top, column k % 16) holds character 32 + k. Glyphs are white with a dark
    // outline on the key colour, which nothing else in the image uses.
    // Returns an empty raster when the font cannot be opened.
    static Raster fontAtlas(int keyRed, int keyGreen, int keyBlue);
    static constexpr int FONT_CELL = 16;
};

} // namespace assetgen
