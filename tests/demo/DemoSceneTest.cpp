// The assembled demo scene: its objects in order and wired together, and the village
// models merged in order, standing on the ground inside the wall and clear of each other.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>

#include "demo/DemoScene.h"
#include "effects/EffectTest.h"
#include "effects/GPUFire.h"
#include "effects/ParticleSystem.h"
#include "environment/GPUWater.h"
#include "environment/SkyBox.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/Texture.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

class DemoSceneTest : public zeltest::EngineTest {
protected:
    DemoSceneTest() : EngineTest(true) {}
    template <typename T> T* child(bool bloom, std::size_t i) {
        const auto& list = bloom ? world_->getBloomChildren() : world_->getMainChildren();
        return i < list.size() ? dynamic_cast<T*>(list[i].get()) : nullptr;
    }
};

// Where the village's models must stand: file, x, height above the ground, z, scale.
struct Placement {
    const char* file;
    float x, yOffset, z, scale;
};
const Placement VILLAGE[12] = {
    {"wall", 0, 0, 0, 1.0f},        {"house", 0, 0, 0, 1.0f},    {"well", 10, 0, 10, 0.5f},
    {"fountain", -10, 0, 20, 0.6f}, {"house", 10, 0, -10, 1.0f}, {"house", 20, 0, 20, 1.0f},
    {"house", 10, 0, 20, 1.0f},     {"house", -20, 0, 20, 1.0f}, {"house", -20, 0, -15, 1.0f},
    {"house", -20, 0, -25, 1.0f},   {"tower", 30, 0, -30, 1.0f}, {"fireplace", 20, 0.01f, 5, 0.4f}};

} // namespace

