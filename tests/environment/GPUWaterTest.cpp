#include "environment/GPUWater.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "engine/Camera.h"
#include "engine/FrameDriver.h"
#include "environment/DayNightCycle.h"
#include "resources/GPUProgram.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "scene/World.h"
#include "support/EngineTest.h"

namespace {

using zel::GPUWater;
using zel::Vector3;
using zeltest::brightness;

class GPUWaterGL : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        glViewport(0, 0, 800, 600);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Looks straight down at the water from eye, as the world's camera would.
    static void lookDownFrom(const Vector3& eye) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 800.0 / 600.0, 0.1, 1500.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, eye.x, eye.y - 1, eye.z + 0.5, 0, 1, 0);
    }
};

TEST_F(GPUWaterGL, CubeMapIsOwnedAndDeletedWithTheWater) {
    GLuint cubeMap = 0;
    {
        GPUWater water(Vector3(0, 0, 0), 10, 10);
        cubeMap = water.getCubeMap();
        ASSERT_NE(cubeMap, 0u) << "the generated water_*.jpg cube faces are missing";
        EXPECT_EQ(glIsTexture(cubeMap), GL_TRUE);
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, cubeMap);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_Y_ARB, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_GT(width, 0);
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, 0);
    }
    EXPECT_EQ(glIsTexture(cubeMap), GL_FALSE);
}

TEST_F(GPUWaterGL, EveryUniformIsSetAtTheDrawAndTheStateIsRestored) {
    zel::FrameDriver driver;
    driver.initGL();
    zel::World& world = driver.createWorld();
    world.getCamera()->setPosition(Vector3(1, 2, 3));
    ASSERT_EQ(zel::World::current(), &world);

    GPUWater water(Vector3(-100, 0, -100), 200, 200);
    ASSERT_NE(water.getNoiseTexture(), nullptr);
    EXPECT_EQ(water.getNoiseTexture(), zel::TextureDatabase::getInstance().findTexture("noise_0.jpg"));
    for (int i = 0; i < 3; ++i) water.update(15);
    lookDownFrom(Vector3(1, 2, 3));
    water.render();

    const GLhandleARB program = water.getProgram()->getProgramObject();
    EXPECT_FLOAT_EQ(zeltest::uniformValue(program, "dayNightCycle")[0], zel::DayNightCycle::instance().getValue());
    EXPECT_EQ(zeltest::uniformValue(program, "cameraPosition"), (std::array<float, 4>{1, 2, 3, -7}));
    EXPECT_EQ(zeltest::uniformValue(program, "cameraLightColor"), (std::array<float, 4>{1, 1, 0.6f, -7}));
    EXPECT_FLOAT_EQ(zeltest::uniformValue(program, "waveSpeed")[0], 0.5f);
    EXPECT_FLOAT_EQ(zeltest::uniformValue(program, "noiseSpeed")[0], 0.5f);
    EXPECT_FLOAT_EQ(zeltest::uniformValue(program, "time")[0], 0.01f + 0.01f + 0.01f);
    EXPECT_EQ(zeltest::uniformValue(program, "cubemap", true)[0], 0.0f);
    EXPECT_EQ(zeltest::uniformValue(program, "noise", true)[0], 1.0f);

    // The quad was drawn: the middle of the view shows water.
    EXPECT_GT(brightness(zeltest::readPixel(400, 300)), 0);

    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB), GL_FALSE);
    GLint boundCube = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP_ARB, &boundCube);
    EXPECT_EQ(boundCube, 0);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
    GLint boundNoise = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundNoise);
    EXPECT_EQ(static_cast<GLuint>(boundNoise), water.getNoiseTexture()->getId());
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(GPUWaterGL, ClockIgnoresElapsedTimeAndWrapsAfterTheRoundedCount) {
    GPUWater water(Vector3(0, 0, 0), 10, 10);
    water.update(1);
    EXPECT_FLOAT_EQ(water.getTime(), 0.01f);
    water.update(1000);
    EXPECT_EQ(water.getTime(), 0.01f + 0.01f);
    // Rounding the float clock after each addition makes the steps near 99999
    // shorter than 0.01, so the restart comes later than 99999 / 0.01 updates.
    float last = 0.0f;
    const auto advance = [](float t) { return GPUWater::advanceClock(t); };
    const long updates = zeltest::stepsUntilRestart(advance, 20000000, &last);
    EXPECT_EQ(updates, 10552711);
    EXPECT_FLOAT_EQ(last, 99998.99f);
}

TEST_F(GPUWaterGL, ShaderWithoutSamplersDrawsWithoutErrors) {
    const std::string dir = zeltest::scratchDir("water_plain_shader");
    GPUWater water(Vector3(-10, 0, -10), 20, 20,
                   zeltest::writeFile(dir, "vs.txt", "void main()\n{\n    gl_Position = ftransform();\n}\n"),
                   zeltest::writeFile(dir, "fs.txt", "uniform float waveSpeed;\nvoid main()\n{\n"
                                                     "    gl_FragColor = vec4(waveSpeed, 1.0, 0.0, 1.0);\n}\n"));
    ASSERT_EQ(glGetUniformLocation(water.getProgram()->getProgramObject(), "cubemap"), -1);

    lookDownFrom(Vector3(0, 5, 0));
    water.render();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const zeltest::Pixel p = zeltest::readPixel(400, 300);
    EXPECT_NEAR(p.r, 128, 1);
    EXPECT_EQ(p.g, 255);
}

} // namespace
