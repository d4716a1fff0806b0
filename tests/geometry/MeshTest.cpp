// Pure geometry without a GL context: planes, point-in-triangle, mesh boxes,
// spheres and heights, mesh-model transforms and ownership. Meshes run in
// immediate mode so that init issues no GL call.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"

using namespace zel;

namespace {

Triangle tri(Vector3 a, Vector3 b, Vector3 c) {
    Triangle t;
    t.positions[0] = a;
    t.positions[1] = b;
    t.positions[2] = c;
    return t;
}

// The right triangle (0, h, 0), (0, h, 1), (1, h, 0).
Triangle floorTri(float h = 0.0f) {
    return tri({0, h, 0}, {0, h, 1}, {1, h, 0});
}

std::unique_ptr<Mesh> meshOf(std::initializer_list<Triangle> triangles) {
    auto mesh = std::make_unique<Mesh>();
    mesh->setRenderMode(Mesh::RENDER_IMMEDIATE);
    for (const Triangle& t : triangles)
        mesh->addTriangle(t);
    return mesh;
}

// The box's six bounds, comparable in one expectation.
std::vector<float> bounds(const BoundingBox& b) {
    return {b.minX, b.minY, b.minZ, b.maxX, b.maxY, b.maxZ};
}
using Bounds = std::vector<float>;

} // namespace

TEST(GeometryTest, PlanesAndLineIntersection) {
    const Plane floor = Plane::fromTriangle(floorTri());
    EXPECT_EQ(floor.normal, Vector3(0, 1, 0));
    EXPECT_FLOAT_EQ(floor.d, 0.0f);
    EXPECT_EQ(Plane::fromPoints({0, 0, 0}, {1, 0, 0}, {0, 0, 1}).normal, Vector3(0, -1, 0));

    const Vector3 a(1, 2, 3), b(4, 6, 3), c(1, 2, 8);
    const Plane tilted = Plane::fromPoints(a, b, c);
    EXPECT_NEAR(tilted.normal.lengthSquared(), 1.0f, 1e-6f);
    for (const Vector3& p : {a, b, c})
        EXPECT_NEAR(tilted.normal.dot(p) + tilted.d, 0.0f, 1e-5f);

    Plane y2;
    y2.normal = Vector3(0, 1, 0);
    y2.d = -2.0f;
    EXPECT_EQ(Plane::intersectLine(y2, {3, 10, 4}, {3, 9, 4}), Vector3(3, 2, 4));
    EXPECT_EQ(Plane::intersectLine(y2, {1, 5, 1}, {1, 7, 1}), Vector3(1, 2, 1)); // behind p
    EXPECT_EQ(Plane::intersectLine(y2, {1, 5, 1}, {9, 5, 1}), Vector3(1, 5, 1)); // parallel: p
}

TEST(GeometryTest, PointInTriangleCountsEdgesAsInside) {
    const Triangle t = floorTri();
    EXPECT_TRUE(pointInTriangle({0.25f, 0, 0.25f}, t));
    EXPECT_TRUE(pointInTriangle({0.5f, 0, 0.5f}, t)); // hypotenuse
    EXPECT_TRUE(pointInTriangle({0, 0, 0.5f}, t));    // edge x = 0
    EXPECT_TRUE(pointInTriangle({1, 0, 0}, t));       // corner
    EXPECT_FALSE(pointInTriangle({1, 0, 1}, t));
    EXPECT_FALSE(pointInTriangle({-0.01f, 0, 0.5f}, t));
    EXPECT_FALSE(sameSide({1, 0, 1}, {1, 0, -1}, {0, 0, 0}, {1, 0, 0}));
}

TEST(MeshTest, BoundsAndHeightQuery) {
    auto empty = meshOf({});
    EXPECT_TRUE(empty->init());
    EXPECT_EQ(bounds(*empty->getBoundingBox()), (Bounds{0, 0, 0, 0, 0, 0}));
    EXPECT_FLOAT_EQ(empty->getBoundingSphere()->radius, 0.0f);

    auto mesh = meshOf({tri({-1, 2, 3}, {4, -5, 6}, {0, 0, 0}), tri({1, 1, 1}, {2, 2, -7}, {3, 3, 3})});
    mesh->init();
    EXPECT_EQ(bounds(*mesh->getBoundingBox()), (Bounds{-1, -5, -7, 4, 3, 6}));
    const BoundingSphere& s = *mesh->getBoundingSphere();
    EXPECT_EQ(s.centre, Vector3(9.0f / 6, 3.0f / 6, 1.0f)); // mean of the six positions
    EXPECT_FLOAT_EQ(s.radius, std::sqrt((Vector3(2, 2, -7) - s.centre).lengthSquared()));

    auto floor = meshOf({floorTri()});
    float height = 42.0f;
    EXPECT_FALSE(floor->getHeightAt(0.25f, 0.25f, height)); // no box before init
    floor->init();
    EXPECT_TRUE(floor->getHeightAt(0.25f, 0.25f, height));
    EXPECT_FLOAT_EQ(height, 0.0f);
    height = 42.0f;
    EXPECT_FALSE(floor->getHeightAt(1.0f, 1.0f, height));
    EXPECT_FLOAT_EQ(height, 42.0f);

    // The first triangle in list order wins, even below a later one.
    auto stacked = meshOf({floorTri(1.0f), floorTri(3.0f)});
    stacked->init();
    EXPECT_TRUE(stacked->getHeightAt(0.2f, 0.2f, height));
    EXPECT_FLOAT_EQ(height, 1.0f);

    auto slope = meshOf({tri({0, 0, 0}, {0, 0, 10}, {10, 5, 0})});
    slope->init();
    EXPECT_TRUE(slope->getHeightAt(4.0f, 1.0f, height));
    EXPECT_NEAR(height, 2.0f, 1e-4f);
}