TEST_F(DemoSceneTest, ObjectsAreListedInOrderWiredTogetherAndTheVillageModelsFit) {
    buildDemoScene(*world_);
    ASSERT_EQ(world_->getMainChildren().size(), 2u);
    ASSERT_EQ(world_->getBloomChildren().size(), 4u);
    Quadtree* quadtree = child<Quadtree>(false, 0);
    GPUWater* water = child<GPUWater>(false, 1);
    Octree* octree = child<Octree>(true, 0);
    ParticleSystem* fountain = child<ParticleSystem>(true, 2);
    EffectTest* lights = child<EffectTest>(true, 3);
    SkyBox* sky = dynamic_cast<SkyBox*>(world_->getSky());
    ASSERT_TRUE(quadtree && water && octree && fountain && lights && sky);
    EXPECT_NE(child<GPUFire>(true, 1), nullptr);

    // The ground starts at (-400, -400); the village stands on flat ground at -1.5.
    const BoundingBox& ground = *quadtree->getModelBoundingBox();
    EXPECT_FLOAT_EQ(ground.minX, -400.0f);
    EXPECT_FLOAT_EQ(ground.minZ, -400.0f);
    const float h = quadtree->getModel()->getHeight(0.0f, 0.0f);
    EXPECT_NEAR(h, -1.5f, 1e-3f);
    EXPECT_NEAR(quadtree->getModel()->getHeight(10.0f, -20.0f), h, 1e-3f);

    // The sea spans 3000 x 3000 at y = -10 round the village; the sky box has half-size 10.
    EXPECT_EQ(water->getCorner(1), Vector3(-1500, -10, -1500));
    EXPECT_EQ(water->getCorner(3), Vector3(1500, -10, 1500));
    EXPECT_FLOAT_EQ(sky->getHalfSize(), 10.0f);

    // The fountain sprays up along (0.1, 1, 0.1); the particles fade out into its basin.
    ASSERT_NE(fountain->getTexture(), nullptr);
    EXPECT_EQ(fountain->getTexture()->getName(), "waterparticle_0.tga");
    zeltest::expectNear(fountain->getDirection(), Vector3(0.1f, 1.0f, 0.1f) * (1.0f / std::sqrt(1.02f)),
                        1e-6f);
    EXPECT_EQ((std::vector<float>{fountain->getDecay(), static_cast<float>(fountain->getSpread()),
                                  fountain->getTimeStep(), static_cast<float>(fountain->getFadeEnabled()),
                                  static_cast<float>(fountain->isActive())}),
              (std::vector<float>{0.04f, 100, 0.005f, 1, 1}));
    EXPECT_EQ(fountain->getFadeA(), Vector3(-10, 2, 20));
    EXPECT_EQ(fountain->getFadeB(), Vector3(-10, 1, 20));

    // The effect test registered the three scene lights and roams the village box.
    ASSERT_EQ(world_->getLights().size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lights->getLight(i), world_->getLights()[i].get());
    EXPECT_EQ(lights->getBounds(), octree->getModelBoundingBox());

    const auto& merged = octree->getModel()->getMeshes();
    std::size_t next = 0, triangleTotal = 0;
    std::vector<std::unique_ptr<SGFMeshModel>> models;
    std::vector<BoundingBox> boxes;
    for (const Placement& p : VILLAGE) {
        SCOPED_TRACE(std::string(p.file) + " at " + std::to_string(p.x) + ", " + std::to_string(p.z));
        const std::string out = zeltest::captureStdout([&] {
            const std::string path = std::string("../data/models/") + p.file + ".sgf";
            models.push_back(SGFMeshModel::load(path, Vector3(p.x, h + p.yOffset, p.z), p.scale));
        });
        EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
        ASSERT_NE(models.back()->getBoundingBox(), nullptr);
        boxes.push_back(*models.back()->getBoundingBox());
        EXPECT_NEAR(boxes.back().minY, h + p.yOffset, 1e-3f);
        for (const auto& mesh : models.back()->getMeshes()) {
            // Every mesh keeps to one texture, so none falls back to a display list.
            ASSERT_NE(dynamic_cast<const SingleTexturedMesh*>(mesh.get()), nullptr)
                << "a mesh mixes textures";
            ASSERT_LT(next, merged.size());
            const auto& expected = mesh->getTriangles();
            const auto& actual = merged[next++]->getTriangles();
            ASSERT_EQ(actual.size(), expected.size());
            triangleTotal += actual.size();
            EXPECT_EQ(actual.back()->positions[2], expected.back()->positions[2]);
        }
    }
    EXPECT_EQ(next, merged.size());
    EXPECT_LT(triangleTotal, 20000u);

    // The wall rings the village (about 90 units across); the tower stands out over the roofs.
    EXPECT_NEAR(90.0f, boxes[0].maxX - boxes[0].minX, 5.0f);
    EXPECT_NEAR(0.0f, boxes[0].minZ + boxes[0].maxZ, 0.02f);
    EXPECT_GT(boxes[10].maxY - boxes[10].minY, 1.8f * (boxes[1].maxY - boxes[1].minY));

    // Everything inside the ring, clear of each other and of the gate's road.
    auto overlapsXZ = [](const BoundingBox& a, const BoundingBox& b) {
        return a.minX < b.maxX && b.minX < a.maxX && a.minZ < b.maxZ && b.minZ < a.maxZ;
    };
    const BoundingBox road(-2.5f, 0, 30.0f, 2.5f, 0, 48.0f);
    for (size_t i = 1; i < boxes.size(); ++i) {
        SCOPED_TRACE(std::string(VILLAGE[i].file) + " #" + std::to_string(i));
        EXPECT_TRUE(boxes[i].minX > -42 && boxes[i].minZ > -42 && boxes[i].maxX < 42 && boxes[i].maxZ < 42);
        EXPECT_FALSE(overlapsXZ(boxes[i], road));
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(overlapsXZ(boxes[i], boxes[j])) << j;
    }

    // The fountain's spout ends just below the particle emitter.
    const Vector3 emitter = fountain->getEmitter();
    EXPECT_EQ(emitter, Vector3(-10, 2.5f, 20));
    EXPECT_NEAR(boxes[3].maxY, emitter.y - 0.1f, 0.1f);

    // The flame (centre (20.5, -0.5, 5.7), two units tall) stands on the hearth's
    // floor, and no stone comes within a unit of its axis.
    const float hearth = h + 0.01f;
    bool floorUnderFlame = false;
    for (const auto& mesh : models[11]->getMeshes())
        for (const auto& t : mesh->getTriangles()) {
            if (t->texture->getName() == "wood.jpg")
                continue;
            const Vector3* p = t->positions;
            if (cross(p[1] - p[0], p[2] - p[0]).y > 0 && std::fabs(p[0].y - hearth) < 1e-3f)
                floorUnderFlame = floorUnderFlame || pointInTriangle(Vector3(20.5f, p[0].y, 5.7f), *t);
            for (int v = 0; v < 3; ++v)
                EXPECT_TRUE(p[v].y <= hearth + 0.04f || std::hypot(p[v].x - 20.5f, p[v].z - 5.7f) > 1.0f)
                    << t->texture->getName() << " at " << p[v].y;
        }
    EXPECT_TRUE(floorUnderFlame);
}
