// Geometry: planes, mesh boxes, spheres and heights, and mesh-model transforms without
// a GL context (immediate-mode meshes); then vertex buffers and drawing in each mode.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <cstdlib>
#include <memory>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "environment/DayNightCycle.h"
#include "geometry/LightShader.h"
#include "geometry/Mesh.h"
#include "geometry/MeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "geometry/VBO.h"
#include "resources/GPUProgram.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

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

// A square centred on (0, 10, z), facing the default camera (at (0, 10, 0) looking
// along +z); every texture coordinate is (0.5, 0.5), one texel whatever the mipmap level.
void addFacingSquare(Mesh& mesh, float z, float half) {
    const Vector3 a(-half, 10 - half, z), b(-half, 10 + half, z), c(half, 10 - half, z),
        d(half, 10 + half, z);
    for (Triangle t : {tri(a, b, c), tri(c, b, d)}) {
        for (Vector2& uv : t.texCoords)
            uv = Vector2(0.5f, 0.5f);
        mesh.addTriangle(t);
    }
}

using zeltest::brightness;

std::unique_ptr<Light> makeLight(float x, float y, float z, float r, float g, float b) {
    return std::make_unique<Light>(Light{{x, y, z, 1.0f}, {r, g, b, 1.0f}});
}

// Runs the day/night cycle until it rests in the wanted hold phase.
void runCycleTo(int phase) {
    DayNightCycle& cycle = DayNightCycle::instance();
    for (int i = 0; i < 10000 && cycle.getPhase() != phase; ++i)
        cycle.update(30000);
    ASSERT_EQ(cycle.getPhase(), phase);
}

class GeometryGLTest : public zeltest::EngineTest {
protected:
    GeometryGLTest() : EngineTest(true) {}
    void SetUp() override {
        EngineTest::SetUp();
        glClearColor(0, 0, 0, 1);
    }

    // Renders mesh from the world camera and returns a pixel near the centre, off the
    // squares' diagonal (whose edge pixels polygon smoothing may cover partly).
    zeltest::Pixel renderCentre(Mesh& mesh) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        CoreEngine::instance().setupProjection();
        world_->getCamera()->look();
        mesh.render();
        return zeltest::readPixel(408, 292);
    }

    // After a faded draw blending is off again and the colour opaque.
    void expectBlendingReset() {
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        float color[4];
        glGetFloatv(GL_CURRENT_COLOR, color);
        EXPECT_FLOAT_EQ(color[3], 1.0f);
    }

    Texture* plaster() { return TextureDatabase::getInstance().getTexture("plaster.jpg"); }
};

} // namespace

TEST(GeometryTest, PlanesAndLineIntersection) {
    // Which way normals face is pinned by the lighting test below.
    const Vector3 a(1, 2, 3), b(4, 6, 3), c(1, 2, 8);
    const Plane tilted = Plane::fromPoints(a, b, c);
    EXPECT_NEAR(tilted.normal.lengthSquared(), 1.0f, 1e-6f);
    for (const Vector3& p : {a, b, c})
        EXPECT_NEAR(tilted.normal.dot(p) + tilted.d, 0.0f, 1e-5f);

    const Plane y2 = Plane::fromPoints({0, 2, 0}, {0, 2, 1}, {1, 2, 0});
    EXPECT_EQ(Plane::intersectLine(y2, {3, 10, 4}, {3, 9, 4}), Vector3(3, 2, 4));
    EXPECT_EQ(Plane::intersectLine(y2, {1, 5, 1}, {1, 7, 1}), Vector3(1, 2, 1)); // behind p
    EXPECT_EQ(Plane::intersectLine(y2, {1, 5, 1}, {9, 5, 1}), Vector3(1, 5, 1)); // parallel: p
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
    EXPECT_NEAR(s.radius, 8.15475f, 1e-5f);                 // to (2, 2, -7): the root of 66.5

    auto slope = meshOf({tri({0, 0, 0}, {0, 0, 10}, {10, 5, 0})});
    float height = 42.0f;
    EXPECT_FALSE(slope->getHeightAt(4.0f, 1.0f, height)); // no box before init
    slope->init();
    EXPECT_TRUE(slope->getHeightAt(4.0f, 1.0f, height));
    EXPECT_NEAR(height, 2.0f, 1e-4f);
    EXPECT_FALSE(slope->getHeightAt(9.0f, 9.0f, height)); // in the box, outside the triangle
}

