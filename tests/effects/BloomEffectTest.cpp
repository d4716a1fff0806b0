#include <gtest/gtest.h>

#include <vector>

#include "effects/BloomEffect.h"
#include "effects/EffectsTestSupport.h"
#include "engine/CoreEngine.h"
#include "resources/GPUProgram.h"

#include <GL/glu.h>

using effectstest::isBlack;
using zel::BloomEffect;
using zel::CoreEngine;
using zeltest::Pixel;
using zeltest::readPixel;

namespace {

class BloomEffectTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        CoreEngine::instance().setViewport(800, 600);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    }
};

std::vector<unsigned char> stageTexels(GLuint texture) {
    std::vector<unsigned char> texels(BloomEffect::SIZE * BloomEffect::SIZE * 3, 77);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

unsigned char redAt(const std::vector<unsigned char>& texels, int x, int y) {
    return texels[static_cast<std::size_t>((y * BloomEffect::SIZE + x) * 3)];
}

// Draws a filled rectangle of window pixels in the given grey under a pixel view.
void fillRect(int x0, int y0, int x1, int y1, float grey) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glColor4f(grey, grey, grey, 1.0f);
    glBegin(GL_QUADS);
    glVertex2i(x0, y0);
    glVertex2i(x1, y0);
    glVertex2i(x1, y1);
    glVertex2i(x0, y1);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// One frame the way the world drives the bloom: the source drawn into the
// 128 x 128 corner of a cleared buffer, capture, clear, the scene (a uniform
// dark grey), the overlay projection and the composite.
void bloomFrame(BloomEffect& bloom, void (*drawSource)()) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 128, 128);
    if (drawSource) drawSource();
    bloom.capture();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 800, 600);
    fillRect(0, 0, 800, 600, 0.2f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    bloom.render();
}

// A white square in the middle of the source image (about 8 x 8 texels once
// squeezed into the corner) plus a dim grey patch the bright pass must drop.
void brightSpotSource() {
    fillRect(375, 281, 425, 319, 1.0f);
    fillRect(50, 50, 150, 150, 0.2f);
}

} // namespace

TEST_F(BloomEffectTest, StagesAreOwnedBlack128x128RgbTextures) {
    GLuint names[3];
    {
        BloomEffect bloom;
        for (int stage = 0; stage < 3; ++stage) {
            names[stage] = bloom.getStageTexture(stage);
            ASSERT_NE(names[stage], 0u);
            ASSERT_TRUE(glIsTexture(names[stage]));
            glBindTexture(GL_TEXTURE_2D, names[stage]);
            GLint width = 0, height = 0, format = 0, red = 0, green = 0, blue = 0, alpha = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &red);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_GREEN_SIZE, &green);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_BLUE_SIZE, &blue);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alpha);
            EXPECT_EQ(width, 128);
            EXPECT_EQ(height, 128);
            EXPECT_TRUE(format == GL_RGB || format == GL_RGB8) << std::hex << format;
            EXPECT_GT(red, 0);
            EXPECT_GT(green, 0);
            EXPECT_GT(blue, 0);
            EXPECT_EQ(alpha, 0);
            GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
            EXPECT_EQ(minFilter, GL_LINEAR);
            EXPECT_EQ(magFilter, GL_LINEAR);
            EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE);
            EXPECT_EQ(wrapT, GL_CLAMP_TO_EDGE);
            const std::vector<unsigned char> texels = stageTexels(names[stage]);
            for (unsigned char t : texels) ASSERT_EQ(t, 0) << "stage " << stage << " is created black";
        }
        EXPECT_NE(names[0], names[1]);
        EXPECT_NE(names[1], names[2]);
        EXPECT_EQ(bloom.getStageTexture(3), 0u);
        EXPECT_EQ(bloom.getStageTexture(-1), 0u);
        EXPECT_TRUE(bloom.isEnabled());
    }
    for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << "deleted with the effect";
}

