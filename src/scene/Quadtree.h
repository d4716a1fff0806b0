#pragma once
// The quadtree that draws the terrain. Like the octree it owns one mesh model
// and sorts whole meshes into a tree of boxes, but it splits only in the ground
// plane (x and z): four children per node, each spanning the node's full height,
// so a node costs one box test however tall the terrain is. Each frame it walks
// the tree with the same frustum and optional occlusion culling as the octree.
// The world holds it in its main list. The building decisions are pure functions.

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

// One region of the quadtree: its box, up to four children and the meshes it
// draws itself (those that fit no quadrant). The meshes are not owned.
class QuadtreeNode {
public:
    static constexpr int CHILD_COUNT = 4;
    // Nodes this deep are never split (see OctreeNode::MAX_DEPTH).
    static constexpr int MAX_DEPTH = 16;

    // Quadrant index (0..3) of box: (low x, low z), (high x, low z),
    // (high x, high z), (low x, high z); every quadrant keeps the full y range.
    static BoundingBox quadrantBox(const BoundingBox& box, int index);
    // The first quadrant (in index order) whose box contains meshBox, bounds
    // included, or -1 when none does.
    static int findQuadrant(const BoundingBox& nodeBox, const BoundingBox& meshBox);
    // True when a child that received meshCount meshes keeps them itself.
    static bool staysLeaf(std::size_t meshCount, unsigned maxMeshesPerNode);

    QuadtreeNode(const BoundingBox& box, unsigned maxMeshesPerNode, bool occlusionCulling, int depth = 0);
    virtual ~QuadtreeNode();
    QuadtreeNode(const QuadtreeNode&) = delete;
    QuadtreeNode& operator=(const QuadtreeNode&) = delete;

    // Distributes meshes over the quadrants; meshes that fit none (or have no
    // bounding box) stay in this node.
    void build(std::vector<Mesh*> meshes);
    // Appends meshes, in order, to the meshes this node draws itself.
    void addMeshes(const std::vector<Mesh*>& meshes);
    // The culling walk (see OctreeNode::render), children in order 0..3.
    void render(const Frustum* frustum, CullingStats& stats) const;

    // Switches the occlusion query of this node and its whole subtree.
    void setOcclusionCulling(bool enabled);
    const BoundingBox& getBox() const { return box_; }
    const QuadtreeNode* getChild(int index) const;
    std::size_t getChildCount() const;
    const std::vector<Mesh*>& getMeshes() const { return meshes_; }
    int getDepth() const { return depth_; }
    std::size_t countMeshesInSubtree() const;

private:
    BoundingBox box_;
    std::array<std::unique_ptr<QuadtreeNode>, CHILD_COUNT> children_;
    std::vector<Mesh*> meshes_; // owned by the quadtree's model
    unsigned maxMeshesPerNode_;
    bool occlusionCulling_;
    int depth_;
};

class Quadtree : public IRenderableObject {
public:
    // Takes ownership of model (in the demo the terrain); the tree is built by init.
    Quadtree(std::unique_ptr<MeshModel> model, unsigned maxMeshesPerNode, bool occlusionCulling);
    // Destroys the tree first, then the model.
    ~Quadtree() override;
    Quadtree(const Quadtree&) = delete;
    Quadtree& operator=(const Quadtree&) = delete;

    // Initialises the model, then builds the tree over a copy of its mesh list.
    // False without a model; a model without a box builds no root.
    bool init() override;
    // Walks the tree against the world's frustum (none without a world).
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // The walk against an explicit frustum (null: no frustum culling).
    void renderWith(const Frustum* frustum);

    MeshModel* getModel() const { return model_.get(); }
    const BoundingBox* getModelBoundingBox() const;
    const QuadtreeNode* getRoot() const { return root_.get(); }
    // Counts of the last render; also added to CullingStats::total().
    const CullingStats& getStats() const { return stats_; }
    bool getOcclusionCulling() const { return occlusionCulling_; }
    // Switches occlusion culling of the whole tree (for comparing configurations).
    void setOcclusionCulling(bool enabled);

private:
    std::unique_ptr<MeshModel> model_;
    std::unique_ptr<QuadtreeNode> root_;
    unsigned maxMeshesPerNode_;
    bool occlusionCulling_;
    CullingStats stats_;
};

} // namespace zel
