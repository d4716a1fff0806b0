#pragma once
// Paints the village's material textures and the terrain's grass. Surfaces are
// built as a height field plus a colour per texel and lit from the upper left, so
// stones, tiles and planks show relief. Repeating materials tile seamlessly:
// every pattern wraps at the image size.

#include "assetgen/Raster.h"

namespace assetgen {

class MaterialPainter {
public:
    // Courses of irregular grey-brown stones in light mortar.
    static Raster stoneWall(int size);
    // Smaller, rougher, partly mossy stones for the well.
    static Raster wellStone(int size);
    // Warm off-white lime plaster.
    static Raster plaster(int size);
    // Dark weathered oak with the grain running along y, for beams.
    static Raster timber(int size);
    // Staggered rows of terracotta beaver-tail tiles; rows run along x and the
    // roof falls towards +y (each row overlaps the one below it).
    static Raster roofTiles(int size);
    // A plank door with iron bands and a ring handle, framed; not tiling.
    static Raster door(int width, int height);
    // A four-pane window in a wooden frame with sky reflected in the glass.
    static Raster window(int size);
    // Rounded cobblestones.
    static Raster cobbles(int size);
    // Shallow water over a pale basin with caustic light.
    static Raster fountainWater(int size);
    // Light planks running along x, with joints and nails.
    static Raster wood(int size);
    // Meadow grass seen from a few metres up: mottled greens with clumps.
    static Raster grass(int size);
};

} // namespace assetgen
