#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "demo/DemoScene.h"
#include "effects/EffectTest.h"
#include "effects/GPUFire.h"
#include "effects/ParticleSystem.h"
#include "engine/FrameDriver.h"
#include "environment/GPUWater.h"
#include "environment/SkyBox.h"
#include "geometry/SGFMeshModel.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "scene/World.h"
#include "support/GLContext.h"

using namespace zel;

namespace {

class DemoSceneTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        driver = std::make_unique<FrameDriver>();
        driver->initGL();
        world = &driver->createWorld();
        buildDemoScene(*world);
    }
    void TearDown() override {
        driver.reset();
        zeltest::GLTest::TearDown();
    }

    std::unique_ptr<FrameDriver> driver;
    World* world = nullptr;
};

template <typename T> T* childAs(const std::vector<std::unique_ptr<IRenderableObject>>& list, std::size_t i) {
    return i < list.size() ? dynamic_cast<T*>(list[i].get()) : nullptr;
}

} // namespace

TEST_F(DemoSceneTest, ListsHoldTheSceneObjectsInOrder) {
    const auto& main = world->getMainChildren();
    const auto& bloom = world->getBloomChildren();
    ASSERT_EQ(main.size(), 2u);
    ASSERT_EQ(bloom.size(), 4u);
    EXPECT_NE(childAs<Quadtree>(main, 0), nullptr);
    EXPECT_NE(childAs<GPUWater>(main, 1), nullptr);
    Octree* octree = childAs<Octree>(bloom, 0);
    ASSERT_NE(octree, nullptr);
    EXPECT_NE(childAs<GPUFire>(bloom, 1), nullptr);
    ParticleSystem* fountain = childAs<ParticleSystem>(bloom, 2);
    ASSERT_NE(fountain, nullptr);
    EffectTest* lights = childAs<EffectTest>(bloom, 3);
    ASSERT_NE(lights, nullptr);
    EXPECT_NE(dynamic_cast<SkyBox*>(world->getSky()), nullptr);

    // The effect test registered the three scene lights and roams the village box.
    ASSERT_EQ(world->getLights().size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lights->getLight(i), world->getLights()[i].get());
    ASSERT_NE(octree->getModelBoundingBox(), nullptr);
    EXPECT_EQ(lights->getBounds(), octree->getModelBoundingBox());

    EXPECT_FLOAT_EQ(fountain->getDecay(), 0.04f);
    EXPECT_EQ(fountain->getSpread(), 100);
    EXPECT_FLOAT_EQ(fountain->getTimeStep(), 0.005f);
    EXPECT_EQ(fountain->getFadeA(), Vector3(-10, 2, 20));
    EXPECT_EQ(fountain->getFadeB(), Vector3(-10, 1, 20));
    EXPECT_TRUE(fountain->getFadeEnabled());
    EXPECT_TRUE(fountain->isActive());
    EXPECT_EQ(fountain->getEmitter(), Vector3(-10, 2.5f, 20));

    // The scene draws: the sky covers the top of the window (not the black clear).
    driver->start();
    driver->runTicks(3);
    const zeltest::Pixel sky = zeltest::readPixel(400, 590);
    EXPECT_GT(sky.r + sky.g + sky.b, 60);
}

TEST_F(DemoSceneTest, VillageModelsAreMergedInTableOrderAtTheTerrainHeight) {
    Quadtree* quadtree = childAs<Quadtree>(world->getMainChildren(), 0);
    Octree* octree = childAs<Octree>(world->getBloomChildren(), 0);
    ASSERT_NE(quadtree, nullptr);
    ASSERT_NE(octree, nullptr);
    const float h = quadtree->getModel()->getHeight(0.0f, 0.0f);
    const auto& merged = octree->getModel()->getMeshes();

    // Load each model alone at its place; the container must hold exactly the
    // same meshes, in table order.
    std::size_t next = 0;
    for (const DemoModelPlacement& entry : demoModelTable()) {
        SCOPED_TRACE(entry.file + " at x " + std::to_string(entry.x) + ", z " + std::to_string(entry.z));
        const std::unique_ptr<SGFMeshModel> alone =
            SGFMeshModel::load(entry.file, Vector3(entry.x, h + entry.yOffset, entry.z), entry.scale);
        ASSERT_FALSE(alone->getMeshes().empty());
        float minY = std::numeric_limits<float>::max();
        for (const auto& mesh : alone->getMeshes()) {
            ASSERT_LT(next, merged.size());
            const auto& expected = mesh->getTriangles();
            const auto& actual = merged[next++]->getTriangles();
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t t = 0; t < actual.size(); ++t) {
                for (int v = 0; v < 3; ++v) {
                    ASSERT_EQ(actual[t]->positions[v], expected[t]->positions[v]);
                    minY = std::min(minY, actual[t]->positions[v].y);
                }
            }
        }
        // Every model stands at the same height, whatever its own x and z.
        EXPECT_NEAR(minY, h + entry.yOffset, 1e-3f);
    }
    EXPECT_EQ(next, merged.size());
}
