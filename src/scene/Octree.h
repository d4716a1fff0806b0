#pragma once
// The octree that draws the scene's static models. It owns one mesh model (in
// the demo the union of every SGF model's meshes), sorts the model's meshes -
// whole meshes, never triangles - into a tree of axis-aligned boxes, and walks
// the tree every frame with frustum and optional occlusion culling (the walk,
// the building and the statistics are the shared CullingTree machinery). The
// world holds the octree in its bloom list. The building decisions (octant
// boxes, which octant a mesh goes to, when a child stays a leaf) are pure
// functions usable without GL.

#include "math/BoundingBox.h"
#include "scene/CullingTree.h"

namespace zel {

// One region of the octree: its box, up to eight children (octants) and the
// meshes it draws itself (those that fit no octant). The meshes are not owned.
class OctreeNode : public CullingTreeNode<OctreeNode, 8> {
public:
    using CullingTreeNode::CullingTreeNode;

    // Octant index (0..7) of box: 0..3 run counter-clockwise in x-y through the
    // low z half starting at the minimum corner, 4..7 the same through the high z half.
    static BoundingBox octantBox(const BoundingBox& box, int index);
    // The first octant (in index order) whose box contains meshBox, bounds
    // included, or -1 when the mesh straddles a splitting plane or pokes out.
    static int findOctant(const BoundingBox& nodeBox, const BoundingBox& meshBox) {
        return findChild(nodeBox, meshBox);
    }
    // The split the shared tree building uses.
    static BoundingBox childBox(const BoundingBox& box, int index) { return octantBox(box, index); }
};

class Octree : public CullingTree<OctreeNode> {
public:
    // Takes ownership of model; the tree is built by init.
    using CullingTree::CullingTree;
};

extern template class CullingTreeNode<OctreeNode, 8>;
extern template class CullingTree<OctreeNode>;

} // namespace zel
