#include "effects/GPUFire.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <fstream>
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
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 1, -1, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 80.0f / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static GLint location(GPUFire& fire, const char* name) {
        return glGetUniformLocation(fire.getProgram()->getProgramObject(), name);
    }

    static std::array<float, 4> uniform(GPUFire& fire, const char* name) {
        std::array<float, 4> v{-7, -7, -7, -7};
        const GLint at = location(fire, name);
        EXPECT_NE(at, -1) << name;
        if (at != -1) glGetUniformfv(fire.getProgram()->getProgramObject(), at, v.data());
        return v;
    }

    static GLint sampler(GPUFire& fire, const char* name) {
        GLint v = -7;
        const GLint at = location(fire, name);
        EXPECT_NE(at, -1) << name;
        if (at != -1) glGetUniformiv(fire.getProgram()->getProgramObject(), at, &v);
        return v;
    }

    static GLint boundOnUnit(GLenum unit) {
        GLint bound = 0;
        glActiveTextureARB(unit);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glActiveTextureARB(GL_TEXTURE0_ARB);
        return bound;
    }

    static bool enabledOnUnit(GLenum unit) {
        glActiveTextureARB(unit);
        const bool on = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
        glActiveTextureARB(GL_TEXTURE0_ARB);
        return on;
    }
};

TEST_F(GPUFireGL, LoadsItsThreeTexturesFromTheRegistry) {
    GPUFire fire(Vector3(20.5f, -0.5f, 5.7f), 1.0f);
    zel::TextureDatabase& db = zel::TextureDatabase::getInstance();
    EXPECT_EQ(fire.getColorTexture(), db.findTexture("firecolor.jpg"));
    EXPECT_EQ(fire.getMaskTexture(), db.findTexture("firemask.bmp"));
    EXPECT_EQ(fire.getNoiseTexture(), db.findTexture("firenoise.jpg"));
    ASSERT_NE(fire.getColorTexture(), nullptr) << "the generated fire textures are missing";
    EXPECT_TRUE(fire.isBillboard());
    EXPECT_FLOAT_EQ(fire.getSize(), 1.0f);
    EXPECT_EQ(fire.getTime(), 0.0f);
}

