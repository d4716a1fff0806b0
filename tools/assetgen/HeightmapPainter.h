#pragma once
// The terrain's heightmap: an island with a flat plateau for the walled village
// around the world origin, gentle hills around it and shores that fall below the
// sea well before the edges. Grey level g stands for height -20 + 0.1 g on a
// terrain of 800 x 800 units whose corner is at (-400, -400); the terrain reads
// the first byte of 4-byte pixels, so the map is written as 32-bit grey RGBA.

#include "assetgen/Raster.h"

namespace assetgen {

class HeightmapPainter {
public:
    static constexpr int PLATEAU_GREY = 185;  // height -1.5
    static constexpr int SEA_GREY = 100;      // height -10, the water level
    // Half-width of the square-ish flat area around the origin, in world units.
    static constexpr float PLATEAU_HALF_SIZE = 62.0f;

    // Grey level (0..255, unrounded) at world position (x, z).
    static float greyAt(float x, float z);
    // The heightmap image, size x size pixels, RGBA with R = G = B = grey, A = 255.
    // Pixel (px, pz) holds the height at world x = -400 + px * 800 / size (and
    // likewise z), the point the terrain's grid samples it for.
    static Raster paint(int size);
};

} // namespace assetgen
