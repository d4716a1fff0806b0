// The octree and the quadtree: how they sort meshes into boxes (without a GL context:
// immediate-mode meshes), and the culling walk with the world's frustum, occlusion
// queries and the statistics of each walk.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <vector>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "math/Frustum.h"
#include "scene/CullingStats.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
#include "scene/World.h"
#include "support/EngineTest.h"

using zel::BoundingBox;
using zel::CullingStats;
using zel::Mesh;
using zel::OctreeNode;
using zel::QuadtreeNode;

namespace {

const BoundingBox CUBE(0, 0, 0, 8, 8, 8);
const BoundingBox SLAB(0, 0, 0, 8, 2, 8);

// A mesh of three triangles: a quad filling the box's z = min.z face and one
// triangle on its z = max.z face, so its bounding box is exactly box and it
// covers pixels when seen along z. Initialised (box and sphere) in immediate mode.
std::unique_ptr<Mesh> makeBoxMesh(const BoundingBox& b) {
    auto mesh = std::make_unique<Mesh>();
    mesh->setRenderMode(Mesh::RENDER_IMMEDIATE);
    const zel::Vector3 corners[3][3] = {
        {{b.minX, b.minY, b.minZ}, {b.maxX, b.minY, b.minZ}, {b.maxX, b.maxY, b.minZ}},
        {{b.minX, b.minY, b.minZ}, {b.maxX, b.maxY, b.minZ}, {b.minX, b.maxY, b.minZ}},
        {{b.minX, b.minY, b.maxZ}, {b.maxX, b.minY, b.maxZ}, {b.maxX, b.maxY, b.maxZ}}};
    for (const auto& corner : corners) {
        zel::Triangle t;
        std::copy(corner, corner + 3, t.positions);
        mesh->addTriangle(t);
    }
    mesh->init();
    return mesh;
}

// A model holding one box mesh per box, in order (not initialised).
std::unique_ptr<zel::MeshModel> makeModel(const std::vector<BoundingBox>& boxes) {
    auto model = std::make_unique<zel::MeshModel>();
    for (const auto& box : boxes)
        model->addMesh(makeBoxMesh(box));
    return model;
}

std::vector<Mesh*> pointers(const std::vector<std::unique_ptr<Mesh>>& meshes) {
    std::vector<Mesh*> out;
    for (const auto& m : meshes)
        out.push_back(m.get());
    return out;
}

std::array<float, 6> corners(const BoundingBox& b) {
    return {b.minX, b.minY, b.minZ, b.maxX, b.maxY, b.maxZ};
}

// Every mesh of node's subtree, node's own first, then children in index order.
template <typename Node> void collectMeshes(const Node& node, std::vector<const Mesh*>& out, int& maxDepth) {
    out.insert(out.end(), node.getMeshes().begin(), node.getMeshes().end());
    maxDepth = std::max(maxDepth, node.getDepth());
    for (int i = 0; i < Node::CHILD_COUNT; ++i)
        if (const Node* child = node.getChild(i))
            collectMeshes(*child, out, maxDepth);
}

// Builds a node over box from 200 identical point meshes, 50 of each other box
// and one mesh without a box (never initialised) for each maxMeshesPerNode (0
// and 1 split every non-empty child again): the depth bound ends the
// subdivision and every mesh is held exactly once.
template <typename Node>
void expectDegenerateInputEnds(const BoundingBox& box, const std::vector<BoundingBox>& others) {
    std::vector<std::unique_ptr<Mesh>> meshes;
    for (int i = 0; i < 200; ++i)
        meshes.push_back(makeBoxMesh({1, 1, 1, 1, 1, 1}));
    for (const BoundingBox& other : others)
        for (int i = 0; i < 50; ++i)
            meshes.push_back(makeBoxMesh(other));
    meshes.push_back(std::make_unique<Mesh>());
    for (unsigned maxMeshes : {0u, 1u, 10u}) {
        Node root(box, maxMeshes, false);
        root.build(pointers(meshes));
        std::vector<const Mesh*> held;
        int maxDepth = 0;
        collectMeshes(root, held, maxDepth);
        EXPECT_LE(maxDepth, Node::MAX_DEPTH) << maxMeshes;
        EXPECT_EQ(std::set<const Mesh*>(held.begin(), held.end()).size(), meshes.size()) << maxMeshes;
        EXPECT_EQ(held.size(), meshes.size()) << maxMeshes;
    }
}

} // namespace

