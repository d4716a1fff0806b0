#include "geometry/MeshModel.h"

#include <algorithm>
#include <iterator>

namespace zel {

MeshModel::MeshModel() = default;

MeshModel::~MeshModel() = default;

bool MeshModel::init() {
    computeBoundingBox();
    for (auto& mesh : meshes_) {
        mesh->init();
    }
    return true;
}

void MeshModel::render() {
    for (auto& mesh : meshes_) {
        mesh->render();
    }
}

void MeshModel::update(std::uint32_t elapsedMs) {
    for (auto& mesh : meshes_) {
        mesh->update(elapsedMs);
    }
}

void MeshModel::addMesh(std::unique_ptr<Mesh> mesh) {
    if (mesh) {
        meshes_.push_back(std::move(mesh));
    }
}

void MeshModel::addMeshes(MeshModel& source) {
    if (&source == this) {
        return;
    }
    meshes_.reserve(meshes_.size() + source.meshes_.size());
    std::move(source.meshes_.begin(), source.meshes_.end(), std::back_inserter(meshes_));
    source.meshes_.clear();
    // The source has no geometry left, so it has no box either.
    source.boundingBox_.reset();
}

void MeshModel::computeBoundingBox() {
    if (meshes_.empty() || meshes_.front()->getTriangles().empty()) {
        return;
    }
    const Vector3& first = meshes_.front()->getTriangles().front()->positions[0];
    BoundingBox box(first.x, first.y, first.z, first.x, first.y, first.z);
    for (const auto& mesh : meshes_) {
        mesh->extendBox(box);
    }
    if (!boundingBox_) {
        boundingBox_ = std::make_unique<BoundingBox>();
    }
    *boundingBox_ = box;
}

void MeshModel::scale(float factor) {
    for (auto& mesh : meshes_) {
        for (auto& triangle : mesh->getTriangles()) {
            for (Vector3& p : triangle->positions) {
                p = p * factor;
            }
        }
    }
}

void MeshModel::placeAt(float x, float y, float z) {
    if (!boundingBox_) {
        return;
    }
    const Vector3 offset = Vector3(x, y, z) - boundingBox_->baseCenter();
    for (auto& mesh : meshes_) {
        for (auto& triangle : mesh->getTriangles()) {
            for (Vector3& p : triangle->positions) {
                p = p + offset;
            }
        }
    }
    BoundingBox& box = *boundingBox_;
    box = BoundingBox(box.minX + offset.x, box.minY + offset.y, box.minZ + offset.z,
                      box.maxX + offset.x, box.maxY + offset.y, box.maxZ + offset.z);
}

float MeshModel::getHeight(float x, float z) const {
    for (const auto& mesh : meshes_) {
        const BoundingBox* box = mesh->getBoundingBox();
        if (!box) {
            continue;
        }
        if (box->minX <= x && x <= box->maxX && box->minZ <= z && z <= box->maxZ) {
            float height = 0.0f;
            if (mesh->getHeightAt(x, z, height)) {
                return height;
            }
        }
    }
    return 0.0f;
}

} // namespace zel
