#pragma once
// A mesh model built from an SGF file: every texture the file names is loaded,
// each mesh record becomes a SingleTexturedMesh when all its faces name one
// texture and a plain Mesh otherwise, then the model is scaled about the file's
// origin and stood with the centre of its base on the given point. The demo scene
// loads its buildings and props this way and merges them into the octree's model.
// Needs the texture registry (a GL context) and, for lighting, the world.
//
// Bad input: a face with an index outside its mesh's vertex list is skipped with
// an ERROR line (standard error) naming the file, mesh and face; the rest loads. load() returns an
// empty model, left unplaced, with a message when the file cannot be read, has no
// meshes, or yields no box (its first mesh has no usable faces).

#include <cstddef>
#include <memory>
#include <string>

#include "geometry/MeshModel.h"
#include "math/Vector3.h"

namespace zel {

class SGFFile;
struct SGFMesh;
struct SGFFace;

class SGFMeshModel : public MeshModel {
public:
    // An empty model (no meshes, no box).
    SGFMeshModel();
    // build(reader), scale unless scale is 0 or 1, computeBoundingBox, placeAt.
    SGFMeshModel(const SGFFile& reader, float x, float y, float z, float scale);
    ~SGFMeshModel() override;

    // Reads the file and builds the model placed at position; never null. See the
    // header comment for what a bad file yields.
    static std::unique_ptr<SGFMeshModel> load(const std::string& path, const Vector3& position,
                                              float scale);

    // Loads every texture of the file in face order, then appends one mesh per
    // record (also for records without faces).
    void build(const SGFFile& reader);

    // Distinct texture names one file may request from the registry.
    static constexpr std::size_t MAX_TEXTURES_PER_FILE = 1024;

    // True when the record has faces with valid indices and all of those name
    // the first such face's texture exactly (faces with bad indices are ignored).
    static bool hasSingleTexture(const SGFMesh& mesh);
    // True when the face's first three indices lie inside the record's vertex list.
    static bool hasValidIndices(const SGFMesh& mesh, const SGFFace& face);
};

} // namespace zel
