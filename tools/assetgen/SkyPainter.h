#pragma once
// The scene's surroundings as a function of view direction: a blue sky that pales
// towards a hazy horizon, an afternoon sun with its glow, soft clouds, a faint
// chain of distant islands on the horizon, and the darker sea below. The sky box
// faces show sky(); the water's reflection cube shows reflection(), the same
// surroundings as the sea mirrors them. Painting texels from directions keeps
// every face edge seamless.

#include "assetgen/CubeFaces.h"
#include "assetgen/Noise.h"
#include "assetgen/Raster.h"

namespace assetgen {

class SkyPainter {
public:
    SkyPainter();

    // Unit vector towards the sun (world coordinates, y up).
    static Direction sunDirection();

    // Colour of the sky box for a view direction (any length but zero).
    Colour sky(const Direction& d) const;
    // Colour of the environment the water reflects for a direction.
    Colour reflection(const Direction& d) const;

    // Paints one face of a cube of the given size; reflectionCube selects
    // reflection() instead of sky(). Each texel is sampled at its centre.
    Raster paintFace(CubeLayout layout, CubeFace face, int size, bool reflectionCube) const;

private:
    Colour skyAbove(const Direction& d) const;
    float cloudDensity(const Direction& d) const;
    float islandHeight(const Direction& d) const;
    Colour sunGlow(const Direction& d, Colour base) const;
    // 1 on the sun's disc, 0 off it, with a soft rim.
    float sunDisc(const Direction& d) const;

    Noise clouds_;
    Noise islands_;
};

} // namespace assetgen
