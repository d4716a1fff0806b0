// The culling walk: the world's frustum, occlusion queries and the statistics of each walk.

#include <gtest/gtest.h>

#include <memory>

#include "TreeTestSupport.h"
#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "math/Frustum.h"
#include "scene/CullingStats.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "scene/World.h"
#include "support/EngineTest.h"

using zel::BoundingBox;
using zel::CullingStats;
using namespace scenetest;

namespace {

class CullingTest : public zeltest::EngineTest {
protected:
    CullingTest() : EngineTest(true) {}
    void SetUp() override {
        EngineTest::SetUp();
        if (HasFatalFailure())
            return;
        glViewport(0, 0, 800, 600);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // The frame's projection and the camera's view from eye at the given yaw
    // (0 looks along +z), then the world's frustum from those matrices.
    void look(const zel::Vector3& eye, float yaw) {
        zel::Camera& camera = *world_->getCamera();
        camera.setPosition(eye);
        camera.setYaw(yaw);
        camera.setPitch(0.0f);
        zel::CoreEngine::instance().setupProjection();
        camera.look();
        world_->getFrustum()->extract();
    }
};

// Nodes visited, frustum-culled and occlusion-culled, meshes tested and drawn
// (every box mesh has three triangles, checked here too).
std::vector<std::uint64_t> stats(const CullingStats& s) {
    EXPECT_EQ(s.trianglesDrawn, 3 * s.meshesDrawn);
    return {s.nodesVisited, s.nodesFrustumCulled, s.nodesOcclusionCulled, s.meshesTested, s.meshesDrawn};
}
using Counts = std::vector<std::uint64_t>;

// A model in front of the origin (z 40..60), root box (-100,0,40)-(100,10,60):
// two corner meshes far to the sides (octants 0 and 6), one mesh in each of
// octants 1 and 7 near the view axis, and one across the centre (root).
std::unique_ptr<zel::Octree> makeSceneTree(bool occlusion) {
    auto tree = std::make_unique<zel::Octree>(makeModel({{-100, 0, 40, -99, 1, 41},
                                                         {99, 9, 59, 100, 10, 60},
                                                         {2, 1, 45, 4, 3, 47},
                                                         {-4, 6, 52, -2, 8, 54},
                                                         {-1, 4, 49, 1, 6, 51}}),
                                              10, occlusion);
    tree->init();
    return tree;
}

using zeltest::isBlack;

// A grey quad across the whole view at z = depth, written into colour and depth.
void drawWall(float depth) {
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.5f, 0.5f, 0.5f);
    glBegin(GL_QUADS);
    glVertex3f(-500, -500, depth);
    glVertex3f(500, -500, depth);
    glVertex3f(500, 500, depth);
    glVertex3f(-500, 500, depth);
    glEnd();
    glColor3f(1, 1, 1);
}

float depthAt(int x, int y) {
    float depth = -1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

} // namespace

TEST_F(CullingTest, NodesOutsideTheFrustumAreSkippedWithTheirMeshes) {
    auto tree = makeSceneTree(false);
    // From x = 60 the octants of the low x half lie wholly left of the view.
    look({60, 5, 0}, 0.0f);
    tree->render();
    // Root and octants 1 and 6 are tested; 0 and 7 are culled. The root mesh,
    // octant 1's mesh and the far corner are tested and all lie outside.
    EXPECT_EQ(stats(tree->getStats()), (Counts{5, 2, 0, 3, 0}));
}

TEST_F(CullingTest, QueryCountsSamplesWithoutTouchingTheBuffers) {
    look({0, 0, 0}, 0.0f);
    drawWall(20.0f);
    const float wallDepth = depthAt(400, 300);
    const zeltest::Pixel wallColour = zeltest::readPixel(400, 300);

    EXPECT_EQ(zel::queryBoxVisibility({-2, -2, 30, 2, 2, 34}), 0);
    EXPECT_GT(zel::queryBoxVisibility({-2, -2, 10, 2, 2, 12}), 0);

    // The visible box left colour, depth and the write masks as they were.
    const zeltest::Pixel after = zeltest::readPixel(400, 300);
    EXPECT_EQ(after.r, wallColour.r);
    EXPECT_EQ(after.g, wallColour.g);
    EXPECT_FLOAT_EQ(depthAt(400, 300), wallDepth);
    GLboolean colourMask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    for (GLboolean channel : colourMask)
        EXPECT_EQ(channel, GL_TRUE);
    EXPECT_EQ(depthMask, GL_TRUE);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(CullingTest, OcclusionSkipsAHiddenNodeWithItsChildren) {
    // Root box (-3,-3,30)-(3,3,40): two leaves and one straddling mesh.
    const std::vector<BoundingBox> boxes = {
        {-3, -3, 30, -1, -1, 32}, {1, 1, 38, 3, 3, 40}, {-1, -1, 34, 1, 1, 36}};
    zel::Octree occluding(makeModel(boxes), 10, true);
    zel::Octree plain(makeModel(boxes), 10, false);
    occluding.init();
    plain.init();
    ASSERT_EQ(occluding.getRoot()->getChildCount(), 2u);

    look({0, 0, 0}, 0.0f);
    drawWall(20.0f);
    occluding.render();
    EXPECT_EQ(stats(occluding.getStats()), (Counts{1, 0, 1, 0, 0}));

    // Without occlusion culling the hidden meshes are drawn (and fail the depth test).
    plain.render();
    EXPECT_EQ(stats(plain.getStats()), (Counts{3, 0, 0, 3, 3}));
    EXPECT_NEAR(zeltest::readPixel(400, 300).r, 128, 1);

    // Nothing in front: every node's query sees samples and every mesh is drawn.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    occluding.render();
    EXPECT_EQ(stats(occluding.getStats()), (Counts{3, 0, 0, 3, 3}));
}

TEST_F(CullingTest, QuadtreeCullsLikeTheOctree) {
    // Four chunks on the ground in front of the eye and to its sides.
    zel::Quadtree tree(
        makeModel(
            {{-40, 0, 10, 0, 1, 50}, {0, 0, 10, 40, 1, 50}, {0, 0, 50, 40, 1, 90}, {-40, 0, 50, 0, 1, 90}}),
        10, false);
    tree.init();
    ASSERT_EQ(tree.getRoot()->getChildCount(), 4u);
    // Looking along +x from inside quadrant 1: quadrants 0 and 3 (x < 0) lie
    // behind the eye and quadrant 2 wholly beyond the side plane toward +z.
    look({20, 5, 30}, 90.0f);
    tree.render();
    EXPECT_EQ(stats(tree.getStats()), (Counts{5, 3, 0, 1, 1}));
    // Turned to -x, only quadrant 2 (behind and to the side) is culled.
    look({20, 5, 30}, 270.0f);
    tree.render();
    EXPECT_EQ(stats(tree.getStats()), (Counts{5, 1, 0, 3, 3}));
}

TEST_F(CullingTest, WorldFrameDrawsTheTreeThroughItsFrustum) {
    auto tree = makeSceneTree(false);
    zel::Octree* octree = tree.get();
    world_->addBloomChild(std::move(tree));
    world_->getCamera()->setPosition({0, 5, 0});
    world_->getCamera()->setYaw(0.0f);
    driver_->start();
    CullingStats::total().reset();
    ASSERT_EQ(octree->getRoot()->getChildCount(), 4u);
    driver_->frame(1);
    // The bloom list is drawn twice per frame; the last walk is the main pass.
    // All five nodes pass; of the five meshes the two far corner ones fail.
    EXPECT_EQ(stats(octree->getStats()), (Counts{5, 0, 0, 5, 3}));
    EXPECT_EQ(CullingStats::total().meshesDrawn, 6u);

    // Looking away only the root is tested, and nothing is drawn.
    world_->getCamera()->setYaw(180.0f);
    driver_->frame(1);
    EXPECT_EQ(stats(octree->getStats()), (Counts{1, 1, 0, 0, 0}));
}
