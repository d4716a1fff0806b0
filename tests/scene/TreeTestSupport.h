#pragma once
// Helpers for the octree and quadtree tests: meshes whose bounding box is a
// given box, drawn immediately (so building them needs no GL context), and the
// collection of every mesh a tree holds.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "math/BoundingBox.h"

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

inline void expectBox(const zel::BoundingBox& actual, const zel::BoundingBox& expected) {
    EXPECT_FLOAT_EQ(actual.minX, expected.minX);
    EXPECT_FLOAT_EQ(actual.minY, expected.minY);
    EXPECT_FLOAT_EQ(actual.minZ, expected.minZ);
    EXPECT_FLOAT_EQ(actual.maxX, expected.maxX);
    EXPECT_FLOAT_EQ(actual.maxY, expected.maxY);
    EXPECT_FLOAT_EQ(actual.maxZ, expected.maxZ);
}

} // namespace scenetest
