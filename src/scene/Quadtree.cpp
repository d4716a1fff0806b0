#include "scene/Quadtree.h"

#include "engine/Profiler.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "math/Frustum.h"
#include "scene/Octree.h"
#include "engine/Profiler.h"
#include "scene/World.h"

namespace zel {

// ---------------------------------------------------------------- QuadtreeNode

BoundingBox QuadtreeNode::quadrantBox(const BoundingBox& box, int index) {
    const float cx = box.minX + (box.maxX - box.minX) * 0.5f;
    const float cz = box.minZ + (box.maxZ - box.minZ) * 0.5f;
    const bool highX = index == 1 || index == 2;
    const bool highZ = index == 2 || index == 3;
    BoundingBox out = box; // full height
    out.minX = highX ? cx : box.minX;
    out.maxX = highX ? box.maxX : cx;
    out.minZ = highZ ? cz : box.minZ;
    out.maxZ = highZ ? box.maxZ : cz;
    return out;
}

int QuadtreeNode::findQuadrant(const BoundingBox& nodeBox, const BoundingBox& meshBox) {
    for (int i = 0; i < CHILD_COUNT; ++i) {
        if (quadrantBox(nodeBox, i).containsBox(meshBox)) return i;
    }
    return -1;
}

bool QuadtreeNode::staysLeaf(std::size_t meshCount, unsigned maxMeshesPerNode) {
    return meshCount < maxMeshesPerNode;
}

QuadtreeNode::QuadtreeNode(const BoundingBox& box, unsigned maxMeshesPerNode, bool occlusionCulling, int depth)
    : box_(box), maxMeshesPerNode_(maxMeshesPerNode), occlusionCulling_(occlusionCulling), depth_(depth) {}

QuadtreeNode::~QuadtreeNode() = default;

void QuadtreeNode::build(std::vector<Mesh*> meshes) {
    if (depth_ >= MAX_DEPTH) {
        addMeshes(meshes);
        return;
    }
    std::array<std::vector<Mesh*>, CHILD_COUNT> lists;
    for (Mesh* mesh : meshes) {
        const BoundingBox* meshBox = mesh ? mesh->getBoundingBox() : nullptr;
        const int quadrant = meshBox ? findQuadrant(box_, *meshBox) : -1;
        if (quadrant < 0) {
            if (mesh) meshes_.push_back(mesh);
            continue;
        }
        if (!children_[quadrant]) {
            children_[quadrant] = std::make_unique<QuadtreeNode>(quadrantBox(box_, quadrant), maxMeshesPerNode_,
                                                                 occlusionCulling_, depth_ + 1);
        }
        lists[quadrant].push_back(mesh);
    }
    for (int i = 0; i < CHILD_COUNT; ++i) {
        if (!children_[i]) continue;
        if (staysLeaf(lists[i].size(), maxMeshesPerNode_)) {
            children_[i]->addMeshes(lists[i]);
        } else {
            children_[i]->build(std::move(lists[i]));
        }
    }
}

void QuadtreeNode::addMeshes(const std::vector<Mesh*>& meshes) {
    meshes_.insert(meshes_.end(), meshes.begin(), meshes.end());
}

void QuadtreeNode::setOcclusionCulling(bool enabled) {
    occlusionCulling_ = enabled;
    for (const auto& child : children_) {
        if (child) child->setOcclusionCulling(enabled);
    }
}

void QuadtreeNode::render(const Frustum* frustum, CullingStats& stats) const {
    ++stats.nodesVisited;
    if (frustum && !frustum->intersectsBox(box_)) {
        ++stats.nodesFrustumCulled;
        return;
    }
    if (occlusionCulling_ && queryBoxVisibility(box_) <= 0) {
        ++stats.nodesOcclusionCulled;
        return;
    }
    for (Mesh* mesh : meshes_) {
        ++stats.meshesTested;
        const BoundingBox* meshBox = mesh->getBoundingBox();
        if (frustum && meshBox && !frustum->intersectsBox(*meshBox)) continue;
        mesh->render();
        ++stats.meshesDrawn;
        stats.trianglesDrawn += mesh->getTriangles().size();
    }
    for (const auto& child : children_) {
        if (child) child->render(frustum, stats);
    }
}

const QuadtreeNode* QuadtreeNode::getChild(int index) const {
    if (index < 0 || index >= CHILD_COUNT) return nullptr;
    return children_[index].get();
}

std::size_t QuadtreeNode::getChildCount() const {
    std::size_t count = 0;
    for (const auto& child : children_) count += child ? 1 : 0;
    return count;
}

std::size_t QuadtreeNode::countMeshesInSubtree() const {
    std::size_t count = meshes_.size();
    for (const auto& child : children_) {
        if (child) count += child->countMeshesInSubtree();
    }
    return count;
}

// -------------------------------------------------------------------- Quadtree

Quadtree::Quadtree(std::unique_ptr<MeshModel> model, unsigned maxMeshesPerNode, bool occlusionCulling)
    : model_(std::move(model)), maxMeshesPerNode_(maxMeshesPerNode), occlusionCulling_(occlusionCulling) {}

Quadtree::~Quadtree() {
    root_.reset();
    model_.reset();
}

bool Quadtree::init() {
    if (!model_) return false;
    {
        // Mesh initialisation (GPU buffers, texture look-ups) is model building.
        Profiler::Scope profile(Profiler::Models);
        model_->init();
    }
    Profiler::Scope profile(Profiler::Trees);
    root_.reset();
    const BoundingBox* box = model_->getBoundingBox();
    if (!box) return true; // nothing to enclose: an empty tree that draws nothing
    root_ = std::make_unique<QuadtreeNode>(*box, maxMeshesPerNode_, occlusionCulling_);
    std::vector<Mesh*> meshes;
    meshes.reserve(model_->getMeshes().size());
    for (const auto& mesh : model_->getMeshes()) meshes.push_back(mesh.get());
    root_->build(std::move(meshes));
    return true;
}

void Quadtree::render() {
    World* world = World::current();
    renderWith(world ? world->getFrustum() : nullptr);
}

void Quadtree::setOcclusionCulling(bool enabled) {
    occlusionCulling_ = enabled;
    if (root_) root_->setOcclusionCulling(enabled);
}

void Quadtree::renderWith(const Frustum* frustum) {
    stats_.reset();
    if (root_) root_->render(frustum, stats_);
    CullingStats::total() += stats_;
}

void Quadtree::update(std::uint32_t elapsedMs) {
    if (model_) model_->update(elapsedMs);
}

const BoundingBox* Quadtree::getModelBoundingBox() const {
    return model_ ? model_->getBoundingBox() : nullptr;
}

} // namespace zel
