// Building the octree: octant boxes, where meshes go, the leaf rule and the
// depth bound. All of it runs without a GL context (immediate-mode meshes).

#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "scene/Octree.h"

using zel::BoundingBox;
using zel::Mesh;
using zel::OctreeNode;
using namespace scenetest;

namespace {

const BoundingBox CUBE(0, 0, 0, 8, 8, 8);

// A node over CUBE built from the meshes' pointers with maxMeshesPerNode 10.
std::unique_ptr<OctreeNode> buildNode(const std::vector<std::unique_ptr<Mesh>>& meshes,
                                      unsigned maxMeshes = 10) {
    auto node = std::make_unique<OctreeNode>(CUBE, maxMeshes, false);
    node->build(pointers(meshes));
    return node;
}

} // namespace

TEST(OctreeBuild, OctantBoxesFollowTheFixedOrder) {
    const BoundingBox expected[8] = {
        {0, 0, 0, 4, 4, 4}, {4, 0, 0, 8, 4, 4}, {4, 4, 0, 8, 8, 4}, {0, 4, 0, 4, 8, 4},
        {0, 0, 4, 4, 4, 8}, {4, 0, 4, 8, 4, 8}, {4, 4, 4, 8, 8, 8}, {0, 4, 4, 4, 8, 8},
    };
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(corners(OctreeNode::octantBox(CUBE, i)), corners(expected[i]));
    }
    // An off-origin, non-cubic box splits at its own centre.
    EXPECT_EQ(corners(OctreeNode::octantBox(BoundingBox(-2, 10, 1, 6, 14, 2), 6)),
              corners({2, 12, 1.5f, 6, 14, 2}));
}

TEST(OctreeBuild, FindOctantTakesTheFirstContainingOctant) {
    const struct {
        BoundingBox box;
        int octant;
    } cases[] = {
        {{1, 1, 1, 4, 3, 3}, 0}, // touching the centre plane x = 4 from below stays low
        {{4, 1, 1, 4, 2, 2}, 0}, // zero extent on a splitting plane: the lower index wins
        {{5, 4, 5, 6, 4, 6}, 5},   {{4, 4, 4, 4, 4, 4}, 0}, // a point on the centre lies in all eight
        {{5, 5, 5, 7, 7, 7}, 6},   {{1, 5, 5, 2, 7, 7}, 7},
        {{3, 1, 1, 5, 2, 2}, -1},  // crossing a centre plane
        {{-1, 1, 1, 2, 2, 2}, -1}, // poking out of the node
    };
    for (const auto& c : cases)
        EXPECT_EQ(OctreeNode::findOctant(CUBE, c.box), c.octant) << c.box.minX;
}

TEST(OctreeBuild, LeafRuleNineStayTenSplit) {
    // Meshes spread over the eight sub-octants of octant 0, one per sub-octant
    // and then around again, so a split of octant 0 is visible as children.
    auto meshesInOctantZero = [](int count) {
        std::vector<std::unique_ptr<Mesh>> meshes;
        for (int i = 0; i < count; ++i) {
            const BoundingBox sub = OctreeNode::octantBox({0, 0, 0, 4, 4, 4}, i % 8);
            meshes.push_back(makeBoxMesh({sub.minX + 0.25f, sub.minY + 0.25f, sub.minZ + 0.25f,
                                          sub.maxX - 0.25f, sub.maxY - 0.25f, sub.maxZ - 0.25f}));
        }
        return meshes;
    };
    {
        SCOPED_TRACE("nine meshes");
        const auto meshes = meshesInOctantZero(9);
        const auto owner = buildNode(meshes);
        const OctreeNode& root = *owner;
        EXPECT_TRUE(root.getMeshes().empty());
        ASSERT_NE(root.getChild(0), nullptr);
        EXPECT_EQ(root.getChildCount(), 1u);
        EXPECT_EQ(root.getChild(0)->getMeshes(), pointers(meshes));
        EXPECT_EQ(root.getChild(0)->getChildCount(), 0u);
    }
    {
        SCOPED_TRACE("ten meshes");
        const auto meshes = meshesInOctantZero(10);
        const auto owner = buildNode(meshes);
        const OctreeNode& root = *owner;
        ASSERT_NE(root.getChild(0), nullptr);
        const OctreeNode& child = *root.getChild(0);
        EXPECT_TRUE(child.getMeshes().empty());
        EXPECT_EQ(child.getChildCount(), 8u);
        // Sub-octants 0 and 1 got two meshes each, the others one: all leaves.
        ASSERT_NE(child.getChild(1), nullptr);
        EXPECT_EQ(child.getChild(1)->getMeshes(), (std::vector<Mesh*>{meshes[1].get(), meshes[9].get()}));
        EXPECT_EQ(child.getChild(7)->getMeshes(), (std::vector<Mesh*>{meshes[7].get()}));
        EXPECT_EQ(root.countMeshesInSubtree(), 10u);
    }
}

