// Pure geometry: planes, point-in-triangle, line-plane intersection, mesh boxes,
// spheres and height queries, mesh-model transforms and ownership. No GL context:
// meshes are switched to immediate mode so init issues no GL call.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "geometry/Plane.h"
#include "geometry/SingleTexturedMesh.h"
#include "geometry/Triangle.h"

using namespace zel;

namespace {

Triangle makeTriangle(Vector3 a, Vector3 b, Vector3 c) {
    Triangle t;
    t.positions[0] = a;
    t.positions[1] = b;
    t.positions[2] = c;
    return t;
}

// The unit right triangle in the plane y = h used by most cases.
Triangle floorTriangle(float h = 0.0f) {
    return makeTriangle({0, h, 0}, {0, h, 1}, {1, h, 0});
}

std::unique_ptr<Mesh> immediateMesh() {
    auto mesh = std::make_unique<Mesh>();
    mesh->setRenderMode(Mesh::RENDER_IMMEDIATE);
    return mesh;
}

void expectVec(const Vector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

void expectBox(const BoundingBox& b, float x0, float y0, float z0, float x1, float y1, float z1) {
    EXPECT_FLOAT_EQ(b.minX, x0);
    EXPECT_FLOAT_EQ(b.minY, y0);
    EXPECT_FLOAT_EQ(b.minZ, z0);
    EXPECT_FLOAT_EQ(b.maxX, x1);
    EXPECT_FLOAT_EQ(b.maxY, y1);
    EXPECT_FLOAT_EQ(b.maxZ, z1);
}

} // namespace

TEST(PlaneTest, NormalFollowsCounterClockwiseOrderAndDistance) {
    const Plane floor = Plane::fromTriangle(floorTriangle());
    expectVec(floor.normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(floor.d, 0.0f);

    // Reversed order flips the normal.
    const Plane flipped = Plane::fromPoints({0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    expectVec(flipped.normal, 0, -1, 0);

    // A raised, tilted plane: normal is unit length and d puts every corner on it.
    const Vector3 a(1, 2, 3), b(4, 6, 3), c(1, 2, 8);
    const Plane tilted = Plane::fromPoints(a, b, c);
    EXPECT_NEAR(tilted.normal.lengthSquared(), 1.0f, 1e-6f);
    for (const Vector3& p : {a, b, c}) {
        EXPECT_NEAR(tilted.normal.dot(p) + tilted.d, 0.0f, 1e-5f);
    }
}

TEST(PlaneTest, IntersectLine) {
    Plane plane;
    plane.normal = Vector3(0, 1, 0);
    plane.d = -2.0f;  // y = 2

    expectVec(Plane::intersectLine(plane, {3, 10, 4}, {3, 9, 4}), 3, 2, 4);
    // The line extends beyond q and behind p.
    expectVec(Plane::intersectLine(plane, {0, 0, 0}, {0, 1, 0}), 0, 2, 0);
    expectVec(Plane::intersectLine(plane, {1, 5, 1}, {1, 7, 1}), 1, 2, 1);
    // Parallel line: p itself.
    expectVec(Plane::intersectLine(plane, {1, 5, 1}, {9, 5, 1}), 1, 5, 1);
}

TEST(TriangleTest, PointInTriangleIncludesEdgesAndCorners) {
    const Triangle t = floorTriangle();
    EXPECT_TRUE(pointInTriangle({0.25f, 0, 0.25f}, t));
    EXPECT_TRUE(pointInTriangle({0.5f, 0, 0.5f}, t));   // on the hypotenuse
    EXPECT_TRUE(pointInTriangle({0, 0, 0.5f}, t));      // on the edge x = 0
    EXPECT_TRUE(pointInTriangle({1, 0, 0}, t));         // a corner
    EXPECT_FALSE(pointInTriangle({1, 0, 1}, t));
    EXPECT_FALSE(pointInTriangle({-0.01f, 0, 0.5f}, t));
    EXPECT_FALSE(pointInTriangle({0.6f, 0, 0.6f}, t));

    EXPECT_TRUE(sameSide({1, 0, 1}, {2, 0, 2}, {0, 0, 0}, {1, 0, 0}));
    EXPECT_FALSE(sameSide({1, 0, 1}, {1, 0, -1}, {0, 0, 0}, {1, 0, 0}));
}

TEST(MeshTest, AddTriangleGivesPlaneOrKeepsTheGivenOne) {
    Mesh mesh;
    EXPECT_EQ(mesh.getRenderMode(), Mesh::RENDER_DISPLAY_LIST);
    EXPECT_FLOAT_EQ(mesh.getAlpha(), 1.0f);
    EXPECT_EQ(mesh.getBoundingBox(), nullptr);
    EXPECT_EQ(mesh.getBoundingSphere(), nullptr);

    mesh.addTriangle(floorTriangle());
    ASSERT_TRUE(mesh.getTriangles()[0]->plane);
    expectVec(mesh.getTriangles()[0]->plane->normal, 0, 1, 0);

    Triangle own = floorTriangle(5.0f);
    own.plane = std::make_shared<Plane>();
    own.plane->normal = Vector3(1, 0, 0);
    mesh.addTriangle(own);
    EXPECT_EQ(mesh.getTriangles()[1]->plane, own.plane);  // shared, not recomputed
    ASSERT_EQ(mesh.getTriangles().size(), 2u);
    expectVec(mesh.getTriangles()[1]->positions[0], 0, 5, 0);
}

TEST(MeshTest, BoundingBoxAndSphere) {
    auto empty = immediateMesh();
    EXPECT_TRUE(empty->init());
    ASSERT_NE(empty->getBoundingBox(), nullptr);
    expectBox(*empty->getBoundingBox(), 0, 0, 0, 0, 0, 0);
    ASSERT_NE(empty->getBoundingSphere(), nullptr);
    EXPECT_FLOAT_EQ(empty->getBoundingSphere()->radius, 0.0f);

    auto mesh = immediateMesh();
    mesh->addTriangle(makeTriangle({-1, 2, 3}, {4, -5, 6}, {0, 0, 0}));
    mesh->addTriangle(makeTriangle({1, 1, 1}, {2, 2, -7}, {3, 3, 3}));
    mesh->init();
    expectBox(*mesh->getBoundingBox(), -1, -5, -7, 4, 3, 6);

    // Centre is the mean of all six positions; radius the farthest of them.
    const BoundingSphere& s = *mesh->getBoundingSphere();
    expectVec(s.centre, 9.0f / 6, 3.0f / 6, 6.0f / 6);
    float farthest = 0;
    for (const auto& t : mesh->getTriangles()) {
        for (const Vector3& p : t->positions) {
            farthest = std::max(farthest, std::sqrt((p - s.centre).lengthSquared()));
        }
    }
    EXPECT_FLOAT_EQ(s.radius, farthest);
}

TEST(MeshTest, HeightAtFirstHitWinsAndMissesLeaveHeight) {
    auto mesh = immediateMesh();
    mesh->addTriangle(floorTriangle());
    float height = 42.0f;
    EXPECT_FALSE(mesh->getHeightAt(0.25f, 0.25f, height));  // no box before init
    mesh->init();

    EXPECT_TRUE(mesh->getHeightAt(0.25f, 0.25f, height));
    EXPECT_FLOAT_EQ(height, 0.0f);
    height = 42.0f;
    EXPECT_FALSE(mesh->getHeightAt(1.0f, 1.0f, height));
    EXPECT_FLOAT_EQ(height, 42.0f);
    EXPECT_TRUE(mesh->getHeightAt(0.5f, 0.5f, height));  // on an edge
    EXPECT_FLOAT_EQ(height, 0.0f);

    // A lower triangle listed first wins over a higher one listed later.
    auto stacked = immediateMesh();
    stacked->addTriangle(floorTriangle(1.0f));
    stacked->addTriangle(floorTriangle(3.0f));
    stacked->init();
    EXPECT_TRUE(stacked->getHeightAt(0.2f, 0.2f, height));
    EXPECT_FLOAT_EQ(height, 1.0f);

    // A sloped triangle: the hit lies on the slope.
    auto slope = immediateMesh();
    slope->addTriangle(makeTriangle({0, 0, 0}, {0, 0, 10}, {10, 5, 0}));
    slope->init();
    EXPECT_TRUE(slope->getHeightAt(4.0f, 1.0f, height));
    EXPECT_NEAR(height, 2.0f, 1e-4f);
}

TEST(SingleTexturedMeshTest, FadeAlphaBands) {
    const BoundingSphere small(Vector3(0, 0, 0), 2.0f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({0, 0, 179}, small), 1.0f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({0, 0, 180}, small), 1.0f);
    EXPECT_NEAR(SingleTexturedMesh::fadeAlpha({0, 190, 0}, small), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({200, 0, 0}, small), 0.0f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({0, 0, 200.5f}, small), 0.0f);

    // A sphere that encloses (or touches) the camera's unit sphere is never faded.
    const BoundingSphere huge(Vector3(0, 0, 0), 500.0f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({0, 0, 450}, huge), 1.0f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({0, 0, 500}, huge), 1.0f);
    EXPECT_FLOAT_EQ(SingleTexturedMesh::fadeAlpha({0, 0, 502}, huge), 0.0f);  // D^2 - 1 > r^2
}

TEST(MeshModelTest, EmptyModelHasNoBoxAndCannotBePlaced) {
    MeshModel model;
    EXPECT_TRUE(model.init());
    EXPECT_EQ(model.getBoundingBox(), nullptr);
    model.placeAt(1, 2, 3);
    EXPECT_EQ(model.getBoundingBox(), nullptr);
    EXPECT_FLOAT_EQ(model.getHeight(0, 0), 0.0f);

    // First mesh without triangles: still no box, even though a later one has some.
    MeshModel firstEmpty;
    firstEmpty.addMesh(immediateMesh());
    auto second = immediateMesh();
    second->addTriangle(floorTriangle());
    firstEmpty.addMesh(std::move(second));
    firstEmpty.computeBoundingBox();
    EXPECT_EQ(firstEmpty.getBoundingBox(), nullptr);
}

TEST(MeshModelTest, PlacementMovesTriangleAndBox) {
    MeshModel model;
    auto mesh = immediateMesh();
    mesh->addTriangle(floorTriangle());
    model.addMesh(std::move(mesh));
    model.computeBoundingBox();
    model.placeAt(10, 5, 10);

    const Triangle& t = *model.getMeshes()[0]->getTriangles()[0];
    expectVec(t.positions[0], 9.5f, 5, 9.5f);
    expectVec(t.positions[1], 9.5f, 5, 10.5f);
    expectVec(t.positions[2], 10.5f, 5, 9.5f);
    expectBox(*model.getBoundingBox(), 9.5f, 5, 9.5f, 10.5f, 5, 10.5f);
}

TEST(MeshModelTest, ScaleThenBoxDoublesCoordinates) {
    MeshModel model;
    auto mesh = immediateMesh();
    mesh->addTriangle(makeTriangle({-1, 0, 2}, {3, 4, 5}, {0, -2, 1}));
    model.addMesh(std::move(mesh));
    model.computeBoundingBox();
    expectBox(*model.getBoundingBox(), -1, -2, 1, 3, 4, 5);
    model.scale(2.0f);
    expectBox(*model.getBoundingBox(), -1, -2, 1, 3, 4, 5);  // untouched until recomputed
    model.computeBoundingBox();
    expectBox(*model.getBoundingBox(), -2, -4, 2, 6, 8, 10);
}

TEST(MeshModelTest, HeightUsesFirstMeshWhoseBoxHoldsThePoint) {
    MeshModel model;
    // Mesh 0: a floor at y = 1 over [0,1] x [0,1]; mesh 1: a higher floor at y = 4
    // over the same area; mesh 2: a floor at y = 7 over [2,3] x [0,1].
    auto low = immediateMesh();
    low->addTriangle(floorTriangle(1.0f));
    auto high = immediateMesh();
    high->addTriangle(floorTriangle(4.0f));
    auto aside = immediateMesh();
    aside->addTriangle(makeTriangle({2, 7, 0}, {2, 7, 1}, {3, 7, 0}));
    model.addMesh(std::move(low));
    model.addMesh(std::move(high));
    model.addMesh(std::move(aside));
    model.init();

    EXPECT_FLOAT_EQ(model.getHeight(0.2f, 0.2f), 1.0f);  // first mesh wins
    EXPECT_FLOAT_EQ(model.getHeight(2.0f, 0.5f), 7.0f);  // on the box boundary
    EXPECT_FLOAT_EQ(model.getHeight(3.0f, 0.0f), 7.0f);  // box corner = triangle corner
    EXPECT_FLOAT_EQ(model.getHeight(5.0f, 5.0f), 0.0f);  // outside every box
    // Inside mesh 0's box but not its triangle; mesh 1 has the same miss.
    EXPECT_FLOAT_EQ(model.getHeight(0.9f, 0.9f), 0.0f);
}

namespace {

// A mesh that counts its draws and its destruction.
struct CountingMesh : Mesh {
    CountingMesh(int* renders, int* destroyed) : renders_(renders), destroyed_(destroyed) {}
    ~CountingMesh() override { ++*destroyed_; }
    void render() override { ++*renders_; }
    int* renders_;
    int* destroyed_;
};

} // namespace

TEST(MeshModelTest, AddMeshesMovesOwnership) {
    int renders = 0, destroyed = 0;
    MeshModel source;
    source.addMesh(std::make_unique<CountingMesh>(&renders, &destroyed));
    source.addMesh(std::make_unique<CountingMesh>(&renders, &destroyed));
    Mesh* first = source.getMeshes()[0].get();
    {
        MeshModel target;
        target.addMesh(std::make_unique<Mesh>());
        target.addMeshes(source);
        EXPECT_TRUE(source.getMeshes().empty());
        ASSERT_EQ(target.getMeshes().size(), 3u);
        EXPECT_EQ(target.getMeshes()[1].get(), first);  // appended in the source's order

        target.render();
        EXPECT_EQ(renders, 2);
        target.addMeshes(target);  // adding a model to itself changes nothing
        EXPECT_EQ(target.getMeshes().size(), 3u);
    }
    EXPECT_EQ(destroyed, 2);  // destroyed once, by the receiving model
    source.render();
    EXPECT_EQ(renders, 2);
}