TEST(MeshModelTest, BoxScaleAndPlacement) {
    MeshModel empty;
    EXPECT_TRUE(empty.init());
    empty.placeAt(1, 2, 3);
    EXPECT_EQ(empty.getBoundingBox(), nullptr);
    EXPECT_FLOAT_EQ(empty.getHeight(0, 0), 0.0f);

    MeshModel firstEmpty; // a first mesh without triangles gives no box
    firstEmpty.addMesh(meshOf({}));
    firstEmpty.addMesh(meshOf({floorTri()}));
    firstEmpty.computeBoundingBox();
    EXPECT_EQ(firstEmpty.getBoundingBox(), nullptr);

    MeshModel placed;
    placed.addMesh(meshOf({floorTri()}));
    placed.computeBoundingBox();
    placed.placeAt(10, 5, 10);
    const Triangle& t = *placed.getMeshes()[0]->getTriangles()[0];
    EXPECT_TRUE(t.positions[0] == Vector3(9.5f, 5, 9.5f) && t.positions[1] == Vector3(9.5f, 5, 10.5f) &&
                t.positions[2] == Vector3(10.5f, 5, 9.5f));
    EXPECT_EQ(bounds(*placed.getBoundingBox()), (Bounds{9.5f, 5, 9.5f, 10.5f, 5, 10.5f}));

    MeshModel scaled;
    scaled.addMesh(meshOf({tri({-1, 0, 2}, {3, 4, 5}, {0, -2, 1})}));
    scaled.computeBoundingBox();
    scaled.scale(2.0f);
    EXPECT_EQ(bounds(*scaled.getBoundingBox()), (Bounds{-1, -2, 1, 3, 4, 5})); // stale until recomputed
    scaled.computeBoundingBox();
    EXPECT_EQ(bounds(*scaled.getBoundingBox()), (Bounds{-2, -4, 2, 6, 8, 10}));
}

TEST(MeshModelTest, HeightComesFromTheFirstMeshThatHits) {
    MeshModel model;
    model.addMesh(meshOf({floorTri(1.0f)}));
    model.addMesh(meshOf({floorTri(4.0f)}));
    model.addMesh(meshOf({tri({2, 7, 0}, {2, 7, 1}, {3, 7, 0})}));
    model.init();
    EXPECT_FLOAT_EQ(model.getHeight(0.2f, 0.2f), 1.0f); // not the higher second mesh
    EXPECT_FLOAT_EQ(model.getHeight(2.0f, 0.5f), 7.0f); // on the box boundary
    EXPECT_FLOAT_EQ(model.getHeight(0.9f, 0.9f), 0.0f); // in boxes, in no triangle
    EXPECT_FLOAT_EQ(model.getHeight(5.0f, 5.0f), 0.0f); // outside every box
}

namespace {

struct CountingMesh : Mesh {
    CountingMesh(int& renders, int& destroyed) : renders_(renders), destroyed_(destroyed) {}
    ~CountingMesh() override { ++destroyed_; }
    void render() override { ++renders_; }
    int& renders_;
    int& destroyed_;
};

} // namespace

TEST(MeshModelTest, AddMeshesMovesOwnership) {
    int renders = 0, destroyed = 0;
    MeshModel source;
    source.addMesh(std::make_unique<CountingMesh>(renders, destroyed));
    source.addMesh(std::make_unique<CountingMesh>(renders, destroyed));
    Mesh* first = source.getMeshes()[0].get();
    {
        MeshModel target;
        target.addMesh(meshOf({}));
        target.addMeshes(source);
        target.addMeshes(target); // a model added to itself: no change
        EXPECT_TRUE(source.getMeshes().empty());
        ASSERT_EQ(target.getMeshes().size(), 3u);
        EXPECT_EQ(target.getMeshes()[1].get(), first);
        target.render();
        EXPECT_EQ(renders, 2);
    }
    EXPECT_EQ(destroyed, 2);
}
