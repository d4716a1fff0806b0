#include <gtest/gtest.h>

#include <vector>

#include "effects/BloomEffect.h"
#include "engine/CoreEngine.h"
#include "resources/GPUProgram.h"
#include "support/GLContext.h"

using zel::BloomEffect;
using zeltest::readPixel;

namespace {

class BloomEffectTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        if (HasFatalFailure())
            return;
        zel::CoreEngine::instance().setViewport(800, 600);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    }
};

// The red channel of every texel of a stage, row by row.
std::vector<unsigned char> stageRed(GLuint texture) {
    std::vector<unsigned char> texels(BloomEffect::SIZE * BloomEffect::SIZE, 77);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

int redAt(const std::vector<unsigned char>& texels, int x, int y) {
    return texels[y * BloomEffect::SIZE + x];
}

// A grey rectangle of window coordinates, drawn into whatever viewport is current.
void fillRect(int x0, int y0, int x1, int y1, float grey) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glColor4f(grey, grey, grey, 1.0f);
    glRecti(x0, y0, x1, y1);
}

// One frame as the world draws it: source in the 128 x 128 corner, capture, scene (dark grey), composite.
void bloomFrame(BloomEffect& bloom, void (*source)()) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 128, 128);
    if (source)
        source();
    bloom.capture();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 800, 600);
    fillRect(0, 0, 800, 600, 0.2f);
    bloom.render();
}

} // namespace

TEST_F(BloomEffectTest, TheCompositeAddsAFifthOfEachStageWhenOnAndTheStagesGoWithTheEffect) {
    GLuint names[3];
    {
        BloomEffect bloom;
        // A white source fills every stage with white: three fifths of white are
        // added to the dark grey scene (51 + 3 x 51), and nothing when off.
        auto white = [] { fillRect(0, 0, 800, 600, 1.0f); };
        bloomFrame(bloom, white);
        EXPECT_NEAR(readPixel(400, 300).r, 204, 2);
        bloom.setEnabled(false);
        bloomFrame(bloom, white);
        EXPECT_NEAR(readPixel(400, 300).r, 51, 1);

        // An empty source leaves black stages and the frame as drawn, then restores the GL state.
        bloom.setEnabled(true);
        bloomFrame(bloom, nullptr);
        for (int stage = 0; stage < 3; ++stage) {
            names[stage] = bloom.getStageTexture(stage);
            for (unsigned char t : stageRed(names[stage]))
                ASSERT_EQ(t, 0) << "stage " << stage;
        }
        EXPECT_NEAR(readPixel(799, 599).r, 51, 1);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[3], 1.0f);
    }
    for (GLuint name : names)
        EXPECT_FALSE(glIsTexture(name)) << "deleted with the effect";
}

TEST_F(BloomEffectTest, CaptureBrightPassesAndBlurs) {
    BloomEffect bloom;
    // A white square that lands on texels 60..67 of the source, and a dim patch
    // that the bright pass must drop.
    bloomFrame(bloom, [] {
        fillRect(375, 281, 425, 319, 1.0f);
        fillRect(50, 50, 150, 150, 0.2f);
    });
    for (const zel::GPUProgram* program : {&bloom.getBrightPassProgram(), &bloom.getBlurProgram()}) {
        GLint linked = 0;
        glGetObjectParameterivARB(program->getProgramObject(), GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_NE(linked, 0);
    }
    // The bright pass keeps the spot (texels 60..67) and drops the dim patch;
    // each blur steps one texel of 128, so they reach two, then four texels further.
    const std::vector<unsigned char> bright = stageRed(bloom.getStageTexture(0));
    const std::vector<unsigned char> once = stageRed(bloom.getStageTexture(1));
    const std::vector<unsigned char> twice = stageRed(bloom.getStageTexture(2));
    EXPECT_GT(redAt(bright, 64, 64), 200);
    EXPECT_EQ(redAt(bright, 16, 16) + redAt(bright, 68, 64), 0);
    // Red along row 64 from column 68 on, then down column 64 in the second blur.
    EXPECT_EQ((std::vector<int>{redAt(once, 69, 64) > 0, redAt(once, 70, 64), redAt(twice, 71, 64) > 0,
                                redAt(twice, 72, 64), redAt(twice, 64, 56) > 0}),
              (std::vector<int>{1, 0, 1, 0, 1}));
    EXPECT_LT(redAt(twice, 64, 64), redAt(bright, 64, 64));
}