TEST_F(BloomEffectTest, ShadersLinkAndTheBlurStepsOneTexel) {
    BloomEffect bloom;
    for (const zel::GPUProgram* program : {&bloom.getBrightPassProgram(), &bloom.getBlurProgram()}) {
        GLint linked = 0;
        glGetObjectParameterivARB(program->getProgramObject(), GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_NE(linked, 0);
    }
    bloomFrame(bloom, nullptr);
    const GLhandleARB blur = bloom.getBlurProgram().getProgramObject();
    const GLint widthLocation = glGetUniformLocation(blur, "width");
    const GLint heightLocation = glGetUniformLocation(blur, "height");
    ASSERT_NE(widthLocation, -1);
    ASSERT_NE(heightLocation, -1);
    GLfloat width = 0.0f, height = 0.0f;
    glGetUniformfv(blur, widthLocation, &width);
    glGetUniformfv(blur, heightLocation, &height);
    EXPECT_EQ(width, 128.0f);
    EXPECT_EQ(height, 128.0f);
}

TEST_F(BloomEffectTest, CaptureLeavesThePerspectiveProjectionAndNoProgram) {
    BloomEffect bloom;
    glViewport(0, 0, 128, 128);
    bloom.capture();
    GLfloat projection[16], modelView[16], expected[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(45.0, 800.0f / 600.0f, 0.1, 1500.0);
    glGetFloatv(GL_PROJECTION_MATRIX, expected);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(projection[i], expected[i]) << i;
        EXPECT_FLOAT_EQ(modelView[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    }
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glViewport(0, 0, 800, 600);
}

TEST_F(BloomEffectTest, EmptySourceLeavesTheFrameUnchanged) {
    BloomEffect bloom;
    bloomFrame(bloom, nullptr);
    for (int stage = 0; stage < 3; ++stage) {
        const std::vector<unsigned char> texels = stageTexels(bloom.getStageTexture(stage));
        for (unsigned char t : texels) ASSERT_EQ(t, 0) << "stage " << stage;
    }
    const Pixel background = readPixel(0, 0);
    EXPECT_NEAR(background.r, 51, 1);
    for (int x : {0, 200, 400, 799}) {
        for (int y : {0, 300, 599}) {
            const Pixel p = readPixel(x, y);
            EXPECT_EQ(p.r, background.r);
            EXPECT_EQ(p.g, background.g);
            EXPECT_EQ(p.b, background.b);
        }
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    float colour[4];
    effectstest::currentColor(colour);
    EXPECT_EQ(colour[3], 1.0f);
}

TEST_F(BloomEffectTest, BrightPassKeepsBrightTexelsAndBlursSpreadThem) {
    BloomEffect bloom;
    bloomFrame(bloom, brightSpotSource);
    const std::vector<unsigned char> bright = stageTexels(bloom.getStageTexture(0));
    const std::vector<unsigned char> once = stageTexels(bloom.getStageTexture(1));
    const std::vector<unsigned char> twice = stageTexels(bloom.getStageTexture(2));
    // The spot covers texels 60..67 across and 60..67 up.
    EXPECT_GT(redAt(bright, 64, 64), 200);
    EXPECT_EQ(redAt(bright, 16, 16), 0) << "the dim patch is dropped";
    EXPECT_EQ(redAt(bright, 70, 64), 0);
    {
        SCOPED_TRACE("first blur reaches two texels, the second four");
        EXPECT_GT(redAt(once, 69, 64), 0);
        EXPECT_EQ(redAt(once, 71, 64), 0);
        EXPECT_GT(redAt(twice, 71, 64), 0);
        EXPECT_EQ(redAt(twice, 73, 64), 0);
        EXPECT_GT(redAt(twice, 64, 56), 0);
    }
    EXPECT_LT(redAt(twice, 64, 64), redAt(bright, 64, 64)) << "the blur spreads energy away from the centre";
}

TEST_F(BloomEffectTest, BrightSpotGlowsOverItsSurroundingsUnlessSwitchedOff) {
    BloomEffect bloom;
    // Just right of the spot, two texels out (texel 69.5 is pixel 434), and far away.
    const int nearX = 436, nearY = 300, farX = 100, farY = 500;

    bloom.setEnabled(false);
    bloomFrame(bloom, brightSpotSource);
    const Pixel plainNear = readPixel(nearX, nearY);
    const Pixel plainFar = readPixel(farX, farY);
    const Pixel plainSpot = readPixel(400, 300);
    EXPECT_NEAR(plainNear.r, 51, 1) << "switched off the composite adds nothing";
    EXPECT_EQ(plainSpot.r, plainNear.r);

    bloom.setEnabled(true);
    bloomFrame(bloom, brightSpotSource);
    const Pixel glowNear = readPixel(nearX, nearY);
    const Pixel glowFar = readPixel(farX, farY);
    const Pixel glowSpot = readPixel(400, 300);
    EXPECT_GT(glowNear.r, plainNear.r + 3) << "the glow reaches past the spot";
    EXPECT_GT(glowSpot.r, glowNear.r);
    EXPECT_EQ(glowFar.r, plainFar.r);
    EXPECT_EQ(glowFar.g, plainFar.g);
}