TEST_F(GPUFireGL, EveryUniformIsSetAtTheDrawAndTheStateIsRestored) {
    GPUFire fire(Vector3(0, 0, 0), 1.0f);
    fire.update(15);
    fire.update(15);
    fire.update(15);
    fire.render();

    EXPECT_FLOAT_EQ(uniform(fire, "time")[0], fire.getTime());
    EXPECT_FLOAT_EQ(fire.getTime(), 0.1f + 0.1f + 0.1f);
    const auto velocity = uniform(fire, "velocity");
    EXPECT_FLOAT_EQ(velocity[0], 0.1f);
    EXPECT_FLOAT_EQ(velocity[1], 0.1f);
    EXPECT_FLOAT_EQ(velocity[2], 0.1f);
    const auto height = uniform(fire, "height");
    EXPECT_FLOAT_EQ(height[0], 0.44f);
    EXPECT_FLOAT_EQ(height[1], 0.29f);
    EXPECT_FLOAT_EQ(height[2], 0.0f);
    EXPECT_FLOAT_EQ(height[3], 1.0f);
    EXPECT_FLOAT_EQ(uniform(fire, "distortion0")[0], 0.09f);
    EXPECT_FLOAT_EQ(uniform(fire, "distortion1")[0], 0.08f);
    EXPECT_FLOAT_EQ(uniform(fire, "distortion2")[0], 0.1f);
    EXPECT_EQ(sampler(fire, "baseTex"), 0);
    EXPECT_EQ(sampler(fire, "opacityTex"), 1);
    EXPECT_EQ(sampler(fire, "distortionTex"), 2);

    // Colour on unit 0, mask on 1, noise on 2; only unit 0 keeps texturing on.
    EXPECT_EQ(static_cast<GLuint>(boundOnUnit(GL_TEXTURE0_ARB)), fire.getColorTexture()->getId());
    EXPECT_EQ(static_cast<GLuint>(boundOnUnit(GL_TEXTURE1_ARB)), fire.getMaskTexture()->getId());
    EXPECT_EQ(static_cast<GLuint>(boundOnUnit(GL_TEXTURE2_ARB)), fire.getNoiseTexture()->getId());
    EXPECT_TRUE(enabledOnUnit(GL_TEXTURE0_ARB));
    EXPECT_FALSE(enabledOnUnit(GL_TEXTURE1_ARB));
    EXPECT_FALSE(enabledOnUnit(GL_TEXTURE2_ARB));
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(GPUFireGL, FlameIsVisibleInTheMiddleAndTransparentAroundIt) {
    // Size 1 at the origin fills the whole viewport under this projection.
    GPUFire fire(Vector3(0, 0, 0), 1.0f);
    for (int i = 0; i < 20; ++i) fire.update(15);
    fire.render();
    glDisable(GL_TEXTURE_2D);

    for (const auto& corner : {std::array<int, 2>{4, 4}, {795, 4}, {4, 595}, {795, 595}}) {
        const zeltest::Pixel p = zeltest::readPixel(corner[0], corner[1]);
        EXPECT_EQ(p.r, 0) << corner[0] << "," << corner[1];
        EXPECT_EQ(p.g, 0);
        EXPECT_NEAR(p.b, 80, 1);
    }
    // The lower middle of the flame is hot: bright and mostly red and yellow.
    const zeltest::Pixel core = zeltest::readPixel(400, 200);
    EXPECT_GT(core.r, 150);
    EXPECT_GT(core.r, core.b);
}

TEST_F(GPUFireGL, ClockIgnoresElapsedTimeAndWrapsAfterTheRoundedCount) {
    GPUFire fire(Vector3(0, 0, 0), 1.0f);
    fire.update(1);
    const float afterOne = fire.getTime();
    fire.update(1000);
    EXPECT_FLOAT_EQ(afterOne, 0.1f);
    EXPECT_EQ(fire.getTime(), 0.1f + 0.1f);

    // The clock is a float rounded after every addition; the number of updates
    // up to the restart follows from that rounding, not from 99999 / 0.1.
    float expected = 0.2f;
    long updates = 2;
    do {
        expected += 0.1f;
        ++updates;
    } while (expected < 99999.0f);

    long count = 2;
    float last = fire.getTime();
    while (fire.getTime() != 0.0f && count < 3000000) {
        last = fire.getTime();
        fire.update(static_cast<std::uint32_t>(count % 7) * 100);
        ++count;
    }
    EXPECT_EQ(count, updates);
    EXPECT_NE(updates, 999990L);
    EXPECT_LT(last, 99999.0f);
    EXPECT_GT(last, 99998.8f);
    fire.update(15);
    EXPECT_FLOAT_EQ(fire.getTime(), 0.1f);
}

TEST_F(GPUFireGL, ShaderWithoutSamplersDrawsWithoutErrors) {
    const std::string dir = zeltest::scratchDir("fire_plain_shader");
    std::ofstream(dir + "/vs.txt") << "void main()\n{\n    gl_Position = ftransform();\n}\n";
    std::ofstream(dir + "/fs.txt") << "uniform float time;\nuniform float distortion0;\n"
                                      "void main()\n{\n    gl_FragColor = vec4(1.0, distortion0 + time * 0.0, 0.0, 1.0);\n}\n";
    GPUFire fire(Vector3(0, 0, 0), 0.5f, dir + "/vs.txt", dir + "/fs.txt");
    const GLhandleARB program = fire.getProgram()->getProgramObject();
    ASSERT_EQ(glGetUniformLocation(program, "baseTex"), -1);
    ASSERT_NE(glGetUniformLocation(program, "distortion0"), -1);

    fire.render();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const zeltest::Pixel p = zeltest::readPixel(400, 300);
    EXPECT_EQ(p.r, 255);
    EXPECT_NEAR(p.g, 23, 1); // 0.09 of full green
    glDisable(GL_TEXTURE_2D);
}

} // namespace
