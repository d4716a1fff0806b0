#pragma once
// A scene object made of meshes: it owns them, forwards init/render/update, keeps
// the box around all of them and offers the whole-model operations scene set-up
// needs: uniform scaling, standing the model on a point, merging the meshes of
// other models, and the ground height under a point. The SGF model and the
// terrain derive from it; the octree and the quadtree take one as input.
//
// Order of use: fill, optionally scale, computeBoundingBox, optionally placeAt,
// init (box again, then every mesh), then render/update every frame.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/IRenderableObject.h"
#include "geometry/Mesh.h"
#include "math/BoundingBox.h"

namespace zel {

class MeshModel : public IRenderableObject {
public:
    MeshModel();
    ~MeshModel() override;
    MeshModel(const MeshModel&) = delete;
    MeshModel& operator=(const MeshModel&) = delete;

    // computeBoundingBox, then init of every mesh in order. Always true.
    bool init() override;
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Appends a mesh; the model owns it from now on.
    void addMesh(std::unique_ptr<Mesh> mesh);
    // Moves every mesh of source, in its order, to the end of this model's list.
    // Afterwards source holds no meshes (its box is left as it was), so each mesh
    // has exactly one owner. Adding a model to itself does nothing.
    void addMeshes(MeshModel& source);

    // The box around every position of every mesh. Does nothing when there are
    // no meshes or the first mesh has no triangles (the box keeps what it held).
    void computeBoundingBox();
    // Multiplies every position by factor (about the origin). Planes and all boxes
    // and spheres are left as they are.
    void scale(float factor);
    // Moves every position and the model box so that the centre of the box's
    // bottom face lands on (x, y, z). A model without a box is left where it is.
    void placeAt(float x, float y, float z);
    // Height of the first mesh (list order) whose box contains (x, z), bounds
    // included, and whose getHeightAt hits; 0.0 when none does. Needs the meshes
    // initialised.
    float getHeight(float x, float z) const;

    // Null until computeBoundingBox found something to enclose.
    const BoundingBox* getBoundingBox() const { return boundingBox_.get(); }
    const std::vector<std::unique_ptr<Mesh>>& getMeshes() const { return meshes_; }
    std::vector<std::unique_ptr<Mesh>>& getMeshes() { return meshes_; }

protected:
    std::vector<std::unique_ptr<Mesh>> meshes_;
    std::unique_ptr<BoundingBox> boundingBox_;
};

} // namespace zel
