// GL-facing geometry: vertex buffers, the light shader and its program, mesh
// drawing (display list, immediate, vertex buffer with distance fade and
// lighting). A real context; state and pixels are read back.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <cstdlib>
#include <memory>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "environment/DayNightCycle.h"
#include "geometry/LightShader.h"
#include "geometry/Mesh.h"
#include "geometry/SingleTexturedMesh.h"
#include "geometry/VBO.h"
#include "resources/GPUProgram.h"
#include "resources/TextureDatabase.h"
#include "scene/World.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

Triangle makeTriangle(Vector3 a, Vector3 b, Vector3 c) {
    Triangle t;
    t.positions[0] = a;
    t.positions[1] = b;
    t.positions[2] = c;
    return t;
}

// A square of the given half size centred on (0, 10, z), facing the default
// camera (which looks along +z from (0, 10, 0)), wound counter-clockwise on
// screen. Every texture coordinate is (0.5, 0.5) so one texel colour is seen
// whatever the distance and mipmap level.
void addFacingSquare(Mesh& mesh, float z, float half) {
    const Vector3 a(-half, 10 - half, z), b(-half, 10 + half, z), c(half, 10 - half, z),
        d(half, 10 + half, z);
    for (Triangle t : {makeTriangle(a, b, c), makeTriangle(c, b, d)}) {
        for (Vector2& uv : t.texCoords)
            uv = Vector2(0.5f, 0.5f);
        mesh.addTriangle(t);
    }
}

using zeltest::brightness;

GLhandleARB currentProgram() {
    return glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
}

std::unique_ptr<Light> makeLight(float x, float y, float z, float r, float g, float b) {
    return std::make_unique<Light>(Light{{x, y, z, 1.0f}, {r, g, b, 1.0f}});
}

// Runs the day/night cycle until it rests in the wanted hold phase.
void runCycleTo(int phase) {
    DayNightCycle& cycle = DayNightCycle::instance();
    for (int i = 0; i < 10000 && cycle.getPhase() != phase; ++i) {
        cycle.update(30000);
    }
    ASSERT_EQ(cycle.getPhase(), phase);
}

class GeometryGLTest : public zeltest::EngineTest {
protected:
    GeometryGLTest() : EngineTest(true) {}
    void SetUp() override {
        EngineTest::SetUp();
        glClearColor(0, 0, 0, 1);
    }

    // Clears, sets the projection and the world camera's view, renders mesh and
    // returns a pixel near the centre, off the squares' diagonal (whose edge
    // pixels polygon smoothing may give partial coverage).
    zeltest::Pixel renderCentre(Mesh& mesh) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        CoreEngine::instance().setupProjection();
        world_->getCamera()->look();
        mesh.render();
        return zeltest::readPixel(408, 292);
    }

    Texture* plaster() { return TextureDatabase::getInstance().getTexture("plaster.jpg"); }
};

} // namespace

TEST_F(GeometryGLTest, VertexBufferHoldsPackedBuffersWithPlaneNormals) {
    Triangle t0 = makeTriangle({0, 0, 0}, {0, 0, 1}, {1, 0, 0});
    Triangle t1 = makeTriangle({0, 2, 0}, {0, 3, 0}, {0, 2, 1});
    t0.plane = std::make_shared<Plane>(Plane::fromTriangle(t0));
    t1.plane = std::make_shared<Plane>(Plane::fromTriangle(t1));

    GLuint names[3];
    {
        VBO vbo(6);
        vbo.addTriangle(t0);
        vbo.addTriangle(t1);
        EXPECT_EQ(vbo.getCount(), 6);
        vbo.addVertex({9, 9, 9}, {0, 0, 1}, {}); // beyond the capacity: ignored
        EXPECT_EQ(vbo.getCount(), 6);

        vbo.upload();
        EXPECT_FALSE(vbo.hasClientArrays());
        EXPECT_TRUE(vbo.getPositions().empty() && vbo.getNormals().empty() && vbo.getTexCoords().empty());

        names[0] = vbo.getPositionBuffer();
        names[1] = vbo.getTexCoordBuffer();
        names[2] = vbo.getNormalBuffer();
        const GLint expectedSizes[3] = {72, 48, 72};
        for (int i = 0; i < 3; ++i) {
            ASSERT_NE(names[i], 0u);
            glBindBufferARB(GL_ARRAY_BUFFER_ARB, names[i]);
            GLint size = 0, usage = 0;
            glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &size);
            glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_USAGE_ARB, &usage);
            EXPECT_EQ(size, expectedSizes[i]) << "buffer " << i;
            EXPECT_EQ(usage, GL_STATIC_DRAW_ARB);
        }

        float normals[18];
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, names[2]);
        glGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, sizeof normals, normals);
        for (int v = 0; v < 3; ++v) {
            EXPECT_EQ(Vector3(normals[v * 3], normals[v * 3 + 1], normals[v * 3 + 2]), Vector3(0, 1, 0));
            EXPECT_EQ(normals[9 + v * 3], 1.0f); // t1 lies in x = 0, facing +x
        }
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    }
    for (GLuint name : names) {
        EXPECT_FALSE(glIsBufferARB(name)); // deleted with the VBO
    }
}

