#include "environment/Terrain.h"

#include <cstdio>
#include <memory>

#include "engine/Profiler.h"
#include "environment/HeightmapLoader.h"
#include "geometry/Plane.h"
#include "geometry/SingleTexturedMesh.h"
#include "geometry/Triangle.h"
#include "resources/TextureDatabase.h"

namespace zel {

namespace {

Triangle makeTriangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector2& ta, const Vector2& tb,
                      const Vector2& tc) {
    Triangle triangle;
    triangle.positions[0] = a;
    triangle.positions[1] = b;
    triangle.positions[2] = c;
    triangle.texCoords[0] = ta;
    triangle.texCoords[1] = tb;
    triangle.texCoords[2] = tc;
    triangle.plane = std::make_shared<Plane>(Plane::fromPoints(a, b, c));
    return triangle;
}

} // namespace

Terrain::Terrain(const std::string& heightmapFile, const std::string& textureName, const Vector3& origin,
                 float heightScale, float sizeX, float sizeZ) {
    Profiler::Scope profile(Profiler::Terrain);
    std::vector<Vector3> grid;
    {
        HeightmapLoader loader;
        const bool loaded = loader.load(heightmapFile);
        if (!loaded) {
            fprintf(stderr, "WARNING: [%s] Could not load heightmap <%s>; the terrain is flat at height %g.\n", "Terrain",
                    heightmapFile.c_str(), static_cast<double>(origin.y));
        } else if (!loader.hasUsableImage()) {
            fprintf(stderr, "WARNING: [%s] Heightmap <%s> has no pixels to sample; the terrain is flat at height %g.\n",
                    "Terrain", heightmapFile.c_str(), static_cast<double>(origin.y));
        }
        texture_ = TextureDatabase::getInstance().getTexture(textureName);
        grid = loader.createVertexGrid(origin, heightScale, GRID_COLUMNS, GRID_ROWS, sizeX, sizeZ);
    } // the loader and its image are released here
    buildMeshes(grid, GRID_COLUMNS, GRID_ROWS);
    computeBoundingBox();
}

Terrain::~Terrain() = default;

void Terrain::buildMeshes(const std::vector<Vector3>& grid, int countX, int countZ, int maxTrianglesPerMesh) {
    if (countX < 2 || countZ < 2) return;
    if (grid.size() < static_cast<std::size_t>(countX) * static_cast<std::size_t>(countZ)) return;

    const float ts = static_cast<float>(TEXTURE_REPEATS / countX);
    auto newMesh = [this]() {
        auto mesh = std::make_unique<SingleTexturedMesh>();
        if (texture_) mesh->setTexture(texture_);
        return mesh;
    };
    auto at = [&grid, countX](int column, int row) -> const Vector3& {
        return grid[static_cast<std::size_t>(row) * static_cast<std::size_t>(countX) + static_cast<std::size_t>(column)];
    };

    std::unique_ptr<SingleTexturedMesh> mesh = newMesh();
    int counter = 0;
    for (int r = 0; r < countZ - 1; ++r) {
        for (int c = 0; c < countX - 1; ++c) {
            const Vector3& p00 = at(c, r);
            const Vector3& p01 = at(c + 1, r);
            const Vector3& p10 = at(c, r + 1);
            const Vector3& p11 = at(c + 1, r + 1);
            const float s0 = static_cast<float>(c) * ts;
            const float s1 = static_cast<float>(c + 1) * ts;
            const float t0 = static_cast<float>(r) * ts;
            const float t1 = static_cast<float>(r + 1) * ts;
            mesh->addTriangle(makeTriangle(p00, p10, p01, {s0, t0}, {s0, t1}, {s1, t0}));
            mesh->addTriangle(makeTriangle(p01, p10, p11, {s1, t0}, {s0, t1}, {s1, t1}));
            counter += 2;
            if (counter >= maxTrianglesPerMesh) {
                addMesh(std::move(mesh));
                mesh = newMesh();
                counter = 0;
            }
        }
    }
    if (counter > 0) addMesh(std::move(mesh));
}

} // namespace zel
