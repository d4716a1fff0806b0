#pragma once
// The machinery the octree and the quadtree share. Both own one mesh model, sort
// its meshes - whole meshes, never triangles - into a tree of axis-aligned boxes
// and walk that tree every frame: a node outside the view frustum is skipped with
// its subtree, optionally a node hidden behind what is already drawn is skipped
// too (a synchronous hardware occlusion query), and the meshes of a surviving
// node are tested one by one against the frustum and drawn. The two trees differ
// only in how a node box is split: CullingTreeNode takes the node class itself
// (OctreeNode, QuadtreeNode), which supplies childBox(box, index), and its number
// of children; CullingTree takes that node class and is the scene object.
// The member functions are instantiated for the two trees in CullingTree.cpp.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/IRenderableObject.h"
#include "math/BoundingBox.h"
#include "scene/CullingStats.h"

namespace zel {

class Frustum;
class Mesh;
class MeshModel;

// Draws box as a solid with colour and depth writes off inside a GL_SAMPLES_PASSED
// query and waits for the answer: the number of samples that passed the depth
// test against what the frame has drawn so far. Leaves GL_TEXTURE_2D disabled and
// the colour and depth writes on. Shared by the octree and the quadtree.
std::int32_t queryBoxVisibility(const BoundingBox& box);

// One region of a culling tree: its box, up to CHILD_COUNT children and the
// meshes it draws itself (those that fit no child box). The meshes are not owned.
// Node is the derived node class; it provides the split of a node box as
//   static BoundingBox childBox(const BoundingBox& box, int index);
template <class Node, int ChildCount>
class CullingTreeNode {
public:
    static constexpr int CHILD_COUNT = ChildCount;
    // Nodes this deep are never split: their meshes stay in the node, so meshes
    // that keep fitting into ever smaller child boxes (identical or point-sized
    // ones) cannot make the subdivision run on.
    static constexpr int MAX_DEPTH = 16;

    // The first child box (in index order) of nodeBox that contains meshBox,
    // bounds included, or -1 when the mesh straddles a splitting plane or pokes out.
    static int findChild(const BoundingBox& nodeBox, const BoundingBox& meshBox);
    // True when a child that received meshCount meshes keeps them itself
    // instead of being split again.
    static bool staysLeaf(std::size_t meshCount, unsigned maxMeshesPerNode);

    CullingTreeNode(const BoundingBox& box, unsigned maxMeshesPerNode, bool occlusionCulling, int depth = 0);
    virtual ~CullingTreeNode();
    CullingTreeNode(const CullingTreeNode&) = delete;
    CullingTreeNode& operator=(const CullingTreeNode&) = delete;

    // Distributes meshes over the child boxes, creating children where meshes
    // go; meshes that fit no child box, or have no bounding box (not
    // initialised), stay in this node.
    void build(std::vector<Mesh*> meshes);
    // Appends meshes, in order, to the meshes this node draws itself.
    void addMeshes(const std::vector<Mesh*>& meshes);
    // The culling walk: frustum test of the node box (skipped when frustum is
    // null), the occlusion query when enabled, the node's own meshes that pass
    // the frustum, then the children in index order. Counts into stats.
    void render(const Frustum* frustum, CullingStats& stats) const;

    // Switches the occlusion query of this node and its whole subtree.
    void setOcclusionCulling(bool enabled);
    const BoundingBox& getBox() const { return box_; }
    // Child at index, or null when absent or out of range.
    const Node* getChild(int index) const;
    std::size_t getChildCount() const;
    const std::vector<Mesh*>& getMeshes() const { return meshes_; }
    int getDepth() const { return depth_; }
    // Meshes held by this node and all its descendants.
    std::size_t countMeshesInSubtree() const;

private:
    BoundingBox box_;
    std::array<std::unique_ptr<Node>, CHILD_COUNT> children_;
    std::vector<Mesh*> meshes_; // owned by the tree's model
    unsigned maxMeshesPerNode_;
    bool occlusionCulling_;
    int depth_;
};

// The scene object around a tree of Node: owns the model and the root.
template <class Node>
class CullingTree : public IRenderableObject {
public:
    // Takes ownership of model; the tree is built by init.
    CullingTree(std::unique_ptr<MeshModel> model, unsigned maxMeshesPerNode, bool occlusionCulling);
    // Destroys the tree first, then the model with its meshes.
    ~CullingTree() override;
    CullingTree(const CullingTree&) = delete;
    CullingTree& operator=(const CullingTree&) = delete;

    // Initialises the model (boxes, spheres, GPU data), then builds the tree over
    // a copy of its mesh list. False without a model. A model without a bounding
    // box builds no root: the tree then draws nothing.
    bool init() override;
    // Walks the tree against the frustum of the world (World::current()); with no
    // world there is no frustum and only occlusion culling applies.
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // The walk against an explicit frustum (null: no frustum culling).
    void renderWith(const Frustum* frustum);

    MeshModel* getModel() const { return model_.get(); }
    // The model's box (null before init or when the model has none).
    const BoundingBox* getModelBoundingBox() const;
    const Node* getRoot() const { return root_.get(); }
    // Counts of the last render; also added to CullingStats::total().
    const CullingStats& getStats() const { return stats_; }
    // Switches occlusion culling of the whole tree (for comparing configurations).
    void setOcclusionCulling(bool enabled);
    // With culling bypassed, render draws every mesh of the model in model
    // order with no frustum or occlusion test (the cost of not having the tree);
    // the statistics then count the meshes and triangles drawn.
    void setCullingBypassed(bool bypassed) { cullingBypassed_ = bypassed; }
    bool isCullingBypassed() const { return cullingBypassed_; }
    unsigned getMaxMeshesPerNode() const { return maxMeshesPerNode_; }
    bool getOcclusionCulling() const { return occlusionCulling_; }

private:
    std::unique_ptr<MeshModel> model_;
    std::unique_ptr<Node> root_;
    unsigned maxMeshesPerNode_;
    bool occlusionCulling_;
    bool cullingBypassed_ = false;
    CullingStats stats_;
};

} // namespace zel