TEST(CullingTreeBuild, AMeshGoesToTheFirstChildThatHoldsIt) {
    const struct {
        bool quad; // a quadrant of SLAB, or an octant of CUBE
        BoundingBox box;
        int child;
    } cases[] = {
        {false, {1, 1, 1, 4, 3, 3}, 0},   // touching the centre plane x = 4 from below stays low
        {false, {4, 1, 1, 4, 2, 2}, 0},   // zero extent on a splitting plane: the lower index wins
        {false, {5, 5, 5, 7, 7, 7}, 6},   // high in x, y and z
        {false, {1, 5, 5, 2, 7, 7}, 7},   // low in x only
        {false, {3, 1, 1, 5, 2, 2}, -1},  // crossing a centre plane
        {false, {-1, 1, 1, 2, 2, 2}, -1}, // poking out of the node
        {true, {5, 0, 5, 6, 2, 6}, 2},    // anything within the slab's height fits
        {true, {5, 0, 5, 6, 3, 6}, -1},   // poking out above does not
        {true, {4, 0, 1, 4, 1, 2}, 0},    // zero extent on x = 4: quadrants 0 and 1
        {true, {5, 0, 4, 6, 1, 4}, 1},    // zero extent on z = 4 in the high x half: 1 and 2
        {true, {3, 0, 3, 5, 1, 3.5f}, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.quad ? QuadtreeNode::findQuadrant(SLAB, c.box) : OctreeNode::findOctant(CUBE, c.box),
                  c.child)
            << c.quad << " " << c.box.minX << " " << c.box.minZ;
    }
}

TEST(CullingTreeBuild, NineMeshesStayInALeafTenSplitIt) {
    for (int count : {9, 10}) {
        SCOPED_TRACE(count);
        // One mesh inside each sub-octant of octant 0, then around again.
        std::vector<std::unique_ptr<Mesh>> meshes;
        for (int i = 0; i < count; ++i) {
            const BoundingBox sub = OctreeNode::octantBox({0, 0, 0, 4, 4, 4}, i % 8);
            meshes.push_back(makeBoxMesh({sub.minX + 0.25f, sub.minY + 0.25f, sub.minZ + 0.25f,
                                          sub.maxX - 0.25f, sub.maxY - 0.25f, sub.maxZ - 0.25f}));
        }
        OctreeNode root(CUBE, 10, false);
        root.build(pointers(meshes));
        EXPECT_EQ(root.getChildCount(), 1u);
        ASSERT_NE(root.getChild(0), nullptr);
        const OctreeNode& child = *root.getChild(0);
        EXPECT_EQ(corners(child.getBox()), corners({0, 0, 0, 4, 4, 4}));
        EXPECT_EQ(root.countMeshesInSubtree(), static_cast<std::size_t>(count));
        // Nine stay in the child; ten go on down, meshes 1 and 9 into its sub-octant 1.
        EXPECT_EQ(child.getMeshes().size(), count == 9 ? 9u : 0u);
        EXPECT_EQ(child.getChildCount(), count == 9 ? 0u : 8u);
        if (count == 10) {
            EXPECT_EQ(child.getChild(1)->getMeshes(), (std::vector<Mesh*>{meshes[1].get(), meshes[9].get()}));
        }
    }
}

TEST(CullingTreeBuild, DegenerateInputEndsAndKeepsEveryMeshOnce) {
    expectDegenerateInputEnds<OctreeNode>(CUBE, {{7, 2, 3, 7, 2, 3}, {0, 0, 0, 8, 8, 8}});
    expectDegenerateInputEnds<QuadtreeNode>(SLAB, {{2, 1, 2, 2, 1, 2}});
}

// A tree without a model, or with a model without a box, builds and draws nothing.
TEST(CullingTreeBuild, WithoutModelOrBoxNothingIsBuiltOrDrawn) {
    zel::Octree noModel(nullptr, 10, false);
    EXPECT_FALSE(noModel.init());
    EXPECT_EQ(noModel.getRoot(), nullptr);
    zel::Quadtree empty(std::make_unique<zel::MeshModel>(), 10, false);
    EXPECT_TRUE(empty.init());
    EXPECT_EQ(empty.getRoot(), nullptr);
    EXPECT_EQ(empty.getModelBoundingBox(), nullptr);
    empty.renderWith(nullptr);
    EXPECT_EQ(empty.getStats(), CullingStats());
}

