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

void expectPixel(int x, int y, int r, int g, int b, int tolerance = 3) {
    const zeltest::Pixel p = zeltest::readPixel(x, y);
    EXPECT_NEAR(p.r, r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.g, g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.b, b, tolerance) << "at " << x << "," << y;
}

// Writes a 24-bit BMP whose pixel (x, y), y = 0 the top row, is colour(x, y).
template <typename ColourFn>
std::string writeBmp(const std::string& path, int width, int height, ColourFn colour) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const int dataBytes = rowBytes * height;
    std::vector<unsigned char> file(54 + dataBytes, 0);
    auto put32 = [&file](int offset, int value) {
        for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<int>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    file[26] = 1;
    file[28] = 24;
    put32(34, dataBytes);
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up, pixels as blue, green, red.
        unsigned char* row = &file[54 + (height - 1 - y) * rowBytes];
        for (int x = 0; x < width; ++x) {
            const std::array<unsigned char, 3> c = colour(x, y);
            row[x * 3 + 0] = c[2];
            row[x * 3 + 1] = c[1];
            row[x * 3 + 2] = c[0];
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out != nullptr) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    return path;
}

TEST(SpriteGeometry, FixedQuadKeepsItsCornersAndMeasuresEdgeAB) {
    const Vector3 a(1, 2, 3), b(4, 6, 3), c(4, 6, 8), d(1, 2, 8);
    Sprite quad(a, b, c, d);
    EXPECT_FALSE(quad.isBillboard());
    EXPECT_EQ(quad.getA(), a);
    EXPECT_EQ(quad.getB(), b);
    EXPECT_EQ(quad.getC(), c);
    EXPECT_EQ(quad.getD(), d);
    EXPECT_EQ(quad.getPosition(), a);
    EXPECT_FLOAT_EQ(quad.getSize(), 5.0f);
    EXPECT_EQ(quad.getTexture(), nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(quad.getColor()[i], 1.0f);
}

TEST(SpriteGeometry, BillboardCornersFollowTheViewAxes) {
    const Vector3 p(2, 3, 4);
    Sprite billboard(p, 1.0f);
    EXPECT_TRUE(billboard.isBillboard());
    EXPECT_EQ(billboard.getA(), Vector3());
    EXPECT_EQ(billboard.getPosition(), p);

    // Unrotated view: right is +x, up is +y.
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    billboard.faceView(identity);
    expectNear(billboard.getA(), p + Vector3(-1, 1, 0));
    expectNear(billboard.getB(), p + Vector3(1, 1, 0));
    expectNear(billboard.getC(), p + Vector3(1, -1, 0));
    expectNear(billboard.getD(), p + Vector3(-1, -1, 0));

    // A view turned 90 degrees about y (column-major, as glRotatef(90, 0, 1, 0)
    // leaves it): the camera's right axis in world space is row 0, here +z.
    const float turned[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    Sprite half(p, 0.5f);
    half.faceView(turned);
    expectNear(half.getA(), p + Vector3(0, 0.5f, -0.5f));
    expectNear(half.getB(), p + Vector3(0, 0.5f, 0.5f));
    expectNear(half.getC(), p + Vector3(0, -0.5f, 0.5f));
    expectNear(half.getD(), p + Vector3(0, -0.5f, -0.5f));

    billboard.setPosition(Vector3(0, 0, 0));
    billboard.faceView(identity);
    expectNear(billboard.getA(), Vector3(-1, 1, 0));
}

class SpriteGL : public zeltest::GLTest {
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
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // A quad filling the viewport with a at the top-left and b at the top-right.
    static Sprite fullScreenQuad() {
        return Sprite(Vector3(-1, 1, 0), Vector3(1, 1, 0), Vector3(1, -1, 0), Vector3(-1, -1, 0));
    }
};

TEST_F(SpriteGL, BillboardReadsTheModelViewMatrixAtEachDraw) {
    Sprite billboard(Vector3(0, 0, 0), 0.5f);
    glColor4f(1, 0, 0, 1);
    billboard.render();
    expectNear(billboard.getA(), Vector3(-0.5f, 0.5f, 0));
    expectNear(billboard.getC(), Vector3(0.5f, -0.5f, 0));
    // A square of edge 1 around the centre: 200 pixels to each side horizontally.
    expectPixel(400, 300, 255, 0, 0);
    expectPixel(580, 420, 255, 0, 0);
    expectPixel(620, 300, 0, 0, 255);

    glRotatef(90, 0, 1, 0);
    billboard.render();
    expectNear(billboard.getA(), Vector3(0, 0.5f, -0.5f));
    expectNear(billboard.getB(), Vector3(0, 0.5f, 0.5f));
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
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);

    for (bool blending : {true, false}) {
        SCOPED_TRACE(blending ? "blending on" : "blending off");
        if (blending) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ZERO);
        } else {
            glDisable(GL_BLEND);
        }
        glColor4f(0.5f, 1.0f, 1.0f, 1.0f);
        Sprite quad = fullScreenQuad();
        quad.render();

        EXPECT_EQ(glIsEnabled(GL_BLEND), blending ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), name);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 0.5f);

        // Corner a (top-left) carries (0, 0), b (1, 0), c (1, 1), d (0, 1);
        // the current colour modulates the red channel by one half.
        expectPixel(100, 500, 128, 0, 0);
        expectPixel(700, 500, 0, 255, 0);
        expectPixel(100, 100, 0, 0, 255);
        expectPixel(700, 100, 128, 255, 255);
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &name);
}

TEST_F(SpriteGL, TextureWithoutAlphaDrawsOpaqueAndRestoresTheColour) {
    const std::string path = writeBmp(zeltest::scratchDir("sprite_opaque") + "/orange.bmp", 8, 8,
                                      [](int, int) { return std::array<unsigned char, 3>{200, 100, 50}; });
    std::unique_ptr<zel::Texture> texture = zel::TextureFactory::createTexture(path, "orange.bmp");
    ASSERT_NE(texture, nullptr);
    ASSERT_FALSE(texture->hasAlpha());

    Sprite quad = fullScreenQuad();
    quad.setTexture(texture.get());
    // A translucent colour would mix with the blue background if blending were on.
    quad.setColor(1, 1, 1, 0.25f);
    quad.render();

    expectPixel(400, 300, 200, 100, 50);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_FLOAT_EQ(c, 1.0f);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(SpriteGL, ColourKeyedTextureBlendsAndSwitchesBlendingOffAfterwards) {
    // Left half magenta (the key colour), right half green.
    const std::string path =
        writeBmp(zeltest::scratchDir("sprite_keyed") + "/keyed.bmp", 8, 8, [](int x, int) {
            return x < 4 ? std::array<unsigned char, 3>{255, 0, 255} : std::array<unsigned char, 3>{0, 255, 0};
        });
    std::unique_ptr<zel::Texture> texture = zel::TextureFactory::createTexture(
        path, "keyed.bmp", true, 255, 0, 255, GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP, false);
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->hasAlpha());

    Sprite quad = fullScreenQuad();
    quad.setTexture(texture.get());
    quad.setColor(1, 1, 1, 0.5f);
    quad.render();

    // Keyed texels are dropped; the others are blended half over the blue background.
    expectPixel(200, 300, 0, 0, 255);
    expectPixel(600, 300, 0, 128, 128);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_ALPHA_TEST), GL_FALSE);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_FLOAT_EQ(c, 1.0f);
    glDisable(GL_TEXTURE_2D);
}

} // namespace
