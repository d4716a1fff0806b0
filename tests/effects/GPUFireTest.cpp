#include "effects/GPUFire.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>

#include "resources/GPUProgram.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "support/GLContext.h"

namespace {

using zel::GPUFire;
using zel::Vector3;

using GPUFireGL = zeltest::GLTest;

TEST_F(GPUFireGL, DrawSetsItsUniformsBindsTheTexturesAndRestoresTheStateAndTheClockWraps) {
    zeltest::orthoView(-1, 1, -1, 1);
    glClearColor(0, 0, 80.0f / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    GPUFire fire(Vector3(0, 0, 0), 1.0f);
    // The clock steps once per update, whatever the elapsed time.
    for (std::uint32_t elapsed : {1u, 1000u, 15u})
        fire.update(elapsed);
    fire.render();

    auto uniform = [&](const char* name, bool sampler = false) {
        return zeltest::uniformValue(fire.getProgram()->getProgramObject(), name, sampler);
    };
    EXPECT_EQ(fire.getTime(), 0.1f + 0.1f + 0.1f);
    EXPECT_FLOAT_EQ(uniform("time")[0], 0.3f);
    EXPECT_EQ(uniform("baseTex", true)[0], 0.0f);
    EXPECT_EQ(uniform("opacityTex", true)[0], 1.0f);
    EXPECT_EQ(uniform("distortionTex", true)[0], 2.0f);

    // Colour on unit 0, mask on 1, noise on 2; only unit 0 keeps texturing on.
    const zel::Texture* textures[3] = {fire.getColorTexture(), fire.getMaskTexture(), fire.getNoiseTexture()};
    const char* names[3] = {"firecolor.jpg", "firemask.bmp", "firenoise.jpg"};
    for (int unit = 0; unit < 3; ++unit) {
        ASSERT_NE(textures[unit], nullptr) << "the generated fire textures are missing";
        EXPECT_EQ(textures[unit], zel::TextureDatabase::getInstance().findTexture(names[unit]));
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), textures[unit]->getId()) << names[unit];
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), unit == 0 ? GL_TRUE : GL_FALSE) << names[unit];
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_ALPHA_TEST));

    // Size 1 at the origin fills this viewport. Outside the flame nothing is
    // drawn; its lower middle is hot, bright and red to yellow.
    for (const auto& corner : {std::array<int, 2>{4, 4}, {795, 4}, {4, 595}, {795, 595}})
        zeltest::expectPixel(corner[0], corner[1], 0, 0, 80, 1);
    const zeltest::Pixel core = zeltest::readPixel(400, 200);
    EXPECT_TRUE(core.r > 150 && core.r > core.b);

    // The clock is a float rounded after every addition: near 99999 a step is a
    // little more than 0.1, so the restart comes before 99999 / 0.1 updates.
    float last = 0.0f;
    const auto advance = [](float t) { return GPUFire::advanceClock(t); };
    EXPECT_EQ(zeltest::stepsUntilRestart(advance, 2000000, &last), 990555);
    EXPECT_FLOAT_EQ(last, 99998.98f);
    glDisable(GL_TEXTURE_2D);
}

} // namespace