namespace {

class CullingTest : public zeltest::EngineTest {
protected:
    CullingTest() : EngineTest(true) {}

    // The frame's viewport and projection and the camera's view from eye at the given
    // yaw (0 looks along +z), then the world's frustum from those matrices.
    void look(const zel::Vector3& eye, float yaw) {
        glViewport(0, 0, 800, 600);
        zel::Camera& camera = *world_->getCamera();
        camera.setPosition(eye);
        camera.setYaw(yaw);
        camera.setPitch(0.0f);
        zel::CoreEngine::instance().setupProjection();
        camera.look();
        world_->getFrustum()->extract();
    }
};

using Counts = std::vector<std::uint64_t>;

// Nodes visited, frustum-culled and occlusion-culled, meshes tested and drawn
// (every box mesh has three triangles, checked here too).
Counts stats(const CullingStats& s) {
    EXPECT_EQ(s.trianglesDrawn, 3 * s.meshesDrawn);
    return {s.nodesVisited, s.nodesFrustumCulled, s.nodesOcclusionCulled, s.meshesTested, s.meshesDrawn};
}

// A grey wall across the whole view at z = depth, written into colour and depth.
void drawWall(float depth) {
    BoundingBox(-500, -500, depth, 500, 500, depth).drawSolid(0.5f, 0.5f, 0.5f);
}

float depthAt(int x, int y) {
    float depth = -1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

} // namespace

TEST_F(CullingTest, NodesOutsideTheFrustumAreSkippedWithTheirMeshes) {
    // In front of the origin, root box (-100,0,40)-(100,10,60): two corner meshes far to the
    // sides (octants 0 and 6), one in each of octants 1 and 7 near the view axis, one across the centre.
    zel::Octree octree(makeModel({{-100, 0, 40, -99, 1, 41},
                                  {99, 9, 59, 100, 10, 60},
                                  {2, 1, 45, 4, 3, 47},
                                  {-4, 6, 52, -2, 8, 54},
                                  {-1, 4, 49, 1, 6, 51}}),
                       10, false);
    octree.init();
    const struct {
        zel::Vector3 eye;
        float yaw;
        Counts counts;
    } cases[] = {
        // From x = 60 octants 0 and 7 (low x) lie wholly left of the view; the root's mesh,
        // octant 1's and the far corner are tested and all lie outside.
        {{60, 5, 0}, 0.0f, {5, 2, 0, 3, 0}},
        // Looking away only the root is tested.
        {{0, 5, 0}, 180.0f, {1, 1, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        look(c.eye, c.yaw);
        octree.render();
        EXPECT_EQ(stats(octree.getStats()), c.counts) << c.yaw;
    }
}

TEST_F(CullingTest, OcclusionSkipsAHiddenNodeWithItsChildrenAndTheQueryDrawsNothing) {
    // Root box (-3,-3,30)-(3,3,40): two leaves and one straddling mesh.
    zel::Octree occluding(makeModel({{-3, -3, 30, -1, -1, 32}, {1, 1, 38, 3, 3, 40}, {-1, -1, 34, 1, 1, 36}}),
                          10, true);
    occluding.init();
    ASSERT_EQ(occluding.getRoot()->getChildCount(), 2u);

    look({0, 0, 0}, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawWall(20.0f);
    const float wallDepth = depthAt(400, 300);
    occluding.render();
    EXPECT_EQ(stats(occluding.getStats()), (Counts{1, 0, 1, 0, 0}));
    // A query of a box in front of the wall sees samples, and leaves colour and depth as they were.
    EXPECT_GT(zel::queryBoxVisibility({-2, -2, 10, 2, 2, 12}), 0);
    EXPECT_NEAR(zeltest::readPixel(400, 300).r, 128, 1);
    EXPECT_FLOAT_EQ(depthAt(400, 300), wallDepth);
    // Nothing in front: every node's query sees samples and every mesh is drawn.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    occluding.render();
    EXPECT_EQ(stats(occluding.getStats()), (Counts{3, 0, 0, 3, 3}));
}
