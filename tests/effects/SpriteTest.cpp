#include "effects/Sprite.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/Texture.h"
#include "resources/TextureFactory.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

namespace {

using zel::Sprite;
using zel::Vector3;
using zeltest::expectPixel;

void expectCorners(const Sprite& sprite, const std::vector<Vector3>& expected) {
    const Vector3 actual[4] = {sprite.getA(), sprite.getB(), sprite.getC(), sprite.getD()};
    for (int i = 0; i < 4; ++i)
        zeltest::expectNear(actual[i], expected[i]);
}

// An 8 x 8 BMP: the left half `left`, the right half `right`.
std::string writeBmp(const std::string& path, zeltest::RGBA left, zeltest::RGBA right) {
    std::vector<zeltest::RGBA> pixels(64);
    for (int i = 0; i < 64; ++i)
        pixels[i] = i % 8 < 4 ? left : right;
    zeltest::writeBMP24(path, 8, 8, pixels);
    return path;
}

class SpriteGL : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        zeltest::orthoView(-1, 1, -1, 1);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Fills the viewport: a top-left, b top-right, c bottom-right, d bottom-left.
    static Sprite fullScreenQuad() {
        return Sprite(Vector3(-1, 1, 0), Vector3(1, 1, 0), Vector3(1, -1, 0), Vector3(-1, -1, 0));
    }
};

TEST_F(SpriteGL, BillboardUnderAnUnrotatedViewIsASquareAroundItsCentre) {
    const Vector3 p(0.25f, 0, 0);
    Sprite billboard(p, 0.5f);
    EXPECT_TRUE(billboard.isBillboard());
    glColor4f(1, 0, 0, 1);
    billboard.render();
    expectCorners(billboard, {p + Vector3(-0.5f, 0.5f, 0), p + Vector3(0.5f, 0.5f, 0),
                              p + Vector3(0.5f, -0.5f, 0), p + Vector3(-0.5f, -0.5f, 0)});
    expectPixel(660, 420, 255, 0, 0, 3);

    // A view turned 90 degrees about y (column-major, as glRotatef(90, 0, 1, 0)
    // leaves it): the camera's right axis in world space is row 0, here +z.
    const float turned[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    billboard.faceView(turned);
    expectCorners(billboard, {p + Vector3(0, 0.5f, -0.5f), p + Vector3(0, 0.5f, 0.5f),
                              p + Vector3(0, -0.5f, 0.5f), p + Vector3(0, -0.5f, -0.5f)});
}

TEST_F(SpriteGL, TexturesAreBlendedOnlyWhenTheyHaveAlpha) {
    const std::string dir = zeltest::scratchDir("sprite_textures");
    const zeltest::RGBA orange{200, 100, 50, 255}, magenta{255, 0, 255, 255}, green{0, 255, 0, 255};

    // Without alpha: drawn opaque although the sprite's colour is translucent.
    auto opaque = zel::TextureFactory::createTexture(writeBmp(dir + "/opaque.bmp", orange, orange), "opaque");
    ASSERT_TRUE(opaque != nullptr && !opaque->hasAlpha());
    Sprite plain = fullScreenQuad();
    plain.setTexture(opaque.get());
    plain.setColor(1, 1, 1, 0.25f);
    plain.render();
    expectPixel(400, 300, 200, 100, 50, 3);

    // Colour-keyed: keyed texels are dropped, the others blended over the background.
    glClear(GL_COLOR_BUFFER_BIT);
    auto keyed =
        zel::TextureFactory::createTexture(writeBmp(dir + "/keyed.bmp", magenta, green), "keyed", true, 255,
                                           0, 255, GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP, false);
    ASSERT_TRUE(keyed != nullptr && keyed->hasAlpha());
    Sprite translucent = fullScreenQuad();
    translucent.setTexture(keyed.get());
    translucent.setColor(1, 1, 1, 0.5f);
    translucent.render();
    expectPixel(200, 300, 0, 0, 255, 3);
    expectPixel(600, 300, 0, 128, 128, 3);
    // Blending and the alpha test are off again and the colour is opaque white.
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_ALPHA_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 4), std::vector<float>(4, 1.0f));
}

} // namespace
