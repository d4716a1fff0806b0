#pragma once
// The quadtree that draws the terrain. Like the octree it owns one mesh model
// and sorts whole meshes into a tree of boxes, but it splits only in the ground
// plane (x and z): four children per node, each spanning the node's full height,
// so a node costs one box test however tall the terrain is. Each frame it walks
// the tree with the same frustum and optional occlusion culling as the octree
// (the shared CullingTree machinery). The world holds it in its main list. The
// building decisions are pure functions.

#include "math/BoundingBox.h"
#include "scene/CullingTree.h"

namespace zel {

// One region of the quadtree: its box, up to four children and the meshes it
// draws itself (those that fit no quadrant). The meshes are not owned.
class QuadtreeNode : public CullingTreeNode<QuadtreeNode, 4> {
public:
    using CullingTreeNode::CullingTreeNode;

    // Quadrant index (0..3) of box: (low x, low z), (high x, low z),
    // (high x, high z), (low x, high z); every quadrant keeps the full y range.
    static BoundingBox quadrantBox(const BoundingBox& box, int index);
    // The first quadrant (in index order) whose box contains meshBox, bounds
    // included, or -1 when none does.
    static int findQuadrant(const BoundingBox& nodeBox, const BoundingBox& meshBox) {
        return findChild(nodeBox, meshBox);
    }
    // The split the shared tree building uses.
    static BoundingBox childBox(const BoundingBox& box, int index) { return quadrantBox(box, index); }
};

class Quadtree : public CullingTree<QuadtreeNode> {
public:
    // Takes ownership of model (in the demo the terrain); the tree is built by init.
    using CullingTree::CullingTree;
};

extern template class CullingTreeNode<QuadtreeNode, 4>;
extern template class CullingTree<QuadtreeNode>;

} // namespace zel
