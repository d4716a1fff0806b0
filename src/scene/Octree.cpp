#include "scene/Octree.h"

#include <GL/glew.h>

#include <cstdio>
#include <limits>

#include "engine/Profiler.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "math/Frustum.h"
#include "scene/World.h"

namespace zel {

namespace {

// One occlusion query object, deleted when the query is done.
class QueryObject {
public:
    QueryObject() { glGenQueries(1, &id_); }
    ~QueryObject() {
        if (id_ != 0) glDeleteQueries(1, &id_);
    }
    QueryObject(const QueryObject&) = delete;
    QueryObject& operator=(const QueryObject&) = delete;
    GLuint id() const { return id_; }

private:
    GLuint id_ = 0;
};

} // namespace

std::int32_t queryBoxVisibility(const BoundingBox& box) {
    // Without occlusion queries (no GL 1.5) a box cannot be proven hidden.
    if (!glGenQueries || !glBeginQuery || !glEndQuery || !glGetQueryObjectuiv || !glDeleteQueries) {
        static bool reported = false;
        if (!reported) {
            printf("WARNING: [%s] Occlusion queries are not available; every node counts as visible.\n", "Octree");
            reported = true;
        }
        return 1;
    }
    QueryObject query;
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glBeginQuery(GL_SAMPLES_PASSED, query.id());
    box.drawSolid(1.0f, 1.0f, 1.0f);
    glEndQuery(GL_SAMPLES_PASSED);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    // GL_QUERY_RESULT waits for the GPU: the answer decides this node in this frame.
    GLuint samples = 0;
    glGetQueryObjectuiv(query.id(), GL_QUERY_RESULT, &samples);
    const GLuint limit = static_cast<GLuint>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(samples > limit ? limit : samples);
}

// ------------------------------------------------------------------ OctreeNode

BoundingBox OctreeNode::octantBox(const BoundingBox& box, int index) {
    const float cx = box.minX + (box.maxX - box.minX) * 0.5f;
    const float cy = box.minY + (box.maxY - box.minY) * 0.5f;
    const float cz = box.minZ + (box.maxZ - box.minZ) * 0.5f;
    // Low z layer counter-clockwise in x-y from the minimum corner, then high z.
    const bool highX = index == 1 || index == 2 || index == 5 || index == 6;
    const bool highY = index == 2 || index == 3 || index == 6 || index == 7;
    const bool highZ = index >= 4;
    BoundingBox out;
    out.minX = highX ? cx : box.minX;
    out.maxX = highX ? box.maxX : cx;
    out.minY = highY ? cy : box.minY;
    out.maxY = highY ? box.maxY : cy;
    out.minZ = highZ ? cz : box.minZ;
    out.maxZ = highZ ? box.maxZ : cz;
    return out;
}

int OctreeNode::findOctant(const BoundingBox& nodeBox, const BoundingBox& meshBox) {
    for (int i = 0; i < CHILD_COUNT; ++i) {
        if (octantBox(nodeBox, i).containsBox(meshBox)) return i;
    }
    return -1;
}

bool OctreeNode::staysLeaf(std::size_t meshCount, unsigned maxMeshesPerNode) {
    return meshCount < maxMeshesPerNode;
}

OctreeNode::OctreeNode(const BoundingBox& box, unsigned maxMeshesPerNode, bool occlusionCulling, int depth)
    : box_(box), maxMeshesPerNode_(maxMeshesPerNode), occlusionCulling_(occlusionCulling), depth_(depth) {}

OctreeNode::~OctreeNode() = default;

void OctreeNode::build(std::vector<Mesh*> meshes) {
    if (depth_ >= MAX_DEPTH) {
        addMeshes(meshes);
        return;
    }
    std::array<std::vector<Mesh*>, CHILD_COUNT> lists;
    for (Mesh* mesh : meshes) {
        const BoundingBox* meshBox = mesh ? mesh->getBoundingBox() : nullptr;
        const int octant = meshBox ? findOctant(box_, *meshBox) : -1;
        if (octant < 0) {
            if (mesh) meshes_.push_back(mesh);
            continue;
        }
        if (!children_[octant]) {
            children_[octant] = std::make_unique<OctreeNode>(octantBox(box_, octant), maxMeshesPerNode_,
                                                             occlusionCulling_, depth_ + 1);
        }
        lists[octant].push_back(mesh);
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

void OctreeNode::addMeshes(const std::vector<Mesh*>& meshes) {
    meshes_.insert(meshes_.end(), meshes.begin(), meshes.end());
}

void OctreeNode::setOcclusionCulling(bool enabled) {
    occlusionCulling_ = enabled;
    for (const auto& child : children_) {
        if (child) child->setOcclusionCulling(enabled);
    }
}

void OctreeNode::render(const Frustum* frustum, CullingStats& stats) const {
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

const OctreeNode* OctreeNode::getChild(int index) const {
    if (index < 0 || index >= CHILD_COUNT) return nullptr;
    return children_[index].get();
}

std::size_t OctreeNode::getChildCount() const {
    std::size_t count = 0;
    for (const auto& child : children_) count += child ? 1 : 0;
    return count;
}

std::size_t OctreeNode::countMeshesInSubtree() const {
    std::size_t count = meshes_.size();
    for (const auto& child : children_) {
        if (child) count += child->countMeshesInSubtree();
    }
    return count;
}

// ---------------------------------------------------------------------- Octree

Octree::Octree(std::unique_ptr<MeshModel> model, unsigned maxMeshesPerNode, bool occlusionCulling)
    : model_(std::move(model)), maxMeshesPerNode_(maxMeshesPerNode), occlusionCulling_(occlusionCulling) {}

Octree::~Octree() {
    root_.reset();
    model_.reset();
}

bool Octree::init() {
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
    root_ = std::make_unique<OctreeNode>(*box, maxMeshesPerNode_, occlusionCulling_);
    std::vector<Mesh*> meshes;
    meshes.reserve(model_->getMeshes().size());
    for (const auto& mesh : model_->getMeshes()) meshes.push_back(mesh.get());
    root_->build(std::move(meshes));
    return true;
}

void Octree::render() {
    World* world = World::current();
    renderWith(world ? world->getFrustum() : nullptr);
}

void Octree::setOcclusionCulling(bool enabled) {
    occlusionCulling_ = enabled;
    if (root_) root_->setOcclusionCulling(enabled);
}

void Octree::renderWith(const Frustum* frustum) {
    stats_.reset();
    if (cullingBypassed_ && model_) {
        for (const auto& mesh : model_->getMeshes()) {
            mesh->render();
            ++stats_.meshesDrawn;
            stats_.trianglesDrawn += mesh->getTriangles().size();
        }
    } else if (root_) {
        root_->render(frustum, stats_);
    }
    CullingStats::total() += stats_;
}

void Octree::update(std::uint32_t elapsedMs) {
    if (model_) model_->update(elapsedMs);
}

const BoundingBox* Octree::getModelBoundingBox() const {
    return model_ ? model_->getBoundingBox() : nullptr;
}

} // namespace zel
