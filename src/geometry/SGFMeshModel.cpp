#include "geometry/SGFMeshModel.h"

#include <cstdio>

#include "engine/Profiler.h"
#include "geometry/SGFFile.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/TextureDatabase.h"

namespace zel {

SGFMeshModel::SGFMeshModel() = default;

SGFMeshModel::SGFMeshModel(const SGFFile& reader, float x, float y, float z, float scale) {
    build(reader);
    if (scale != 0.0f && scale != 1.0f) {
        MeshModel::scale(scale);
    }
    computeBoundingBox();
    placeAt(x, y, z);
}

SGFMeshModel::~SGFMeshModel() = default;

std::unique_ptr<SGFMeshModel> SGFMeshModel::load(const std::string& path, const Vector3& position,
                                                 float scale) {
    Profiler::Scope profile(Profiler::Models);
    const SGFFile reader(path);
    if (!reader.isLoaded()) {
        printf("ERROR: [SGFMeshModel] Could not read model file %s; the model is empty.\n", path.c_str());
        return std::make_unique<SGFMeshModel>();
    }
    if (reader.getMeshes().empty()) {
        printf("ERROR: [SGFMeshModel] Model file %s has no meshes; the model is empty.\n", path.c_str());
        return std::make_unique<SGFMeshModel>();
    }
    auto model = std::make_unique<SGFMeshModel>(reader, position.x, position.y, position.z, scale);
    if (!model->getBoundingBox()) {
        // Without a box the model cannot be placed; geometry left at the file's
        // coordinates would appear in the wrong spot, so nothing is kept.
        printf("ERROR: [SGFMeshModel] The first mesh of model file %s has no usable faces; the model is empty.\n",
               path.c_str());
        return std::make_unique<SGFMeshModel>();
    }
    return model;
}

bool SGFMeshModel::hasSingleTexture(const SGFMesh& mesh) {
    if (mesh.faces.empty()) {
        return false;
    }
    const std::string& first = mesh.faces.front().texture;
    for (const SGFFace& face : mesh.faces) {
        if (face.texture != first) {
            return false;
        }
    }
    return true;
}

bool SGFMeshModel::hasValidIndices(const SGFMesh& mesh, const SGFFace& face) {
    for (int k = 0; k < 3; ++k) {
        if (face.indices[k] < 0 || static_cast<std::size_t>(face.indices[k]) >= mesh.vertices.size()) {
            return false;
        }
    }
    return true;
}

void SGFMeshModel::build(const SGFFile& reader) {
    TextureDatabase& textures = TextureDatabase::getInstance();

    // Every texture of the file is loaded before any mesh is built, in face order,
    // so a texture shared by several meshes is loaded once.
    for (const SGFMesh& record : reader.getMeshes()) {
        for (const SGFFace& face : record.faces) {
            textures.getTexture(face.texture);
        }
    }

    int meshIndex = 0;
    for (const SGFMesh& record : reader.getMeshes()) {
        std::unique_ptr<Mesh> mesh;
        if (hasSingleTexture(record)) {
            auto single = std::make_unique<SingleTexturedMesh>();
            if (Texture* texture = textures.findTexture(record.faces.front().texture)) {
                single->setTexture(texture);
            }
            mesh = std::move(single);
        } else {
            mesh = std::make_unique<Mesh>();
        }

        int faceIndex = 0;
        for (const SGFFace& face : record.faces) {
            if (!hasValidIndices(record, face)) {
                printf("ERROR: [SGFMeshModel] %s: mesh %d, face %d: vertex index (%d, %d, %d) outside "
                       "the mesh's %u vertices; face skipped.\n",
                       reader.getPath().c_str(), meshIndex, faceIndex, face.indices[0], face.indices[1],
                       face.indices[2], static_cast<unsigned>(record.vertices.size()));
                ++faceIndex;
                continue;
            }
            Triangle triangle;
            for (int k = 0; k < 3; ++k) {
                triangle.positions[k] = record.vertices[static_cast<std::size_t>(face.indices[k])];
                triangle.texCoords[k] = face.texCoords[k];
            }
            triangle.texture = textures.findTexture(face.texture);
            triangle.plane = std::make_shared<Plane>(Plane::fromTriangle(triangle));
            mesh->addTriangle(triangle);
            ++faceIndex;
        }
        meshes_.push_back(std::move(mesh));
        ++meshIndex;
    }
}

} // namespace zel
