// The heightmap loader and the terrain built from TGA heightmaps written to a scratch folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "environment/HeightmapLoader.h"
#include "environment/Terrain.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/TextureDatabase.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

using zel::HeightmapLoader;
using zel::Terrain;
using zel::Vector3;
using zeltest::expectNear;

namespace {

const Vector3 ORIGIN(-400.0f, -20.0f, -400.0f);

// A TGA heightmap in a scratch folder whose pixel (x, y) has the grey grey(x, y).
std::string writeTga(const std::string& name, int width, int height, int bits,
                     const std::function<int(int, int)>& grey) {
    static const std::string dir = zeltest::scratchDir("terrain");
    std::vector<zeltest::RGBA> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto g = static_cast<unsigned char>(grey(x, y));
            pixels.push_back({g, g, g, 255});
        }
    zeltest::writeTGA(dir + "/" + name, width, height, bits, pixels);
    return dir + "/" + name;
}

// Builds a terrain with the demo's placement; what it prints on either stream goes to printed.
std::unique_ptr<Terrain> makeTerrain(const std::string& heightmap, std::string* printed = nullptr,
                                     const std::string& texture = "gras_4_dl.tga") {
    zel::TextureDatabase::getInstance(); // its first load prints a line of its own
    std::unique_ptr<Terrain> terrain;
    std::string errors;
    const std::string out = zeltest::captureStdout([&] {
        errors = zeltest::captureStderr(
            [&] { terrain = std::make_unique<Terrain>(heightmap, texture, ORIGIN, 0.1f, 800.0f, 800.0f); });
    });
    if (printed)
        *printed = out + errors;
    return terrain;
}

using TerrainTest = zeltest::GLTest;

} // namespace

