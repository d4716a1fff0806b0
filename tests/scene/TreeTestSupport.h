#pragma once
// Helpers for the octree and quadtree tests: meshes whose bounding box is a
// given box, drawn immediately (so building them needs no GL context), and the
// collection of every mesh a tree holds.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <vector>

#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "math/BoundingBox.h"
#include "scene/CullingStats.h"

namespace scenetest {

// A mesh of three triangles: a quad filling the box's z = min.z face and one
// triangle on its z = max.z face, so its bounding box is exactly box and it
// covers pixels when seen along z. Initialised (box and sphere) in immediate mode.
inline std::unique_ptr<zel::Mesh> makeBoxMesh(const zel::BoundingBox& b) {
    auto mesh = std::make_unique<zel::Mesh>();
    mesh->setRenderMode(zel::Mesh::RENDER_IMMEDIATE);
    auto add = [&mesh](zel::Vector3 p0, zel::Vector3 p1, zel::Vector3 p2) {
        zel::Triangle t;
        t.positions[0] = p0;
        t.positions[1] = p1;
        t.positions[2] = p2;
        mesh->addTriangle(t);
    };
    add({b.minX, b.minY, b.minZ}, {b.maxX, b.minY, b.minZ}, {b.maxX, b.maxY, b.minZ});
    add({b.minX, b.minY, b.minZ}, {b.maxX, b.maxY, b.minZ}, {b.minX, b.maxY, b.minZ});
    add({b.minX, b.minY, b.maxZ}, {b.maxX, b.minY, b.maxZ}, {b.maxX, b.maxY, b.maxZ});
    mesh->init();
    return mesh;
}

// A model holding one box mesh per box, in order (not initialised).
inline std::unique_ptr<zel::MeshModel> makeModel(const std::vector<zel::BoundingBox>& boxes) {
    auto model = std::make_unique<zel::MeshModel>();
    for (const auto& box : boxes) model->addMesh(makeBoxMesh(box));
    return model;
}

inline std::vector<zel::Mesh*> pointers(const std::vector<std::unique_ptr<zel::Mesh>>& meshes) {
    std::vector<zel::Mesh*> out;
    for (const auto& m : meshes) out.push_back(m.get());
    return out;
}

// Every mesh of node's subtree, node's own first, then children in index order.
template <typename Node>
void collectMeshes(const Node& node, std::vector<const zel::Mesh*>& out, int& maxDepth) {
    out.insert(out.end(), node.getMeshes().begin(), node.getMeshes().end());
    if (node.getDepth() > maxDepth) maxDepth = node.getDepth();
    for (int i = 0; i < Node::CHILD_COUNT; ++i) {
        if (const Node* child = node.getChild(i)) collectMeshes(*child, out, maxDepth);
    }
}

// The box's six bounds, comparable in one expectation.
inline std::array<float, 6> corners(const zel::BoundingBox& b) {
    return {b.minX, b.minY, b.minZ, b.maxX, b.maxY, b.maxZ};
}

// Builds a node over box from count identical point meshes plus a few others
// for each maxMeshesPerNode (0 and 1 split every non-empty child again):
// the depth bound ends the subdivision and every mesh is held exactly once.
template <typename Node>
void expectDegenerateInputEnds(const zel::BoundingBox& box, const std::vector<zel::BoundingBox>& others) {
    std::vector<std::unique_ptr<zel::Mesh>> meshes;
    for (int i = 0; i < 200; ++i) meshes.push_back(makeBoxMesh({1, 1, 1, 1, 1, 1}));
    for (const zel::BoundingBox& other : others)
        for (int i = 0; i < 50; ++i) meshes.push_back(makeBoxMesh(other));
    for (unsigned maxMeshes : {0u, 1u, 10u}) {
        SCOPED_TRACE(maxMeshes);
        Node root(box, maxMeshes, false);
        root.build(pointers(meshes));
        std::vector<const zel::Mesh*> held;
        int maxDepth = 0;
        collectMeshes(root, held, maxDepth);
        EXPECT_LE(maxDepth, Node::MAX_DEPTH);
        EXPECT_EQ(held.size(), meshes.size());
        EXPECT_EQ(std::set<const zel::Mesh*>(held.begin(), held.end()).size(), meshes.size());
    }
}

// A tree without a model, or with a model without a box, builds and draws nothing.
template <typename Tree>
void expectNothingWithoutModelOrBox() {
    Tree noModel(nullptr, 10, false);
    EXPECT_FALSE(noModel.init());
    EXPECT_EQ(noModel.getRoot(), nullptr);
    Tree empty(std::make_unique<zel::MeshModel>(), 10, false);
    EXPECT_TRUE(empty.init());
    EXPECT_EQ(empty.getRoot(), nullptr);
    EXPECT_EQ(empty.getModelBoundingBox(), nullptr);
    empty.renderWith(nullptr);
    EXPECT_EQ(empty.getStats(), zel::CullingStats());
}

} // namespace scenetest
