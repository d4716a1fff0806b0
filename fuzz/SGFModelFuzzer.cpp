// Fuzzes the SGF reader together with building a model from it: the input is
// written to a .sgf file and loaded with SGFMeshModel::load, which reads the
// records, requests every texture the file names, groups faces into meshes,
// checks face indices, scales and places the model.
//
// No OpenGL context is made. The process works in an empty scratch folder, so
// every texture request fails inside the image loader (no ../data/textures) and
// the registry hands out its null default texture; the factory's upload code is
// never reached. Everything else of the model build runs as in the program, and
// the built meshes then get their boxes and spheres and are sorted into an
// octree as the demo's village is (the display lists are left out: GL).
// Uploading and drawing are covered by the GL tests with the shipped models.

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "geometry/Mesh.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "math/BoundingBox.h"
#include "scene/Octree.h"

#include <memory>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlInitParser();
    zelfuzz::enterScratchDirectory("sgf");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* const path = "model.sgf";
    zelfuzz::writeFile(path, data, size);

    // The reader on its own, with its records walked.
    {
        const zel::SGFFile reader(path);
        std::size_t faces = 0;
        for (const zel::SGFMesh& mesh : reader.getMeshes()) {
            for (const zel::SGFFace& face : mesh.faces) {
                faces += face.texture.size() + (zel::SGFMeshModel::hasValidIndices(mesh, face) ? 1 : 0);
            }
        }
        (void)faces;
    }

    // The whole model build, scaled so that the scaling path runs too.
    std::unique_ptr<zel::SGFMeshModel> model = zel::SGFMeshModel::load(path, zel::Vector3(10.0f, -2.0f, 3.0f), 2.0f);
    // What init does to each mesh apart from the display list, then the octree
    // sorting the demo applies to the merged village (pure logic, no GL).
    std::vector<zel::Mesh*> meshes;
    for (const std::unique_ptr<zel::Mesh>& mesh : model->getMeshes()) {
        mesh->computeBoundingBox();
        mesh->computeBoundingSphere();
        float height = 0.0f;
        mesh->getHeightAt(10.0f, 3.0f, height);
        meshes.push_back(mesh.get());
    }
    if (const zel::BoundingBox* box = model->getBoundingBox()) {
        zel::OctreeNode root(*box, 4, false);
        root.build(meshes);
        (void)root.countMeshesInSubtree();
        (void)model->getHeight(10.0f, 3.0f);
    }
    return 0;
}
