#include "demo/DemoScene.h"

#include "scene/World.h"

namespace zel {

void buildDemoScene(World& world) { (void)world; }

} // namespace zel
