#pragma once
// Assembles the demonstration scene into the world: the effect test (whose
// constructor registers the three scene lights), the sky box, the terrain in a
// quadtree, the water, the twelve village models merged into one model inside
// an octree, the fire, the particle fountain, and last the effect test itself.
// Every attached object gets its init call right before it is attached.
// The entry point calls it once, after the world has become the engine's root
// (the effect test and the meshes reach the world through the engine); tests
// and tools call it on a world made by FrameDriver.

#include <string>
#include <vector>

#include "math/Vector3.h"

namespace zel {

class World;

// One entry of the village table: an SGF file stood on the terrain at (x, z),
// raised by yOffset above the terrain height, scaled about its origin.
struct DemoModelPlacement {
    std::string file;
    float x;
    float yOffset;
    float z;
    float scale;
};

// The village table, in the order the models are merged.
const std::vector<DemoModelPlacement>& demoModelTable();

// Builds the scene into world, which must be the engine's root.
void buildDemoScene(World& world);

// The same scene with other models: the effect test, sky, terrain and water of
// the demo, the given models merged into the octree, and the fire and the
// particle fountain only when withFireAndFountain is set (they stand at fixed
// places in the village). The model viewer shows a single model this way.
void buildScene(World& world, const std::vector<DemoModelPlacement>& models, bool withFireAndFountain);

} // namespace zel
