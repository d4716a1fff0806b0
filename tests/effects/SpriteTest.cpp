#include "effects/Sprite.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "resources/Texture.h"
#include "resources/TextureFactory.h"
#include "support/GLContext.h"

namespace {

using zel::Sprite;
using zel::Vector3;

void expectNear(const Vector3& actual, const Vector3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

void expectPixel(int x, int y, int r, int g, int b) {
    const zeltest::Pixel p = zeltest::readPixel(x, y);
    EXPECT_NEAR(p.r, r, 3) << "at " << x << "," << y;
    EXPECT_NEAR(p.g, g, 3) << "at " << x << "," << y;
    EXPECT_NEAR(p.b, b, 3) << "at " << x << "," << y;
}

void expectWhiteColourAndNoBlending() {
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_FLOAT_EQ(c, 1.0f);
}

// Writes an 8 x 8 24-bit BMP: the left half `left`, the right half `right`.
std::string writeBmp(const std::string& path, std::array<unsigned char, 3> left, std::array<unsigned char, 3> right) {
    std::vector<unsigned char> file(54 + 8 * 8 * 3, 0);
    const int fields[][2] = {{2, static_cast<int>(file.size())}, {10, 54}, {14, 40}, {18, 8}, {22, 8}};
    for (const auto& f : fields)
        for (int i = 0; i < 4; ++i) file[f[0] + i] = static_cast<unsigned char>(f[1] >> (8 * i));
    file[0] = 'B';
    file[1] = 'M';
    file[26] = 1;  // planes
    file[28] = 24; // bits per pixel
    for (int i = 0; i < 64; ++i) {
        const auto& c = i % 8 < 4 ? left : right;
        for (int k = 0; k < 3; ++k) file[54 + i * 3 + k] = c[2 - k]; // stored as blue, green, red
    }
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    return path;
}

TEST(SpriteGeometry, BillboardCornersUnderATurnedView) {
    // A view turned 90 degrees about y (column-major, as glRotatef(90, 0, 1, 0)
    // leaves it): the camera's right axis in world space is row 0, here +z.
    const Vector3 p(2, 3, 4);
    Sprite billboard(p, 0.5f);
    EXPECT_TRUE(billboard.isBillboard());
    EXPECT_EQ(billboard.getA(), Vector3());
    const float turned[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    billboard.faceView(turned);
    expectNear(billboard.getA(), p + Vector3(0, 0.5f, -0.5f));
    expectNear(billboard.getB(), p + Vector3(0, 0.5f, 0.5f));
    expectNear(billboard.getC(), p + Vector3(0, -0.5f, 0.5f));
    expectNear(billboard.getD(), p + Vector3(0, -0.5f, -0.5f));
}

class SpriteGL : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        zeltest::orthoView(-1, 1, -1, 1);
        glDisable(GL_BLEND);
        glColor4f(1, 1, 1, 1);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        zeltest::GLTest::TearDown();
    }
    // Fills the viewport: a top-left, b top-right, c bottom-right, d bottom-left.
    static Sprite fullScreenQuad() {
        return Sprite(Vector3(-1, 1, 0), Vector3(1, 1, 0), Vector3(1, -1, 0), Vector3(-1, -1, 0));
    }
};

TEST_F(SpriteGL, BillboardUnderAnUnrotatedViewIsASquareAroundItsCentre) {
    const Vector3 p(0.25f, 0, 0);
    Sprite billboard(p, 0.5f);
    glColor4f(1, 0, 0, 1);
    billboard.render();
    expectNear(billboard.getA(), p + Vector3(-0.5f, 0.5f, 0));
    expectNear(billboard.getB(), p + Vector3(0.5f, 0.5f, 0));
    expectNear(billboard.getC(), p + Vector3(0.5f, -0.5f, 0));
    expectNear(billboard.getD(), p + Vector3(-0.5f, -0.5f, 0));
    expectPixel(660, 420, 255, 0, 0);
    expectPixel(720, 300, 0, 0, 255);
}

TEST_F(SpriteGL, UntexturedQuadDrawsWithTheCurrentStateAndChangesNothing) {
    // Texel (s, t): (0, 0) red, (1, 0) green, (0, 1) blue, (1, 1) white.
    const unsigned char texels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);

    for (bool blending : {true, false}) {
        SCOPED_TRACE(blending ? "blending on" : "blending off");
        blending ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        glColor4f(0.5f, 1.0f, 1.0f, 1.0f);
        fullScreenQuad().render();

        EXPECT_EQ(glIsEnabled(GL_BLEND), blending ? GL_TRUE : GL_FALSE);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), name);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 0.5f);
        // a carries (0, 0), b (1, 0), c (1, 1), d (0, 1); the colour halves red.
        expectPixel(100, 500, 128, 0, 0);
        expectPixel(700, 500, 0, 255, 0);
        expectPixel(100, 100, 0, 0, 255);
        expectPixel(700, 100, 128, 255, 255);
    }
    glDisable(GL_BLEND);
    glDeleteTextures(1, &name);
}

TEST_F(SpriteGL, TexturesAreBlendedOnlyWhenTheyHaveAlpha) {
    const std::string dir = zeltest::scratchDir("sprite_textures");
    const std::array<unsigned char, 3> orange{200, 100, 50}, magenta{255, 0, 255}, green{0, 255, 0};

    // Without alpha: drawn opaque although the sprite's colour is translucent.
    auto opaque = zel::TextureFactory::createTexture(writeBmp(dir + "/opaque.bmp", orange, orange), "opaque");
    ASSERT_NE(opaque, nullptr);
    ASSERT_FALSE(opaque->hasAlpha());
    Sprite plain = fullScreenQuad();
    plain.setTexture(opaque.get());
    plain.setColor(1, 1, 1, 0.25f);
    plain.render();
    expectPixel(400, 300, 200, 100, 50);
    expectWhiteColourAndNoBlending();

    // Colour-keyed: keyed texels are dropped, the others blended over the background.
    glClear(GL_COLOR_BUFFER_BIT);
    auto keyed = zel::TextureFactory::createTexture(writeBmp(dir + "/keyed.bmp", magenta, green), "keyed", true,
                                                    255, 0, 255, GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP, false);
    ASSERT_NE(keyed, nullptr);
    ASSERT_TRUE(keyed->hasAlpha());
    Sprite translucent = fullScreenQuad();
    translucent.setTexture(keyed.get());
    translucent.setColor(1, 1, 1, 0.5f);
    translucent.render();
    expectPixel(200, 300, 0, 0, 255);
    expectPixel(600, 300, 0, 128, 128);
    expectWhiteColourAndNoBlending();
}

} // namespace
