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

class GPUFireGL : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        zeltest::orthoView(-1, 1, -1, 1);
        glClearColor(0, 0, 80.0f / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        zeltest::GLTest::TearDown();
    }
};

// The fire's texture is the registry's one of that name, bound to unit, with 2D texturing on there or not.
void expectUnit(GLenum unit, const zel::Texture* texture, const char* name, bool enabled) {
    ASSERT_NE(texture, nullptr) << "the generated fire textures are missing";
    EXPECT_EQ(texture, zel::TextureDatabase::getInstance().findTexture(name));
    glActiveTextureARB(unit);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getId()) << name;
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), enabled ? GL_TRUE : GL_FALSE) << name;
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(GPUFireGL, DrawSetsEveryUniformBindsTheTexturesAndRestoresTheStateAndTheClockWraps) {
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
    EXPECT_EQ(uniform("velocity"), (std::array<float, 4>{0.1f, 0.1f, 0.1f, -7}));
    EXPECT_EQ(uniform("height"), (std::array<float, 4>{0.44f, 0.29f, 0.0f, 1.0f}));
    EXPECT_FLOAT_EQ(uniform("distortion0")[0], 0.09f);
    EXPECT_FLOAT_EQ(uniform("distortion1")[0], 0.08f);
    EXPECT_FLOAT_EQ(uniform("distortion2")[0], 0.1f);
    EXPECT_EQ(uniform("baseTex", true)[0], 0.0f);
    EXPECT_EQ(uniform("opacityTex", true)[0], 1.0f);
    EXPECT_EQ(uniform("distortionTex", true)[0], 2.0f);

    // Colour on unit 0, mask on 1, noise on 2; only unit 0 keeps texturing on.
    expectUnit(GL_TEXTURE0_ARB, fire.getColorTexture(), "firecolor.jpg", true);
    expectUnit(GL_TEXTURE1_ARB, fire.getMaskTexture(), "firemask.bmp", false);
    expectUnit(GL_TEXTURE2_ARB, fire.getNoiseTexture(), "firenoise.jpg", false);
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
}

} // namespace
