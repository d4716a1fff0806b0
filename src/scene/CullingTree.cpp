#include "scene/CullingTree.h"

#include <GL/glew.h>

#include <cstdio>
#include <limits>

#include "engine/Profiler.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "math/Frustum.h"
#include "scene/Octree.h"
#include "scene/Quadtree.h"
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
            fprintf(stderr, "WARNING: [%s] Occlusion queries are not available; every node counts as visible.\n", "Octree");
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

// ------------------------------------------------------------- CullingTreeNode

template <class Node, int ChildCount>
int CullingTreeNode<Node, ChildCount>::findChild(const BoundingBox& nodeBox, const BoundingBox& meshBox) {
    for (int i = 0; i < CHILD_COUNT; ++i) {
        if (Node::childBox(nodeBox, i).containsBox(meshBox)) return i;
    }
    return -1;
}

template <class Node, int ChildCount>
bool CullingTreeNode<Node, ChildCount>::staysLeaf(std::size_t meshCount, unsigned maxMeshesPerNode) {
    return meshCount < maxMeshesPerNode;
}

template <class Node, int ChildCount>
CullingTreeNode<Node, ChildCount>::CullingTreeNode(const BoundingBox& box, unsigned maxMeshesPerNode,
                                                   bool occlusionCulling, int depth)
    : box_(box), maxMeshesPerNode_(maxMeshesPerNode), occlusionCulling_(occlusionCulling), depth_(depth) {}

template <class Node, int ChildCount>
CullingTreeNode<Node, ChildCount>::~CullingTreeNode() = default;

template <class Node, int ChildCount>
void CullingTreeNode<Node, ChildCount>::build(std::vector<Mesh*> meshes) {
    if (depth_ >= MAX_DEPTH) {
        addMeshes(meshes);
        return;
    }
    std::array<std::vector<Mesh*>, CHILD_COUNT> lists;
    for (Mesh* mesh : meshes) {
        const BoundingBox* meshBox = mesh ? mesh->getBoundingBox() : nullptr;
        const int child = meshBox ? findChild(box_, *meshBox) : -1;
        if (child < 0) {
            if (mesh) meshes_.push_back(mesh);
            continue;
        }
        if (!children_[child]) {
            children_[child] =
                std::make_unique<Node>(Node::childBox(box_, child), maxMeshesPerNode_, occlusionCulling_, depth_ + 1);
        }
        lists[child].push_back(mesh);
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

template <class Node, int ChildCount>
void CullingTreeNode<Node, ChildCount>::addMeshes(const std::vector<Mesh*>& meshes) {
    meshes_.insert(meshes_.end(), meshes.begin(), meshes.end());
}

template <class Node, int ChildCount>
void CullingTreeNode<Node, ChildCount>::setOcclusionCulling(bool enabled) {
    occlusionCulling_ = enabled;
    for (const auto& child : children_) {
        if (child) child->setOcclusionCulling(enabled);
    }
}

template <class Node, int ChildCount>
void CullingTreeNode<Node, ChildCount>::render(const Frustum* frustum, CullingStats& stats) const {
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

template <class Node, int ChildCount>
const Node* CullingTreeNode<Node, ChildCount>::getChild(int index) const {
    if (index < 0 || index >= CHILD_COUNT) return nullptr;
    return children_[index].get();
}

template <class Node, int ChildCount>
std::size_t CullingTreeNode<Node, ChildCount>::getChildCount() const {
    std::size_t count = 0;
    for (const auto& child : children_) count += child ? 1 : 0;
    return count;
}

template <class Node, int ChildCount>
std::size_t CullingTreeNode<Node, ChildCount>::countMeshesInSubtree() const {
    std::size_t count = meshes_.size();
    for (const auto& child : children_) {
        if (child) count += child->countMeshesInSubtree();
    }
    return count;
}

// ----------------------------------------------------------------- CullingTree

template <class Node>
CullingTree<Node>::CullingTree(std::unique_ptr<MeshModel> model, unsigned maxMeshesPerNode, bool occlusionCulling)
    : model_(std::move(model)), maxMeshesPerNode_(maxMeshesPerNode), occlusionCulling_(occlusionCulling) {}

template <class Node>
CullingTree<Node>::~CullingTree() {
    root_.reset();
    model_.reset();
}

template <class Node>
bool CullingTree<Node>::init() {
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
    root_ = std::make_unique<Node>(*box, maxMeshesPerNode_, occlusionCulling_);
    std::vector<Mesh*> meshes;
    meshes.reserve(model_->getMeshes().size());
    for (const auto& mesh : model_->getMeshes()) meshes.push_back(mesh.get());
    root_->build(std::move(meshes));
    return true;
}

template <class Node>
void CullingTree<Node>::render() {
    World* world = World::current();
    renderWith(world ? world->getFrustum() : nullptr);
}

template <class Node>
void CullingTree<Node>::setOcclusionCulling(bool enabled) {
    occlusionCulling_ = enabled;
    if (root_) root_->setOcclusionCulling(enabled);
}

template <class Node>
void CullingTree<Node>::renderWith(const Frustum* frustum) {
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

template <class Node>
void CullingTree<Node>::update(std::uint32_t elapsedMs) {
    if (model_) model_->update(elapsedMs);
}

template <class Node>
const BoundingBox* CullingTree<Node>::getModelBoundingBox() const {
    return model_ ? model_->getBoundingBox() : nullptr;
}

template class CullingTreeNode<OctreeNode, 8>;
template class CullingTreeNode<QuadtreeNode, 4>;
template class CullingTree<OctreeNode>;
template class CullingTree<QuadtreeNode>;

} // namespace zel
