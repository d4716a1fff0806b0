// The assembled demo scene against the values it must have: which objects sit
// in which list and in what order, their settings, and the twelve village
// models merged in order, each standing on the terrain height under the origin.
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
#include "resources/Texture.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

class DemoSceneTest : public zeltest::EngineTest {
protected:
    DemoSceneTest() : EngineTest(true) {}
    void SetUp() override {
        EngineTest::SetUp();
        if (!HasFatalFailure()) buildDemoScene(*world_);
    }
    template <typename T> T* child(bool bloom, std::size_t i) {
        const auto& list = bloom ? world_->getBloomChildren() : world_->getMainChildren();
        return i < list.size() ? dynamic_cast<T*>(list[i].get()) : nullptr;
    }
};

struct Placement {
    const char* file;
    float x, yOffset, z, scale;
};
const Placement VILLAGE[12] = {
    {"wall", 0, 0, 0, 1.0f},      {"house", 0, 0, 0, 1.0f},      {"well", 10, 0, 10, 0.5f},
    {"fountain", -10, 0, 20, 0.6f}, {"house", 10, 0, -10, 1.0f},   {"house", 20, 0, 20, 1.0f},
    {"house", 10, 0, 20, 1.0f},   {"house", -20, 0, 20, 1.0f},   {"house", -20, 0, -15, 1.0f},
    {"house", -20, 0, -25, 1.0f}, {"tower", 30, 0, -30, 1.0f},   {"fireplace", 20, 0.01f, 5, 0.4f}};

} // namespace

TEST_F(DemoSceneTest, ListsHoldTheSceneObjectsInOrderWithTheirSettings) {
    ASSERT_EQ(world_->getMainChildren().size(), 2u);
    ASSERT_EQ(world_->getBloomChildren().size(), 4u);
    Quadtree* quadtree = child<Quadtree>(false, 0);
    GPUWater* water = child<GPUWater>(false, 1);
    Octree* octree = child<Octree>(true, 0);
    ParticleSystem* fountain = child<ParticleSystem>(true, 2);
    EffectTest* lights = child<EffectTest>(true, 3);
    ASSERT_TRUE(quadtree && water && octree && fountain && lights);
    EXPECT_NE(child<GPUFire>(true, 1), nullptr);

    EXPECT_EQ(quadtree->getMaxMeshesPerNode() * 100 + octree->getMaxMeshesPerNode(), 1010u);
    EXPECT_FALSE(quadtree->getOcclusionCulling() || octree->getOcclusionCulling());
    const BoundingBox& ground = *quadtree->getModelBoundingBox();
    EXPECT_FLOAT_EQ(ground.minX, -400.0f);
    EXPECT_FLOAT_EQ(ground.minZ, -400.0f);
    EXPECT_GE(ground.minY, -20.0f);
    EXPECT_LE(ground.maxY, -20.0f + 0.1f * 255.0f);

    EXPECT_EQ(water->getCorner(1), Vector3(-1500, -10, -1500));
    EXPECT_EQ(water->getCorner(3), Vector3(1500, -10, 1500));

    SkyBox* sky = dynamic_cast<SkyBox*>(world_->getSky());
    ASSERT_NE(sky, nullptr);
    EXPECT_FLOAT_EQ(sky->getHalfSize(), 10.0f);
    EXPECT_EQ(sky->getFaceTexture(SkyBox::TOP)->getName(), "sky_top.jpg");
    EXPECT_EQ(sky->getFaceTexture(SkyBox::BOTTOM)->getName(), "sky_bottom.jpg");

    ASSERT_NE(fountain->getTexture(), nullptr);
    EXPECT_EQ(fountain->getTexture()->getName(), "waterparticle_0.tga");
    EXPECT_EQ(fountain->getEmitter(), Vector3(-10, 2.5f, 20));
    // The direction (0.1, 1, 0.1) is kept normalised.
    zeltest::expectNear(fountain->getDirection(), Vector3(0.1f, 1.0f, 0.1f) * (1.0f / std::sqrt(1.02f)), 1e-6f);
    EXPECT_FLOAT_EQ(fountain->getDecay(), 0.04f);
    EXPECT_EQ(fountain->getSpread(), 100);
    EXPECT_FLOAT_EQ(fountain->getTimeStep(), 0.005f);
    EXPECT_EQ(fountain->getFadeA(), Vector3(-10, 2, 20));
    EXPECT_EQ(fountain->getFadeB(), Vector3(-10, 1, 20));
    EXPECT_TRUE(fountain->getFadeEnabled() && fountain->isActive());

    // The effect test registered the three scene lights and roams the village box.
    ASSERT_EQ(world_->getLights().size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lights->getLight(i), world_->getLights()[i].get());
    EXPECT_EQ(lights->getBounds(), octree->getModelBoundingBox());

    // The scene draws: the sky covers the top of the window (not the black clear).
    driver_->start();
    driver_->runTicks(3);
    EXPECT_GT(zeltest::brightness(zeltest::readPixel(400, 590)), 60);
}

TEST_F(DemoSceneTest, VillageModelsAreMergedInOrderAtTheTerrainHeightUnderTheOrigin) {
    const float h = child<Quadtree>(false, 0)->getModel()->getHeight(0.0f, 0.0f);
    EXPECT_NEAR(h, -1.5f, 1e-3f);
    const auto& merged = child<Octree>(true, 0)->getModel()->getMeshes();
    std::size_t next = 0;
    for (const Placement& p : VILLAGE) {
        SCOPED_TRACE(std::string(p.file) + " at " + std::to_string(p.x) + ", " + std::to_string(p.z));
        const auto alone = SGFMeshModel::load(std::string("../data/models/") + p.file + ".sgf",
                                              Vector3(p.x, h + p.yOffset, p.z), p.scale);
        ASSERT_FALSE(alone->getMeshes().empty());
        float minY = 1e30f;
        for (const auto& mesh : alone->getMeshes()) {
            ASSERT_LT(next, merged.size());
            const auto& expected = mesh->getTriangles();
            const auto& actual = merged[next++]->getTriangles();
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t t = 0; t < actual.size(); ++t)
                for (int v = 0; v < 3; ++v) {
                    ASSERT_EQ(actual[t]->positions[v], expected[t]->positions[v]);
                    minY = std::min(minY, actual[t]->positions[v].y);
                }
        }
        EXPECT_NEAR(minY, h + p.yOffset, 1e-3f);
    }
    EXPECT_EQ(next, merged.size());
}
