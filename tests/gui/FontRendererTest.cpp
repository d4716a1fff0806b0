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

TEST(FontGlyphs, CellsAdvanceAndPointConversion) {
    const struct { char c; float s0, t0; const char* what; } cases[] = {
        {'A', 1, 2, "'A' (65): column 1, row 2"},
        {' ', 0, 0, "space is the first cell"},
        {'~', 14, 5, "'~' (126)"},
        {static_cast<char>(0xFF), -1, -2, "byte 0xFF is -1 as a signed char: code -33"},
        {'\n', -6, -1, "control characters draw a cell too: code -22"},
    };
    for (const auto& c : cases) {
        const GlyphCell cell = FontRenderer::glyphCell(c.c);
        EXPECT_FLOAT_EQ(cell.s0, c.s0 / 16.0f) << c.what;
        EXPECT_FLOAT_EQ(cell.t0, c.t0 / 16.0f) << c.what;
        EXPECT_FLOAT_EQ(cell.s1, cell.s0 + 0.0625f) << c.what;
        EXPECT_FLOAT_EQ(cell.t1, cell.t0 + 0.0625f) << c.what;
    }
    EXPECT_EQ(FontRenderer::glyphX(7, 15, 1), 17) << "size 15 advances by 15 - 5";
    EXPECT_EQ(FontRenderer::glyphX(0, 16, 3), 33);
    EXPECT_EQ(zel::toGLPoint(10, 10, 600).y, 590);
    EXPECT_EQ(zel::toGLPoint(10, 10, 600).x, 10);
}

namespace {

using FontRendererTest = guitest::OverlayTest;

std::vector<int> readGuiRect(int x0, int y0, int x1, int y1) {
    std::vector<int> reds;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) reds.push_back(guiPixel(x, y).r);
    return reds;
}

} // namespace

TEST_F(FontRendererTest, GlyphIsDrawnUprightInsideItsCellOverATransparentKey) {
    FontRenderer& font = FontRenderer::instance();
    EXPECT_TRUE(font.init());
    ASSERT_NE(font.getTexture(), nullptr);
    EXPECT_EQ(font.getTexture()->getName(), "defaultfont");
    EXPECT_TRUE(font.getTexture()->hasAlpha());
    EXPECT_EQ(zel::toGLPoint(10, 10).y, 590) << "the engine's 800 x 600 viewport";

    font.drawText("H", 32, 100, 100);
    EXPECT_TRUE(anyWhite(100, 100, 132, 132));
    EXPECT_TRUE(isBlack(guiPixel(130, 101))) << "the key colour is dropped";
    for (int i = 90; i < 142; ++i) {
        ASSERT_TRUE(isBlack(guiPixel(i, 99)) && isBlack(guiPixel(i, 132))) << "outside the cell, column " << i;
        ASSERT_TRUE(isBlack(guiPixel(99, i)) && isBlack(guiPixel(132, i))) << "outside the cell, row " << i;
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is left on";

    // An underscore's ink (a thin, filtered line) lies in the lower half of its
    // cell, a quote's in the upper.
    overlayView();
    font.drawChar(32, 100, 100, '_');
    EXPECT_TRUE(anyWhite(100, 116, 132, 132, 50));
    EXPECT_FALSE(anyWhite(100, 100, 132, 116, 50));
    overlayView();
    font.drawChar(32, 100, 100, '"');
    EXPECT_TRUE(anyWhite(100, 100, 132, 116, 50));
    EXPECT_FALSE(anyWhite(100, 116, 132, 132, 50));
}

TEST_F(FontRendererTest, TextAdvancesByTwoThirdsOfTheSize) {
    FontRenderer& font = FontRenderer::instance();
    font.drawText("HIH", 15, 200, 50);
    const std::vector<int> asText = readGuiRect(190, 45, 260, 70);
    overlayView();
    for (int i = 0; i < 3; ++i) font.drawChar(15, 200 + 10 * i, 50, "HIH"[i]);
    EXPECT_EQ(asText, readGuiRect(190, 45, 260, 70));
    EXPECT_TRUE(anyWhite(220, 50, 235, 65));
}

TEST_F(FontRendererTest, EmptyTextDrawsNothingAndChangesNoState) {
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(0.25f, 0.5f, 0.75f, 0.5f);
    FontRenderer::instance().drawText("", 15, 10, 10);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 0.5f);
    EXPECT_TRUE(isBlack(guiPixel(12, 12)));
}
