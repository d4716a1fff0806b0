#include "environment/GPUWater.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>

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

TEST_F(GPUWaterGL, DrawSetsEveryUniformAndRestoresTheStateTheCubeMapGoesWithTheWaterAndTheClockWraps) {
    zel::FrameDriver driver;
    driver.initGL();
    zel::World& world = driver.createWorld();
    world.getCamera()->setPosition(Vector3(1, 2, 3));
    ASSERT_EQ(zel::World::current(), &world);
    GLuint cubeMap = 0;
    {
        GPUWater water(Vector3(-100, 0, -100), 200, 200);
        cubeMap = water.getCubeMap();
        ASSERT_TRUE(glIsTexture(cubeMap)) << "the generated water_*.jpg cube faces are missing";
        // The clock steps once per update, whatever the elapsed time.
        for (std::uint32_t elapsed : {1u, 1000u, 15u})
            water.update(elapsed);
        lookDownFrom(Vector3(1, 2, 3));
        water.render();

        const GLhandleARB program = water.getProgram()->getProgramObject();
        auto uniform = [&](const char* name, bool sampler = false) {
            return zeltest::uniformValue(program, name, sampler);
        };
        EXPECT_FLOAT_EQ(uniform("dayNightCycle")[0], zel::DayNightCycle::instance().getValue());
        EXPECT_EQ(uniform("cameraPosition"), (std::array<float, 4>{1, 2, 3, -7}));
        EXPECT_EQ(uniform("cameraLightColor"), (std::array<float, 4>{1, 1, 0.6f, -7}));
        EXPECT_FLOAT_EQ(uniform("waveSpeed")[0], 0.5f);
        EXPECT_FLOAT_EQ(uniform("noiseSpeed")[0], 0.5f);
        EXPECT_EQ(water.getTime(), 0.01f + 0.01f + 0.01f);
        EXPECT_FLOAT_EQ(uniform("time")[0], 0.03f);
        EXPECT_EQ(uniform("cubemap", true)[0], 0.0f);
        EXPECT_EQ(uniform("noise", true)[0], 1.0f);

        // No program, unit 0 active, the cube map unbound and off, the noise
        // texture still bound to unit 1 with texturing off there.
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
        GLint active = 0, boundCube = -1, boundNoise = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
        EXPECT_EQ(active, GL_TEXTURE0_ARB);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB), GL_FALSE);
        glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP_ARB, &boundCube);
        EXPECT_EQ(boundCube, 0);
        glActiveTextureARB(GL_TEXTURE1_ARB);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundNoise);
        ASSERT_NE(water.getNoiseTexture(), nullptr);
        EXPECT_EQ(water.getNoiseTexture(), zel::TextureDatabase::getInstance().findTexture("noise_0.jpg"));
        EXPECT_EQ(static_cast<GLuint>(boundNoise), water.getNoiseTexture()->getId());
        glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    EXPECT_FALSE(glIsTexture(cubeMap));

    // Rounding the float clock after each addition makes the steps near 99999
    // shorter than 0.01, so the restart comes later than 99999 / 0.01 updates.
    float last = 0.0f;
    const auto advance = [](float t) { return GPUWater::advanceClock(t); };
    EXPECT_EQ(zeltest::stepsUntilRestart(advance, 20000000, &last), 10552711);
    EXPECT_FLOAT_EQ(last, 99998.99f);
}

} // namespace
