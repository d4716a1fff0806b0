#include <gtest/gtest.h>

#include <vector>

#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "gui/FontRenderer.h"
#include "gui/GuiTestSupport.h"
#include "resources/Texture.h"

using guitest::anyWhite;
using guitest::guiPixel;
using guitest::isBlack;
using guitest::overlayView;
using zel::FontRenderer;
using zel::GlyphCell;

TEST(FontGlyphs, CellsFollowTheCharacterCode) {
    {
        SCOPED_TRACE("'A' is column 1, row 2");
        const GlyphCell a = FontRenderer::glyphCell('A');
        EXPECT_FLOAT_EQ(a.s0, 1.0f / 16.0f);
        EXPECT_FLOAT_EQ(a.s1, 2.0f / 16.0f);
        EXPECT_FLOAT_EQ(a.t0, 2.0f / 16.0f);
        EXPECT_FLOAT_EQ(a.t1, 3.0f / 16.0f);
    }
    {
        SCOPED_TRACE("space is the first cell");
        const GlyphCell space = FontRenderer::glyphCell(' ');
        EXPECT_EQ(space.s0, 0.0f);
        EXPECT_EQ(space.t0, 0.0f);
        EXPECT_EQ(space.s1, 0.0625f);
        EXPECT_EQ(space.t1, 0.0625f);
    }
    {
        SCOPED_TRACE("'~' (126) is column 14, row 5; '/' (47) column 15, row 0");
        EXPECT_FLOAT_EQ(FontRenderer::glyphCell('~').s0, 14.0f / 16.0f);
        EXPECT_FLOAT_EQ(FontRenderer::glyphCell('~').t0, 5.0f / 16.0f);
        EXPECT_FLOAT_EQ(FontRenderer::glyphCell('/').s0, 15.0f / 16.0f);
        EXPECT_FLOAT_EQ(FontRenderer::glyphCell('/').t0, 0.0f);
    }
    {
        SCOPED_TRACE("characters are signed: byte 0xFF is -1, code -33, column -1, row -2");
        const GlyphCell c = FontRenderer::glyphCell(static_cast<char>(0xFF));
        EXPECT_FLOAT_EQ(c.s0, -1.0f / 16.0f);
        EXPECT_FLOAT_EQ(c.t0, -2.0f / 16.0f);
        SCOPED_TRACE("control character 10 is code -22: column -6, row -1");
        const GlyphCell lf = FontRenderer::glyphCell('\n');
        EXPECT_FLOAT_EQ(lf.s0, -6.0f / 16.0f);
        EXPECT_FLOAT_EQ(lf.t0, -1.0f / 16.0f);
    }
}

TEST(FontGlyphs, AdvanceAndPointConversion) {
    EXPECT_EQ(FontRenderer::glyphX(7, 15, 0), 7);
    EXPECT_EQ(FontRenderer::glyphX(7, 15, 1), 17);
    EXPECT_EQ(FontRenderer::glyphX(0, 16, 3), 33); // 16 - 5 = 11 per glyph
    EXPECT_EQ(FontRenderer::glyphX(0, 2, 4), 8);   // 2 - 0
    const zel::GLPoint p = zel::toGLPoint(10, 10, 600);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 590);
    const zel::GLPoint q = zel::toGLPoint(0, 768, 768);
    EXPECT_EQ(q.y, 0);
}

namespace {

class FontRendererTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        driver_ = std::make_unique<zel::FrameDriver>();
        driver_->initGL();
    }
    void TearDown() override {
        driver_.reset();
        zeltest::GLTest::TearDown();
    }
    std::unique_ptr<zel::FrameDriver> driver_;
};

std::vector<zeltest::Pixel> readGuiRect(int x0, int y0, int x1, int y1) {
    std::vector<zeltest::Pixel> pixels;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) pixels.push_back(guiPixel(x, y));
    return pixels;
}

} // namespace

TEST_F(FontRendererTest, UsesTheKeyedFontTexture) {
    FontRenderer& font = FontRenderer::instance();
    EXPECT_TRUE(font.init());
    ASSERT_NE(font.getTexture(), nullptr);
    EXPECT_EQ(font.getTexture()->getName(), "defaultfont");
    EXPECT_TRUE(font.getTexture()->hasAlpha());
    EXPECT_EQ(zel::CoreEngine::instance().getHeight(), 600);
    const zel::GLPoint p = zel::toGLPoint(10, 10);
    EXPECT_EQ(p.y, 590);
}

TEST_F(FontRendererTest, GlyphIsDrawnInsideItsCellWithTransparentBackground) {
    FontRenderer& font = FontRenderer::instance();
    overlayView();
    font.drawText("H", 32, 100, 100);
    EXPECT_TRUE(anyWhite(100, 100, 132, 132)) << "the glyph's ink is drawn in white";
    // The key colour around the glyph is dropped by the alpha test.
    EXPECT_TRUE(isBlack(guiPixel(130, 101)));
    for (int i = 90; i < 142; ++i) {
        ASSERT_TRUE(isBlack(guiPixel(i, 99))) << "above the cell at column " << i;
        ASSERT_TRUE(isBlack(guiPixel(i, 132))) << "below the cell at column " << i;
        ASSERT_TRUE(isBlack(guiPixel(99, i))) << "left of the cell at row " << i;
        ASSERT_TRUE(isBlack(guiPixel(132, i))) << "right of the cell at row " << i;
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is left on";
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
}

TEST_F(FontRendererTest, GlyphsStandUpright) {
    // An underscore's ink lies in the lower half of its cell, a quote's in the upper.
    FontRenderer& font = FontRenderer::instance();
    overlayView();
    font.drawChar(32, 100, 100, '_');
    EXPECT_TRUE(anyWhite(100, 116, 132, 132));
    EXPECT_FALSE(anyWhite(100, 100, 132, 116));
    overlayView();
    font.drawChar(32, 100, 100, '"');
    EXPECT_TRUE(anyWhite(100, 100, 132, 116));
    EXPECT_FALSE(anyWhite(100, 116, 132, 132));
}

TEST_F(FontRendererTest, TextAdvancesByTwoThirdsOfTheSize) {
    FontRenderer& font = FontRenderer::instance();
    overlayView();
    font.drawText("HIH", 15, 200, 50);
    const std::vector<zeltest::Pixel> asText = readGuiRect(190, 45, 260, 70);
    overlayView();
    font.drawChar(15, 200, 50, 'H');
    font.drawChar(15, 210, 50, 'I');
    font.drawChar(15, 220, 50, 'H');
    const std::vector<zeltest::Pixel> asChars = readGuiRect(190, 45, 260, 70);
    ASSERT_EQ(asText.size(), asChars.size());
    for (std::size_t i = 0; i < asText.size(); ++i) {
        ASSERT_EQ(asText[i].r, asChars[i].r) << i;
        ASSERT_EQ(asText[i].g, asChars[i].g) << i;
    }
    EXPECT_TRUE(anyWhite(220, 50, 235, 65)) << "the third glyph starts 20 pixels in";
}

TEST_F(FontRendererTest, EmptyTextDrawsNothingAndChangesNoState) {
    FontRenderer& font = FontRenderer::instance();
    overlayView();
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
    font.drawText("", 15, 10, 10);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 0.25f);
    EXPECT_EQ(colour[3], 0.5f);
    EXPECT_TRUE(isBlack(guiPixel(12, 12)));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
