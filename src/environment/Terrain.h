#pragma once
// The ground of the outdoor scene: a 100 x 100 grid of height samples taken from
// a grey-scale heightmap, each cell cut into two textured triangles, stored in
// single-textured meshes of at most 1,000,000 triangles. Everything happens in
// the constructor; afterwards the terrain is an ordinary, immutable mesh model.
// The demo hands it to a quadtree, and asks it (MeshModel::getHeight) for the
// ground height under the points where it stands its models.

#include <string>
#include <vector>

#include "geometry/MeshModel.h"
#include "math/Vector3.h"

namespace zel {

class Texture;

class Terrain : public MeshModel {
public:
    static constexpr int GRID_COLUMNS = 100;
    static constexpr int GRID_ROWS = 100;
    static constexpr int MAX_TRIANGLES_PER_MESH = 1000000;
    // Tiling of the ground texture across the whole grid, in each direction.
    static constexpr double TEXTURE_REPEATS = 20.0;

    // Loads the heightmap, looks the ground texture up in the texture database,
    // builds the grid and its meshes and computes the model box. origin is grid
    // vertex (0, 0) at grey level 0; heightScale is world units per grey level;
    // sizeX and sizeZ are the extents the 100 columns and rows divide. A heightmap
    // that cannot be loaded gives a flat grid at origin.y (with a warning).
    Terrain(const std::string& heightmapFile, const std::string& textureName, const Vector3& origin,
            float heightScale, float sizeX, float sizeZ);
    ~Terrain() override;

    // Cuts every cell of the row-major countX x countZ grid into two triangles
    // and appends them to new single-textured meshes, starting a new mesh whenever
    // the current one reaches maxTrianglesPerMesh. A grid with fewer than two rows
    // or columns (or smaller than countX * countZ) adds nothing.
    void buildMeshes(const std::vector<Vector3>& grid, int countX, int countZ,
                     int maxTrianglesPerMesh = MAX_TRIANGLES_PER_MESH);

    // The ground texture (owned by the texture database), or null.
    Texture* getTexture() const { return texture_; }

private:
    Texture* texture_ = nullptr; // owned by the texture database
};

} // namespace zel
