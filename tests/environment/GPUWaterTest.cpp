#include "environment/GPUWater.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>

#include "engine/Camera.h"
#include "engine/FrameDriver.h"
#include "environment/DayNightCycle.h"
#include "resources/GPUProgram.h"
#include "resources/TextureDatabase.h"
#include "scene/World.h"
#include "support/EngineTest.h"

namespace {

using zel::GPUWater;
using zel::Vector3;

using GPUWaterGL = zeltest::GLTest;

TEST_F(GPUWaterGL, DrawSetsItsUniformsAndRestoresTheStateTheCubeMapGoesWithTheWaterAndTheClockWraps) {
    zel::FrameDriver driver;
    driver.initGL();
    zel::World& world = driver.createWorld();
    world.getCamera()->setPosition(Vector3(1, 2, 3));
    GLuint cubeMap = 0;
    {
        GPUWater water(Vector3(-100, 0, -100), 200, 200);
        cubeMap = water.getCubeMap();
        ASSERT_TRUE(glIsTexture(cubeMap)) << "the generated water_*.jpg cube faces are missing";
        // The clock steps once per update, whatever the elapsed time.
        for (std::uint32_t elapsed : {1u, 1000u, 15u})
            water.update(elapsed);
        zeltest::perspectiveView(45.0, 0.1, 1500.0);
        water.render();

        const GLhandleARB program = water.getProgram()->getProgramObject();
        auto uniform = [&](const char* name, bool sampler = false) {
            return zeltest::uniformValue(program, name, sampler);
        };
        EXPECT_FLOAT_EQ(uniform("dayNightCycle")[0], zel::DayNightCycle::instance().getValue());
        EXPECT_EQ(uniform("cameraPosition"), (std::array<float, 4>{1, 2, 3, -7}));
        EXPECT_EQ(water.getTime(), 0.01f + 0.01f + 0.01f);
        EXPECT_FLOAT_EQ(uniform("time")[0], 0.03f);
        EXPECT_EQ(uniform("cubemap", true)[0], 0.0f);
        EXPECT_EQ(uniform("noise", true)[0], 1.0f);

        // Afterwards: no program, unit 0 active, cube mapping off, 2D texturing off on unit 1.
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
        EXPECT_EQ(active, GL_TEXTURE0_ARB);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB), GL_FALSE);
        glActiveTextureARB(GL_TEXTURE1_ARB);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
        glActiveTextureARB(GL_TEXTURE0_ARB);
        ASSERT_NE(water.getNoiseTexture(), nullptr);
        EXPECT_EQ(water.getNoiseTexture(), zel::TextureDatabase::getInstance().findTexture("noise_0.jpg"));
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
