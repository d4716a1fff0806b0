#include "effects/GPUFire.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

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

    static std::array<float, 4> uniform(GPUFire& fire, const char* name, bool sampler = false) {
        return zeltest::uniformValue(fire.getProgram()->getProgramObject(), name, sampler);
    }

    static void expectUnit(GLenum unit, const zel::Texture* texture, bool enabled) {
        glActiveTextureARB(unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), texture->getId()) << texture->getName();
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), enabled ? GL_TRUE : GL_FALSE) << texture->getName();
        glActiveTextureARB(GL_TEXTURE0_ARB);
    }
};

TEST_F(GPUFireGL, DrawSetsEveryUniformBindsTheTexturesAndRestoresTheState) {
    GPUFire fire(Vector3(0, 0, 0), 1.0f);
    zel::TextureDatabase& db = zel::TextureDatabase::getInstance();
    ASSERT_NE(db.findTexture("firecolor.jpg"), nullptr) << "the generated fire textures are missing";
    EXPECT_EQ(fire.getColorTexture(), db.findTexture("firecolor.jpg"));
    EXPECT_EQ(fire.getMaskTexture(), db.findTexture("firemask.bmp"));
    EXPECT_EQ(fire.getNoiseTexture(), db.findTexture("firenoise.jpg"));

    for (int i = 0; i < 3; ++i) fire.update(15);
    fire.render();

    EXPECT_FLOAT_EQ(uniform(fire, "time")[0], 0.1f + 0.1f + 0.1f);
    EXPECT_EQ(uniform(fire, "velocity"), (std::array<float, 4>{0.1f, 0.1f, 0.1f, -7}));
    EXPECT_EQ(uniform(fire, "height"), (std::array<float, 4>{0.44f, 0.29f, 0.0f, 1.0f}));
    EXPECT_FLOAT_EQ(uniform(fire, "distortion0")[0], 0.09f);
    EXPECT_FLOAT_EQ(uniform(fire, "distortion1")[0], 0.08f);
    EXPECT_FLOAT_EQ(uniform(fire, "distortion2")[0], 0.1f);
    EXPECT_EQ(uniform(fire, "baseTex", true)[0], 0.0f);
    EXPECT_EQ(uniform(fire, "opacityTex", true)[0], 1.0f);
    EXPECT_EQ(uniform(fire, "distortionTex", true)[0], 2.0f);

    // Colour on unit 0, mask on 1, noise on 2; only unit 0 keeps texturing on.
    expectUnit(GL_TEXTURE0_ARB, fire.getColorTexture(), true);
    expectUnit(GL_TEXTURE1_ARB, fire.getMaskTexture(), false);
    expectUnit(GL_TEXTURE2_ARB, fire.getNoiseTexture(), false);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);

    // Size 1 at the origin fills this viewport. Outside the flame nothing is
    // drawn; its lower middle is hot, bright and red to yellow.
    for (const auto& corner : {std::array<int, 2>{4, 4}, {795, 4}, {4, 595}, {795, 595}}) {
        const zeltest::Pixel p = zeltest::readPixel(corner[0], corner[1]);
        EXPECT_EQ(p.r + p.g, 0) << corner[0] << "," << corner[1];
        EXPECT_NEAR(p.b, 80, 1);
    }
    const zeltest::Pixel core = zeltest::readPixel(400, 200);
    EXPECT_GT(core.r, 150);
    EXPECT_GT(core.r, core.b);
}

TEST_F(GPUFireGL, ClockIgnoresElapsedTimeAndWrapsAfterTheRoundedCount) {
    GPUFire fire(Vector3(0, 0, 0), 1.0f);
    fire.update(1);
    EXPECT_FLOAT_EQ(fire.getTime(), 0.1f);
    fire.update(1000);
    EXPECT_EQ(fire.getTime(), 0.1f + 0.1f);
    // The clock is a float rounded after every addition: near 99999 a step is a
    // little more than 0.1, so the restart comes before 99999 / 0.1 updates.
    float last = 0.0f;
    const auto advance = [](float t) { return GPUFire::advanceClock(t); };
    const long updates = zeltest::stepsUntilRestart(advance, 2000000, &last);
    EXPECT_EQ(updates, 990555);
    EXPECT_FLOAT_EQ(last, 99998.98f);
}

TEST_F(GPUFireGL, ShaderWithoutSamplersDrawsWithoutErrors) {
    const std::string dir = zeltest::scratchDir("fire_plain_shader");
    GPUFire fire(Vector3(0, 0, 0), 0.5f, zeltest::writeFile(dir, "vs.txt", "void main()\n{\n    gl_Position = ftransform();\n}\n"),
                 zeltest::writeFile(dir, "fs.txt", "uniform float distortion0;\nvoid main()\n{\n"
                                                   "    gl_FragColor = vec4(1.0, distortion0, 0.0, 1.0);\n}\n"));
    ASSERT_EQ(glGetUniformLocation(fire.getProgram()->getProgramObject(), "baseTex"), -1);
    fire.render();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const zeltest::Pixel p = zeltest::readPixel(400, 300);
    EXPECT_EQ(p.r, 255);
    EXPECT_NEAR(p.g, 23, 1); // 0.09 of full green
}

} // namespace