TEST_F(GeometryGLTest, VertexBufferSkipsTriangleWithoutPlane) {
    VBO vbo(3);
    const std::string out = zeltest::captureStdout([&] { vbo.addTriangle(Triangle()); });
    EXPECT_EQ(out, "WARNING [VBO]: Triangle without valid plane.");
    EXPECT_EQ(vbo.getCount(), 0);
    vbo.upload();
    vbo.draw(3); // asks for more than stored: draws nothing, no error
}

TEST_F(GeometryGLTest, LightShaderNeedsExactlyThreeLights) {
    GPUProgram* program = world_->getLightProgram();
    const GLhandleARB handle = program->getProgramObject();
    const GLint colorLocation = glGetUniformLocationARB(handle, "lightColor0");

    // A known value in the program, to see whether a bind overwrites it.
    glUseProgramObjectARB(handle);
    glUniform4fARB(colorLocation, 0.5f, 0.5f, 0.5f, 0.5f);
    glUseProgramObjectARB(0);

    auto l0 = makeLight(1, 2, 3, 0.1f, 0.2f, 0.3f);
    auto l1 = makeLight(4, 5, 6, 0.4f, 0.5f, 0.6f);
    auto l2 = makeLight(7, 8, 9, 0.7f, 0.8f, 0.9f);
    l2->position[3] = 0.0f;
    l2->color[3] = 0.25f;

    LightShader shader(program);
    shader.addLight(l0.get());
    shader.addLight(l1.get());
    EXPECT_FALSE(shader.isActive());
    shader.bind();
    EXPECT_EQ(currentProgram(), 0u);
    float value[4];
    glGetUniformfvARB(handle, colorLocation, value);
    EXPECT_FLOAT_EQ(value[0], 0.5f);

    shader.addLight(l2.get());
    ASSERT_TRUE(shader.isActive());
    glUseProgramObjectARB(handle);
    glUniform1iARB(glGetUniformLocationARB(handle, "texture"), 3);
    glUseProgramObjectARB(0);
    shader.bind();
    EXPECT_EQ(currentProgram(), handle);
    glUseProgramObjectARB(0);

    using U = std::array<float, 4>;
    EXPECT_EQ(zeltest::uniformValue(handle, "lightPosition0"), (U{1, 2, 3, 1}));
    EXPECT_EQ(zeltest::uniformValue(handle, "lightColor1"), (U{0.4f, 0.5f, 0.6f, 1}));
    EXPECT_EQ(zeltest::uniformValue(handle, "lightPosition2"), (U{7, 8, 9, 0}));
    EXPECT_EQ(zeltest::uniformValue(handle, "lightColor2"), (U{0.7f, 0.8f, 0.9f, 0.25f}));
    EXPECT_FLOAT_EQ(zeltest::uniformValue(handle, "dayNightCycle")[0], DayNightCycle::instance().getValue());
    EXPECT_EQ(zeltest::uniformValue(handle, "texture", true)[0], 0.0f);
}

TEST_F(GeometryGLTest, PlainMeshDisplayListAndImmediateDrawing) {
    GLuint list = 0;
    {
        Mesh mesh;
        addFacingSquare(mesh, 20, 3);
        mesh.init();
        list = mesh.getDisplayList();
        ASSERT_NE(list, 0u);
        EXPECT_TRUE(glIsList(list));
        // Untextured triangles in white.
        const zeltest::Pixel p = renderCentre(mesh);
        EXPECT_GT(brightness(p), 3 * 250);
    }
    EXPECT_FALSE(glIsList(list));

    Mesh faded;
    faded.setRenderMode(Mesh::RENDER_IMMEDIATE);
    faded.setAlpha(0.5f);
    addFacingSquare(faded, 20, 3);
    faded.getTriangles()[0]->texture = plaster();
    faded.getTriangles()[1]->texture = plaster();
    faded.init();
    EXPECT_EQ(faded.getDisplayList(), 0u);
    const int half = brightness(renderCentre(faded));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[3], 1.0f);
    faded.setAlpha(1.0f);
    const int full = brightness(renderCentre(faded));
    EXPECT_GT(full, 90);
    EXPECT_NEAR(half, full / 2, 6);
}