TEST(HeightmapSampling, PixelPositionsAndGridFromRawPixels) {
    // Column 99 of 100 samples trunc(0.99 * W), never W itself; images smaller
    // than the grid repeat pixels and stay inside the image.
    const int cases[][4] = {{99, 100, 256, 253}, {0, 100, 256, 0}, {99, 100, 1, 0},
                            {99, 100, 3, 2},     {100, 100, 3, 2}, {5, 100, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(HeightmapLoader::samplePosition(c[0], c[1], c[2]), c[3]) << c[0] << " of " << c[2];

    // A 4 x 2 image at 3 bytes per pixel; only the first byte of a pixel counts.
    // Steps differ along x (2) and z (4), so swapped axes show.
    const std::vector<std::uint8_t> pixels = {10, 99, 99, 20, 99, 99, 30, 99, 99, 40, 99, 99,
                                              50, 99, 99, 60, 99, 99, 70, 99, 99, 80, 99, 99};
    const auto grid = HeightmapLoader::sampleGrid(pixels.data(), 4, 2, 3, {1, 2, 3}, 0.5f, 4, 4, 8, 16);
    ASSERT_EQ(grid.size(), 16u);
    // Rows 0 and 1 sample image row 0, rows 2 and 3 image row 1.
    expectNear(grid[1 * 4 + 2], {1 + 4, 2 + 15, 3 + 4});
    expectNear(grid[3 * 4 + 3], {1 + 6, 2 + 40, 3 + 12});
    // No pixels: flat at origin.y. No columns, or too many vertices: no grid.
    for (const auto& p : HeightmapLoader::sampleGrid(nullptr, 0, 0, 0, {1, 2, 3}, 0.5f, 3, 3, 3, 3))
        EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_TRUE(HeightmapLoader::sampleGrid(pixels.data(), 4, 2, 3, {}, 1, 0, 4, 1, 1).empty());
    EXPECT_TRUE(HeightmapLoader::sampleGrid(pixels.data(), 4, 2, 3, {}, 1, 100000, 100000, 1, 1).empty());
}

TEST_F(TerrainTest, GridCellsBecomeTwoUpwardTrianglesInOneMeshSampledAlongTheImageAxes) {
    // A non-square heightmap whose grey encodes the pixel's column and row, so a
    // swapped axis or a wrong pixel stride shows up in the heights.
    const int width = 50, height = 20;
    auto grey = [](int x, int y) { return 2 * x + 5 * y; };
    // Grid vertex (column i, row j) samples pixel (trunc(i / 100 * width), trunc(j / 100 * height)).
    auto vertex = [&](int i, int j) {
        const int px = static_cast<int>(i / 100.0f * width), pz = static_cast<int>(j / 100.0f * height);
        return Vector3(-400.0f + 8.0f * i, -20.0f + 0.1f * static_cast<float>(grey(px, pz)),
                       -400.0f + 8.0f * j);
    };
    std::unique_ptr<Terrain> terrain;
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        std::string printed;
        terrain = makeTerrain(writeTga("wide" + std::to_string(bits) + ".tga", width, height, bits, grey),
                              &printed);
        EXPECT_EQ(printed, bits == 32 ? "INFO: [Terrain] Heightmap type: RGBA\n" : "")
            << "only RGBA is reported";
        ASSERT_EQ(terrain->getMeshes().size(), 1u);
        const auto& triangles = terrain->getMeshes()[0]->getTriangles();
        ASSERT_EQ(triangles.size(), 19602u);
        // Cell (c, r) is triangles 2 (99 r + c) and the next; the last column
        // samples pixel column trunc(0.99 * 50) = 49.
        for (int r : {0, 37, 98})
            for (int c : {0, 50, 98}) {
                const zel::Triangle& t = *triangles[2 * (r * 99 + c)];
                expectNear(t.positions[0], vertex(c, r));
                expectNear(t.positions[1], vertex(c, r + 1));
                expectNear(t.positions[2], vertex(c + 1, r));
                expectNear(triangles[2 * (r * 99 + c) + 1]->positions[2], vertex(c + 1, r + 1));
            }
    }
    const auto& mesh = *terrain->getMeshes()[0];
    const zel::Triangle& first = *mesh.getTriangles()[0];
    EXPECT_TRUE(first.texCoords[0] == zel::Vector2(0, 0) && first.texCoords[1] == zel::Vector2(0, 0.2f) &&
                first.texCoords[2] == zel::Vector2(0.2f, 0));
    const zel::Triangle& last = *mesh.getTriangles().back();
    EXPECT_NEAR(last.texCoords[2].u, 19.8f, 1e-4f);
    EXPECT_NEAR(last.texCoords[2].v, 19.8f, 1e-4f);

    // Every plane faces up and passes through its triangle's corners.
    for (const auto& t : mesh.getTriangles()) {
        ASSERT_NE(t->plane, nullptr);
        ASSERT_GT(t->plane->normal.y, 0.0f);
        EXPECT_NEAR(t->plane->normal.dot(t->positions[2]) + t->plane->d, 0.0f, 1e-3f);
    }
    // The model box spans the grid: one step short of origin + size.
    const zel::BoundingBox* box = terrain->getBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ((std::vector<float>{box->minX, box->maxX, box->maxZ}), (std::vector<float>{-400, 392, 392}));
}

TEST_F(TerrainTest, MissingHeightmapAndTextureGiveAFlatTexturedGrid) {
    std::string printed;
    const auto terrain = makeTerrain("no/such/heightmap.tga", &printed, "no_such_ground.tga");
    EXPECT_NE(
        printed.find("WARNING: [Terrain] Could not load heightmap <no/such/heightmap.tga>; the terrain is "
                     "flat at height -20.\n"),
        std::string::npos)
        << printed;
    ASSERT_EQ(terrain->getMeshes().size(), 1u);
    for (const auto& t : terrain->getMeshes()[0]->getTriangles())
        for (const auto& p : t->positions)
            ASSERT_FLOAT_EQ(p.y, -20.0f);
    // The registry's fallback (or, without one, the mesh's default) is drawn.
    auto* mesh = dynamic_cast<zel::SingleTexturedMesh*>(terrain->getMeshes()[0].get());
    ASSERT_NE(mesh, nullptr);
    EXPECT_NE(mesh->getTexture(), nullptr);

    // Chunks by triangle count, on a 4 x 4 grid of 9 cells, 18 triangles.
    std::vector<Vector3> grid;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            grid.emplace_back(static_cast<float>(i), 0.0f, static_cast<float>(j));
    const struct {
        int limit;
        std::vector<std::size_t> sizes;
    } chunks[] = {{6, {6, 6, 6}}, {3, {4, 4, 4, 4, 2}}}; // a limit not reached exactly rounds up to cells
    for (const auto& c : chunks) {
        terrain->getMeshes().clear();
        terrain->buildMeshes(grid, 4, 4, c.limit);
        std::vector<std::size_t> sizes;
        for (const auto& m : terrain->getMeshes())
            sizes.push_back(m->getTriangles().size());
        EXPECT_EQ(sizes, c.sizes) << c.limit;
    }
    // Two cells per mesh: the third starts with cell 4, column 1 of row 1.
    expectNear(terrain->getMeshes()[2]->getTriangles()[0]->positions[0], {1, 0, 1});
    // Too few rows or columns, or a grid smaller than its counts: nothing.
    terrain->getMeshes().clear();
    terrain->buildMeshes(grid, 1, 16);
    terrain->buildMeshes(grid, 5, 5);
    EXPECT_TRUE(terrain->getMeshes().empty());
}
