#include "geometry/SGFMeshModel.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "engine/Profiler.h"
#include "geometry/SGFFile.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/Texture.h"
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
        fprintf(stderr, "ERROR: [SGFMeshModel] Could not read model file %s; the model is empty.\n", path.c_str());
        return std::make_unique<SGFMeshModel>();
    }
    if (reader.getMeshes().empty()) {
        fprintf(stderr, "ERROR: [SGFMeshModel] Model file %s has no meshes; the model is empty.\n", path.c_str());
        return std::make_unique<SGFMeshModel>();
    }
    auto model = std::make_unique<SGFMeshModel>(reader, position.x, position.y, position.z, scale);
    if (!model->getBoundingBox()) {
        // Without a box the model cannot be placed; geometry left at the file's
        // coordinates would appear in the wrong spot, so nothing is kept.
        fprintf(stderr, "ERROR: [SGFMeshModel] The first mesh of model file %s has no usable faces; the model is empty.\n",
               path.c_str());
        return std::make_unique<SGFMeshModel>();
    }
    // The reader caps coordinates at the largest float, so scaling or placing can
    // still overflow them; infinite corners would turn into NaN in every box test.
    const BoundingBox& box = *model->getBoundingBox();
    for (float v : {box.minX, box.minY, box.minZ, box.maxX, box.maxY, box.maxZ}) {
        if (!std::isfinite(v)) {
            fprintf(stderr, "ERROR: [SGFMeshModel] Model file %s leaves the float range at scale %g; the model is empty.\n",
                    path.c_str(), static_cast<double>(scale));
            return std::make_unique<SGFMeshModel>();
        }
    }
    return model;
}

bool SGFMeshModel::hasSingleTexture(const SGFMesh& mesh) {
    // Only the faces that will be built count: a face skipped for bad indices
    // must not turn a one-texture mesh into a mixed one, or the reverse.
    const std::string* first = nullptr;
    for (const SGFFace& face : mesh.faces) {
        if (!hasValidIndices(mesh, face)) {
            continue;
        }
        if (first == nullptr) {
            first = &face.texture;
        } else if (face.texture != *first) {
            return false;
        }
    }
    return first != nullptr;
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
    // Every texture of the file is requested once, in order of first use, before
    // any mesh is built; faces then look their name up here. A file that names
    // many thousands of textures (or one missing texture in every face) costs
    // one registry request per distinct name, and at most MAX_TEXTURES_PER_FILE.
    std::unordered_map<std::string, Texture*> resolved;
    bool reportedTooMany = false;
    for (const SGFMesh& record : reader.getMeshes()) {
        for (const SGFFace& face : record.faces) {
            if (resolved.count(face.texture) != 0) {
                continue;
            }
            if (resolved.size() >= MAX_TEXTURES_PER_FILE) {
                if (!reportedTooMany) {
                    fprintf(stderr, "WARNING: [SGFMeshModel] %s names more than %zu textures; the rest use the "
                            "default texture.\n", reader.getPath().c_str(), MAX_TEXTURES_PER_FILE);
                    reportedTooMany = true;
                }
                continue;
            }
            textures.getTexture(face.texture);
            // A texture that failed to load is not in the registry: such faces
            // keep no texture, as a lookup by name would give them.
            resolved.emplace(face.texture, textures.findTexture(face.texture));
        }
    }
    auto lookUp = [&](const std::string& name) -> Texture* {
        const auto found = resolved.find(name);
        return found != resolved.end() ? found->second : textures.getDefaultTexture();
    };

    int meshIndex = 0;
    for (const SGFMesh& record : reader.getMeshes()) {
        std::unique_ptr<Mesh> mesh;
        if (hasSingleTexture(record)) {
            auto single = std::make_unique<SingleTexturedMesh>();
            for (const SGFFace& face : record.faces) {
                if (hasValidIndices(record, face)) {
                    if (Texture* texture = lookUp(face.texture)) {
                        single->setTexture(texture);
                    }
                    break;
                }
            }
            mesh = std::move(single);
        } else {
            mesh = std::make_unique<Mesh>();
        }
        int faceIndex = 0;
        for (const SGFFace& face : record.faces) {
            if (!hasValidIndices(record, face)) {
                fprintf(stderr, "ERROR: [SGFMeshModel] %s: mesh %d, face %d: vertex index (%d, %d, %d) outside "
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
            triangle.texture = lookUp(face.texture);
            triangle.plane = std::make_shared<Plane>(Plane::fromTriangle(triangle));
            mesh->addTriangle(triangle);
            ++faceIndex;
        }
        meshes_.push_back(std::move(mesh));
        ++meshIndex;
    }
}

} // namespace zel