TEST_F(GeometryGLTest, SingleTexturedMeshTakesTheWorldsFirstThreeLights) {
    for (int i = 0; i < 2; ++i)
        world_->addLight(makeLight(static_cast<float>(i), 0, 0, 1, 1, 1));
    SingleTexturedMesh twoLights;
    addFacingSquare(twoLights, 20, 3);
    twoLights.init();
    EXPECT_EQ(twoLights.getLightShader()->getLightCount(), 2u);
    EXPECT_EQ(twoLights.getVertexCount(), 6);
    EXPECT_EQ(twoLights.getVBO()->getCount(), 6);
    EXPECT_EQ(twoLights.getTexture(), TextureDatabase::getInstance().getDefaultTexture());

    for (int i = 2; i < 4; ++i)
        world_->addLight(makeLight(static_cast<float>(i), 0, 0, 1, 1, 1));
    SingleTexturedMesh mesh;
    addFacingSquare(mesh, 20, 3);
    mesh.init();
    const LightShader& shader = *mesh.getLightShader();
    ASSERT_EQ(shader.getLightCount(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(shader.getLights()[i], world_->getLights()[i].get());
    EXPECT_EQ(shader.getProgram(), world_->getLightProgram());

    renderCentre(mesh);
    EXPECT_EQ(currentProgram(), 0u); // fixed function restored after the draw
}

TEST_F(GeometryGLTest, SingleTexturedMeshFadesWithDistance) {
    SingleTexturedMesh mesh; // no world lights: drawn unlit, texture x colour
    mesh.setTexture(plaster());
    addFacingSquare(mesh, 400, 5);
    mesh.init();
    Camera& camera = *world_->getCamera();

    camera.setPosition({0, 10, 400 - 179});
    const zeltest::Pixel near = renderCentre(mesh);
    EXPECT_FLOAT_EQ(mesh.getAlpha(), 1.0f);
    EXPECT_GT(brightness(near), 90);

    camera.setPosition({0, 10, 400 - 190});
    const zeltest::Pixel middle = renderCentre(mesh);
    EXPECT_NEAR(mesh.getAlpha(), 0.5f, 1e-4f);
    EXPECT_NEAR(brightness(middle), brightness(near) / 2, 6); // blended over black
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[3], 1.0f);

    camera.setPosition({0, 10, 400 - 200});
    EXPECT_EQ(brightness(renderCentre(mesh)), 0);
    EXPECT_FLOAT_EQ(mesh.getAlpha(), 0.0f);

    // A mesh whose sphere holds the camera is never faded, however far its centre.
    SingleTexturedMesh ground;
    ground.addTriangle(makeTriangle({-600, 0, -600}, {-600, 0, 600}, {600, 0, -600}));
    ground.init();
    camera.setPosition({400, 5, -400});
    renderCentre(ground);
    EXPECT_FLOAT_EQ(ground.getAlpha(), 1.0f);
}

TEST_F(GeometryGLTest, LightingIsSunlitByDayAndDarkAtNightExceptNearLights) {
    // Three lights far from the square, until the first is moved close to it.
    world_->addLight(makeLight(1000, 1000, 1000, 1, 0.1f, 0.1f));
    world_->addLight(makeLight(-1000, 1000, 1000, 0.1f, 1, 0.1f));
    world_->addLight(makeLight(1000, -1000, 1000, 0.1f, 0.1f, 1));
    SingleTexturedMesh mesh;
    mesh.setTexture(plaster());
    addFacingSquare(mesh, 20, 5);
    mesh.init();
    ASSERT_TRUE(mesh.getLightShader()->isActive());

    runCycleTo(DayNightCycle::DAY_HOLD);
    const zeltest::Pixel day = renderCentre(mesh);
    runCycleTo(DayNightCycle::NIGHT_HOLD);
    const zeltest::Pixel night = renderCentre(mesh);
    EXPECT_GT(brightness(day), 100);
    EXPECT_GT(brightness(day), 4 * brightness(night));

    // A red light four units in front of the square lights it red at night.
    Light& red = *world_->getLights()[0];
    red.position[0] = 0;
    red.position[1] = 10;
    red.position[2] = 16;
    const zeltest::Pixel lit = renderCentre(mesh);
    EXPECT_GT(lit.r, night.r + 60);
    EXPECT_GT(lit.r, 2 * lit.g);

    // Nor does it light the square from behind, however close.
    red.position[2] = 24;
    const zeltest::Pixel behind = renderCentre(mesh);
    EXPECT_LE(std::abs(behind.r - night.r), 2);

    // Beyond the light's range it has no effect.
    red.position[2] = -20;
    const zeltest::Pixel far = renderCentre(mesh);
    EXPECT_LE(std::abs(far.r - night.r), 2);
    runCycleTo(DayNightCycle::DAY_HOLD);
}
