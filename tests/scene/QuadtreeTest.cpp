// Building the quadtree: quadrant boxes keep the full height, meshes go to the
// first containing quadrant, terrain-like inputs give the expected shapes.

#include <gtest/gtest.h>

#include "scene/Quadtree.h"
#include "TreeTestSupport.h"

using zel::BoundingBox;
using zel::Mesh;
using zel::QuadtreeNode;
using namespace scenetest;

namespace {
const BoundingBox SLAB(0, 0, 0, 8, 2, 8);
}

TEST(QuadtreeBuild, QuadrantBoxesKeepTheFullHeight) {
    const BoundingBox expected[4] = {
        {0, 0, 0, 4, 2, 4}, {4, 0, 0, 8, 2, 4}, {4, 0, 4, 8, 2, 8}, {0, 0, 4, 4, 2, 8}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(corners(QuadtreeNode::quadrantBox(SLAB, i)), corners(expected[i]));
    }
}

TEST(QuadtreeBuild, FindQuadrantIgnoresHeightAndPrefersLowerIndex) {
    // Anything within the slab's height fits; poking out above does not.
    EXPECT_EQ(QuadtreeNode::findQuadrant(SLAB, BoundingBox(5, 0, 5, 6, 2, 6)), 2);
    EXPECT_EQ(QuadtreeNode::findQuadrant(SLAB, BoundingBox(5, 0, 5, 6, 3, 6)), -1);
    // Zero extent on x = 4 fits quadrants 0 and 1 (low z) or 2 and 3 (high z).
    EXPECT_EQ(QuadtreeNode::findQuadrant(SLAB, BoundingBox(4, 0, 1, 4, 1, 2)), 0);
    EXPECT_EQ(QuadtreeNode::findQuadrant(SLAB, BoundingBox(4, 0, 5, 4, 1, 6)), 2);
    // Zero extent on z = 4 in the high x half: quadrants 1 and 2.
    EXPECT_EQ(QuadtreeNode::findQuadrant(SLAB, BoundingBox(5, 0, 4, 6, 1, 4)), 1);
    EXPECT_EQ(QuadtreeNode::findQuadrant(SLAB, BoundingBox(3, 0, 3, 5, 1, 3.5f)), -1);
}

TEST(QuadtreeTree, SingleTerrainMeshStaysInAChildlessRoot) {
    zel::Quadtree tree(makeModel({{-400, -20, -400, 392, 5.5f, 392}}), 10, false);
    ASSERT_TRUE(tree.init());
    ASSERT_NE(tree.getRoot(), nullptr);
    EXPECT_EQ(tree.getRoot()->getChildCount(), 0u);
    EXPECT_EQ(tree.getRoot()->getMeshes().size(), 1u);
}

TEST(QuadtreeTree, FourChunksGiveFourLeaves) {
    // One chunk per quadrant of the model box, each with its own height range.
    zel::Quadtree tree(makeModel({{0, 0, 4, 4, 1, 8}, {4, 0, 0, 8, 2, 4}, {0, -1, 0, 4, 0.5f, 4}, {4, 0, 4, 8, 1, 8}}),
                       10, false);
    ASSERT_TRUE(tree.init());
    const QuadtreeNode& root = *tree.getRoot();
    EXPECT_EQ(corners(root.getBox()), corners({0, -1, 0, 8, 2, 8}));
    EXPECT_TRUE(root.getMeshes().empty());
    const auto& meshes = tree.getModel()->getMeshes();
    const int expectedMesh[4] = {2, 1, 3, 0};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QuadtreeNode* child = root.getChild(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->getChildCount(), 0u);
        EXPECT_EQ(child->getMeshes(), (std::vector<Mesh*>{meshes[expectedMesh[i]].get()}));
        EXPECT_EQ(corners(child->getBox()), corners(QuadtreeNode::quadrantBox(root.getBox(), i)));
    }
}

TEST(QuadtreeBuild, DegenerateInputEndsAndKeepsEveryMeshOnce) {
    expectDegenerateInputEnds<QuadtreeNode>(SLAB, {{2, 1, 2, 2, 1, 2}});
}

TEST(QuadtreeTree, WithoutModelOrBoxNothingIsBuiltOrDrawn) { expectNothingWithoutModelOrBox<zel::Quadtree>(); }