TEST(MeshModelTest, ScalePlacementAndMeshesMovingInOrder) {
    MeshModel model;
    model.addMesh(meshOf({tri({-1, 0, 2}, {3, 4, 5}, {0, -2, 1})}));
    model.scale(2.0f);
    model.computeBoundingBox();
    EXPECT_EQ(bounds(*model.getBoundingBox()), (Bounds{-2, -4, 2, 6, 8, 10}));
    // The base centre (2, -4, 6) goes to (10, 5, 10).
    model.placeAt(10, 5, 10);
    EXPECT_EQ(bounds(*model.getBoundingBox()), (Bounds{6, 5, 6, 14, 17, 14}));
    EXPECT_EQ(model.getMeshes()[0]->getTriangles()[0]->positions[0], Vector3(6, 9, 8));

    MeshModel source;
    source.addMesh(meshOf({floorTri()}));
    source.computeBoundingBox();
    const Mesh* moved = source.getMeshes()[0].get();
    model.addMeshes(source);
    model.addMeshes(model); // a model added to itself is unchanged
    EXPECT_TRUE(source.getMeshes().empty());
    EXPECT_EQ(source.getBoundingBox(), nullptr); // the box went with the meshes
    ASSERT_EQ(model.getMeshes().size(), 2u);
    EXPECT_EQ(model.getMeshes()[1].get(), moved);
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

TEST_F(GeometryGLTest, VertexBufferKeepsToItsCapacityAndFreesItsBuffers) {
    Triangle t = floorTri();
    t.plane = std::make_shared<Plane>(Plane::fromTriangle(t));

    GLuint names[3];
    {
        VBO vbo(6);
        EXPECT_EQ(zeltest::captureStdout([&] { vbo.addTriangle(Triangle()); }),
                  "WARNING [VBO]: Triangle without valid plane.");
        vbo.addTriangle(t);
        vbo.addTriangle(t);
        vbo.addVertex({9, 9, 9}, {0, 0, 1}, {}); // beyond the capacity: ignored
        EXPECT_EQ(vbo.getCount(), 6);

        vbo.upload();
        EXPECT_FALSE(vbo.hasClientArrays());
        EXPECT_TRUE(vbo.getPositions().empty() && vbo.getNormals().empty() && vbo.getTexCoords().empty());
        names[0] = vbo.getPositionBuffer();
        names[1] = vbo.getTexCoordBuffer();
        names[2] = vbo.getNormalBuffer();
        vbo.draw(7); // asks for more than stored: draws the six, no error
    }
    for (GLuint name : names)
        EXPECT_FALSE(glIsBufferARB(name)); // deleted with the VBO
}

TEST_F(GeometryGLTest, PlainMeshDisplayListAndImmediateDrawing) {
    GLuint list = 0;
    {
        Mesh mesh;
        addFacingSquare(mesh, 20, 3);
        mesh.init();
        list = mesh.getDisplayList();
        EXPECT_TRUE(glIsList(list));
        EXPECT_GT(brightness(renderCentre(mesh)), 3 * 250); // untextured triangles in white
    }
    EXPECT_FALSE(glIsList(list));

    Mesh faded;
    faded.setRenderMode(Mesh::RENDER_IMMEDIATE);
    faded.setAlpha(0.5f);
    addFacingSquare(faded, 20, 3);
    faded.getTriangles()[0]->texture = plaster();
    faded.getTriangles()[1]->texture = plaster();
    faded.init();
    const int half = brightness(renderCentre(faded));
    expectBlendingReset();
    faded.setAlpha(1.0f);
    const int full = brightness(renderCentre(faded));
    EXPECT_GT(full, 90);
    EXPECT_NEAR(half, full / 2, 6);
}

TEST_F(GeometryGLTest, SingleTexturedMeshFadesWithDistance) {
    SingleTexturedMesh mesh; // no world lights: drawn unlit, texture x colour
    mesh.setTexture(plaster());
    addFacingSquare(mesh, 400, 5);
    mesh.init();
    Camera& camera = *world_->getCamera();

    camera.setPosition({0, 10, 400 - 179});
    const zeltest::Pixel near = renderCentre(mesh);
    EXPECT_GT(brightness(near), 90);

    camera.setPosition({0, 10, 400 - 190});
    const zeltest::Pixel middle = renderCentre(mesh);
    EXPECT_NEAR(mesh.getAlpha(), 0.5f, 1e-4f);
    EXPECT_NEAR(brightness(middle), brightness(near) / 2, 6); // blended over black
    expectBlendingReset();

    camera.setPosition({0, 10, 400 - 200});
    EXPECT_EQ(brightness(renderCentre(mesh)), 0);
}

TEST_F(GeometryGLTest, LightingIsSunlitByDayAndDarkAtNightExceptNearLights) {
    // Lights far from the square, until the first is moved close to it. A mesh
    // takes the world's first three lights, or as many as there are.
    world_->addLight(makeLight(1000, 1000, 1000, 1, 0.1f, 0.1f));
    world_->addLight(makeLight(-1000, 1000, 1000, 0.1f, 1, 0.1f));
    SingleTexturedMesh twoLights;
    twoLights.init();
    EXPECT_EQ(twoLights.getLightShader()->getLights().size(), 2u);
    world_->addLight(makeLight(1000, -1000, 1000, 0.1f, 0.1f, 1));
    world_->addLight(makeLight(-1000, -1000, 1000, 1, 1, 1));
    SingleTexturedMesh mesh;
    mesh.setTexture(plaster());
    addFacingSquare(mesh, 20, 5);
    mesh.init();
    EXPECT_EQ(mesh.getVertexCount(), 6);
    EXPECT_EQ(mesh.getVBO()->getCount(), 6);
    const LightShader& shader = *mesh.getLightShader();
    ASSERT_EQ(shader.getLightCount(), 3u);

    // A bind passes the third light too; the pixels below only see the first.
    shader.bind();
    glUseProgramObjectARB(0);
    const GLhandleARB handle = shader.getProgram()->getProgramObject();
    EXPECT_EQ(zeltest::uniformValue(handle, "lightColor2"), (std::array<float, 4>{0.1f, 0.1f, 1, 1}));

    runCycleTo(DayNightCycle::DAY_HOLD);
    const zeltest::Pixel day = renderCentre(mesh);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u); // fixed function restored after the draw
    runCycleTo(DayNightCycle::NIGHT_HOLD);
    const zeltest::Pixel night = renderCentre(mesh);
    EXPECT_GT(brightness(day), 100);
    EXPECT_GT(brightness(day), 4 * brightness(night));

    // A red light four units in front of the square lights it red at night, but
    // not from four units behind it, nor beyond its range.
    Light& red = *world_->getLights()[0];
    red.position[0] = 0;
    red.position[1] = 10;
    const std::pair<float, bool> places[] = {{16.0f, true}, {24.0f, false}, {-20.0f, false}};
    for (const auto& [z, lit] : places) {
        red.position[2] = z;
        const zeltest::Pixel p = renderCentre(mesh);
        if (lit) {
            EXPECT_TRUE(p.r > night.r + 60 && p.r > 2 * p.g) << z;
        } else {
            EXPECT_LE(std::abs(p.r - night.r), 2) << z;
        }
    }
    runCycleTo(DayNightCycle::DAY_HOLD);
}
