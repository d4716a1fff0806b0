#pragma once
// Assembles the demonstration scene into a world: the effect test (which
// registers the three scene lights), the sky box, the terrain in a quadtree,
// the water, the village models in an octree, the fire, the particle fountain,
// and finally the effect test itself. Each attached object gets its init call
// right before it is attached. The entry point calls it once, after the world
// has become the engine's root; the end-to-end tests call it too.

namespace zel {

class World;

void buildDemoScene(World& world);

} // namespace zel