TEST(OctreeBuild, AllStraddlingMeshesStayInAChildlessRoot) {
    std::vector<std::unique_ptr<Mesh>> meshes;
    meshes.push_back(makeBoxMesh({3, 3, 3, 5, 5, 5}));
    meshes.push_back(makeBoxMesh({0, 0, 0, 8, 8, 8}));
    meshes.push_back(makeBoxMesh({1, 1, 1, 7, 2, 2}));
    meshes.push_back(makeBoxMesh({0, 6, 0, 1, 7, 8}));
    const auto owner = buildNode(meshes, 1);
    const OctreeNode& root = *owner;
    EXPECT_EQ(root.getChildCount(), 0u);
    EXPECT_EQ(root.getMeshes(), pointers(meshes));

    // A mesh that was never initialised has no box and stays in the node too.
    zel::Mesh uninitialised;
    OctreeNode node(CUBE, 10, false);
    node.build({&uninitialised});
    EXPECT_EQ(node.getMeshes(), (std::vector<Mesh*>{&uninitialised}));
    EXPECT_EQ(node.getChildCount(), 0u);
}

TEST(OctreeBuild, DegenerateInputEndsAndKeepsEveryMeshOnce) {
    expectDegenerateInputEnds<OctreeNode>(CUBE, {{7, 2, 3, 7, 2, 3}, {0, 0, 0, 8, 8, 8}});
}

TEST(OctreeTree, InitBuildsOverTheModelBox) {
    // Model box (0,0,0)-(8,8,8) through the big mesh, which stays in the root; two small
    // meshes share octant 0 (one touching the centre from below), one lies in octant 6.
    zel::Octree tree(
        makeModel({{0, 0, 0, 8, 8, 8}, {1, 1, 1, 2, 2, 2}, {6, 6, 6, 7, 7, 7}, {3, 3, 3, 4, 4, 4}}), 10,
        false);
    EXPECT_EQ(tree.getRoot(), nullptr);
    ASSERT_TRUE(tree.init());
    ASSERT_NE(tree.getRoot(), nullptr);
    ASSERT_NE(tree.getModelBoundingBox(), nullptr);
    EXPECT_EQ(corners(*tree.getModelBoundingBox()), corners(CUBE));
    EXPECT_EQ(corners(tree.getRoot()->getBox()), corners(CUBE));
    const auto& meshes = tree.getModel()->getMeshes();
    const OctreeNode& root = *tree.getRoot();
    EXPECT_EQ(root.getMeshes(), (std::vector<Mesh*>{meshes[0].get()}));
    EXPECT_EQ(root.getChildCount(), 2u);
    for (int i : {1, 2, 3, 4, 5, 7})
        EXPECT_EQ(root.getChild(i), nullptr) << i;
    ASSERT_NE(root.getChild(0), nullptr);
    EXPECT_EQ(root.getChild(0)->getMeshes(), (std::vector<Mesh*>{meshes[1].get(), meshes[3].get()}));
    EXPECT_EQ(corners(root.getChild(0)->getBox()), corners({0, 0, 0, 4, 4, 4}));
    EXPECT_EQ(root.getChild(0)->getDepth(), 1);
    EXPECT_EQ(root.getChild(0)->getChildCount(), 0u);
    EXPECT_EQ(root.getChild(6)->getMeshes(), (std::vector<Mesh*>{meshes[2].get()}));
}

TEST(OctreeTree, WithoutModelOrBoxNothingIsBuiltOrDrawn) {
    expectNothingWithoutModelOrBox<zel::Octree>();
}
