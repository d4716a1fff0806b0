#include "demo/DemoScene.h"

#include <memory>

#include "effects/EffectTest.h"
#include "effects/GPUFire.h"
#include "effects/ParticleSystem.h"
#include "environment/GPUWater.h"
#include "environment/SkyBox.h"
#include "environment/Terrain.h"
#include "geometry/MeshModel.h"
#include "geometry/SGFMeshModel.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "scene/World.h"

namespace zel {

namespace {
constexpr unsigned MAX_MESHES_PER_NODE = 10;
} // namespace

const std::vector<DemoModelPlacement>& demoModelTable() {
    static const std::vector<DemoModelPlacement> table = {
        {"../data/models/wall.sgf", 0.0f, 0.0f, 0.0f, 1.0f},
        {"../data/models/house.sgf", 0.0f, 0.0f, 0.0f, 1.0f},
        {"../data/models/well.sgf", 10.0f, 0.0f, 10.0f, 0.5f},
        {"../data/models/fountain.sgf", -10.0f, 0.0f, 20.0f, 0.6f},
        {"../data/models/house.sgf", 10.0f, 0.0f, -10.0f, 1.0f},
        {"../data/models/house.sgf", 20.0f, 0.0f, 20.0f, 1.0f},
        {"../data/models/house.sgf", 10.0f, 0.0f, 20.0f, 1.0f},
        {"../data/models/house.sgf", -20.0f, 0.0f, 20.0f, 1.0f},
        {"../data/models/house.sgf", -20.0f, 0.0f, -15.0f, 1.0f},
        {"../data/models/house.sgf", -20.0f, 0.0f, -25.0f, 1.0f},
        {"../data/models/tower.sgf", 30.0f, 0.0f, -30.0f, 1.0f},
        {"../data/models/fireplace.sgf", 20.0f, 0.01f, 5.0f, 0.4f},
    };
    return table;
}

void buildDemoScene(World& world) { buildScene(world, demoModelTable(), true); }

void buildScene(World& world, const std::vector<DemoModelPlacement>& models, bool withFireAndFountain) {
    // Created first: its constructor registers the world's three lights, which
    // every single-textured mesh takes in its init. Attached last.
    auto effectTest = std::make_unique<EffectTest>();

    world.setSky(std::make_unique<SkyBox>("sky", 10.0f));

    auto terrain = std::make_unique<Terrain>("../data/textures/heightmap.tga", "gras_4_dl.tga",
                                             Vector3(-400.0f, -20.0f, -400.0f), 0.1f, 800.0f, 800.0f);
    const Terrain* ground = terrain.get(); // owned by the quadtree from here on
    auto quadtree = std::make_unique<Quadtree>(std::move(terrain), MAX_MESHES_PER_NODE, false);
    quadtree->init();
    world.addMainChild(std::move(quadtree));

    auto water = std::make_unique<GPUWater>(Vector3(-1500.0f, -10.0f, -1500.0f), 3000.0f, 3000.0f);
    water->init();
    world.addMainChild(std::move(water));

    // Every village model stands at the terrain height under the origin,
    // whatever its own x and z; each is merged into one container and the model
    // objects themselves are dropped once emptied.
    auto village = std::make_unique<MeshModel>();
    for (const DemoModelPlacement& entry : models) {
        const float height = ground->getHeight(0.0f, 0.0f);
        std::unique_ptr<SGFMeshModel> model =
            SGFMeshModel::load(entry.file, Vector3(entry.x, height + entry.yOffset, entry.z), entry.scale);
        village->addMeshes(*model);
    }
    auto octree = std::make_unique<Octree>(std::move(village), MAX_MESHES_PER_NODE, false);
    octree->init();
    const BoundingBox* villageBox = octree->getModelBoundingBox();
    world.addBloomChild(std::move(octree));

    if (withFireAndFountain) {
        auto fire = std::make_unique<GPUFire>(Vector3(20.5f, -0.5f, 5.7f), 1.0f);
        fire->init();
        world.addBloomChild(std::move(fire));

        auto fountain = std::make_unique<ParticleSystem>("waterparticle_0.tga", Vector3(-10.0f, 2.5f, 20.0f),
                                                         Vector3(0.1f, 1.0f, 0.1f));
        fountain->setDecay(0.04f);
        fountain->setSpread(100);
        fountain->setTimeStep(0.005f);
        // Respawned after the spread change so that it takes effect, and again once
        // the fade zone is set.
        fountain->respawnAll();
        fountain->setFadeZone(Vector3(-10.0f, 2.0f, 20.0f), Vector3(-10.0f, 1.0f, 20.0f));
        fountain->setFadeEnabled(true);
        fountain->respawnAll();
        fountain->setActive(true);
        fountain->init();
        world.addBloomChild(std::move(fountain));
    }

    effectTest->setBounds(villageBox);
    effectTest->init();
    world.addBloomChild(std::move(effectTest));
}

} // namespace zel
