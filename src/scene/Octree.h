#pragma once
// The octree that draws the scene's static models. It owns one mesh model (in
// the demo the union of every SGF model's meshes), sorts the model's meshes -
// whole meshes, never triangles - into a tree of axis-aligned boxes, and walks
// the tree every frame: a node outside the world's view frustum is skipped with
// its subtree, optionally a node hidden behind what is already drawn is skipped
// too (a synchronous hardware occlusion query), and the meshes of a surviving
// node are tested one by one against the frustum and drawn. The world holds the
// octree in its bloom list. The building decisions (octant boxes, which octant a
// mesh goes to, when a child stays a leaf) are pure functions usable without GL.

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

// One region of the octree: its box, up to eight children (octants) and the
// meshes it draws itself (those that fit no octant). The meshes are not owned.
class OctreeNode {
public:
    static constexpr int CHILD_COUNT = 8;
    // Nodes this deep are never split: their meshes stay in the node, so meshes
    // that keep fitting into ever smaller octants (identical or point-sized ones)
    // cannot make the subdivision run on.
    static constexpr int MAX_DEPTH = 16;

    // Octant index (0..7) of box: 0..3 run counter-clockwise in x-y through the
    // low z half starting at the minimum corner, 4..7 the same through the high z half.
    static BoundingBox octantBox(const BoundingBox& box, int index);
    // The first octant (in index order) whose box contains meshBox, bounds
    // included, or -1 when the mesh straddles a splitting plane or pokes out.
    static int findOctant(const BoundingBox& nodeBox, const BoundingBox& meshBox);
    // True when a child that received meshCount meshes keeps them itself
    // instead of being split again.
    static bool staysLeaf(std::size_t meshCount, unsigned maxMeshesPerNode);

    OctreeNode(const BoundingBox& box, unsigned maxMeshesPerNode, bool occlusionCulling, int depth = 0);
    virtual ~OctreeNode();
    OctreeNode(const OctreeNode&) = delete;
    OctreeNode& operator=(const OctreeNode&) = delete;

    // Distributes meshes over the octants, creating children where meshes go;
    // meshes that fit no octant stay in this node. Meshes without a bounding box
    // (not initialised) stay in this node too.
    void build(std::vector<Mesh*> meshes);
    // Appends meshes, in order, to the meshes this node draws itself.
    void addMeshes(const std::vector<Mesh*>& meshes);
    // The culling walk: frustum test of the node box (skipped when frustum is
    // null), the occlusion query when enabled, the node's own meshes that pass
    // the frustum, then the children 0..7. Counts into stats.
    void render(const Frustum* frustum, CullingStats& stats) const;

    // Switches the occlusion query of this node and its whole subtree.
    void setOcclusionCulling(bool enabled);
    const BoundingBox& getBox() const { return box_; }
    // Child index (0..7), or null when absent or out of range.
    const OctreeNode* getChild(int index) const;
    std::size_t getChildCount() const;
    const std::vector<Mesh*>& getMeshes() const { return meshes_; }
    int getDepth() const { return depth_; }
    // Meshes held by this node and all its descendants.
    std::size_t countMeshesInSubtree() const;

private:
    BoundingBox box_;
    std::array<std::unique_ptr<OctreeNode>, CHILD_COUNT> children_;
    std::vector<Mesh*> meshes_; // owned by the octree's model
    unsigned maxMeshesPerNode_;
    bool occlusionCulling_;
    int depth_;
};

class Octree : public IRenderableObject {
public:
    // Takes ownership of model; the tree is built by init.
    Octree(std::unique_ptr<MeshModel> model, unsigned maxMeshesPerNode, bool occlusionCulling);
    // Destroys the tree first, then the model with its meshes.
    ~Octree() override;
    Octree(const Octree&) = delete;
    Octree& operator=(const Octree&) = delete;

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
    const OctreeNode* getRoot() const { return root_.get(); }
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
    std::unique_ptr<OctreeNode> root_;
    unsigned maxMeshesPerNode_;
    bool occlusionCulling_;
    bool cullingBypassed_ = false;
    CullingStats stats_;
};

} // namespace zel
