// The overlay over a black frame, read back pixel by pixel: glyph cells and text layout of the font
// renderer, the string type, components, and the frame rate the panels show.
#include <gtest/gtest.h>

#include <vector>

#include "engine/CoreEngine.h"
#include "gui/FontRenderer.h"
#include "gui/SceneAnalyseGUI.h"
#include "gui/String.h"
#include "gui/TextEdit.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

using namespace zel;
using zel::gui::SceneAnalyseGUI;
using zeltest::isBlack;

namespace {

// The pixel covering GUI column x and GUI row y (rows counted from the top).
zeltest::Pixel guiPixel(int x, int y) {
    return zeltest::readPixel(x, 599 - y);
}

// True when some pixel of the GUI rectangle [x0, x1) x [y0, y1) has every channel above level.
bool anyWhite(int x0, int y0, int x1, int y1, int level = 200) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const zeltest::Pixel p = guiPixel(x, y);
            if (p.r > level && p.g > level && p.b > level)
                return true;
        }
    return false;
}

// The engine prepared for drawing the overlay over a black frame.
class OverlayTest : public zeltest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!HasFatalFailure())
            zeltest::pixelView();
    }
    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        EngineTest::TearDown();
    }
};

} // namespace

TEST(GuiText, GlyphCellsAdvanceAndStringsConcatenate) {
    const struct {
        char c;
        float s0, t0;
    } cases[] = {
        {'A', 1, 2}, {static_cast<char>(0xFF), -1, -2}, // a signed char: code -33
    };
    for (const auto& c : cases) {
        const GlyphCell cell = FontRenderer::glyphCell(c.c);
        EXPECT_FLOAT_EQ(cell.s0, c.s0 / 16.0f) << static_cast<int>(c.c);
        EXPECT_FLOAT_EQ(cell.t0, c.t0 / 16.0f) << static_cast<int>(c.c);
    }
    EXPECT_EQ(FontRenderer::glyphX(7, 15, 1), 17) << "size 15 advances by 15 - 5";

    EXPECT_EQ(std::string(String(static_cast<const char*>(nullptr))), "");
    EXPECT_EQ(std::string(String(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(std::string(String(std::string("a")) + String() + String("b")), "ab");
}

TEST_F(OverlayTest, GlyphsAreDrawnUprightInTheirCellsAndTextAdvancesByTwoThirds) {
    FontRenderer& font = FontRenderer::instance();
    ASSERT_TRUE(font.init());
    EXPECT_TRUE(font.getTexture()->hasAlpha());

    font.drawText("H", 32, 100, 100);
    EXPECT_TRUE(anyWhite(100, 100, 132, 132));
    EXPECT_TRUE(isBlack(guiPixel(130, 101))) << "the key colour is dropped";
    for (int i = 90; i < 142; ++i) {
        ASSERT_TRUE(isBlack(guiPixel(i, 99)) && isBlack(guiPixel(i, 132)))
            << "outside the cell, column " << i;
        ASSERT_TRUE(isBlack(guiPixel(99, i)) && isBlack(guiPixel(132, i))) << "outside the cell, row " << i;
    }

    // An underscore's ink lies in the lower half of its cell, a quote's in the upper.
    for (char c : {'_', '"'}) {
        zeltest::pixelView();
        font.drawChar(32, 100, 100, c);
        EXPECT_EQ(anyWhite(100, 116, 132, 132, 50), c == '_') << c;
        EXPECT_EQ(anyWhite(100, 100, 132, 116, 50), c == '"') << c;
    }

    // Size 15 advances by 10: the third glyph's cell is [220, 235), at 15 it would reach 245.
    zeltest::pixelView();
    font.drawText("HIH", 15, 200, 50);
    EXPECT_TRUE(anyWhite(220, 50, 235, 65));
    EXPECT_FALSE(anyWhite(235, 45, 260, 70, 50));
}

// The panels' pixels over a scene and their text are the demo frame test's; here the frame rate they show.
TEST_F(OverlayTest, PanelsShowTheEnginesFrameRateAfterAnUpdate) {
    SceneAnalyseGUI& overlay = SceneAnalyseGUI::instance();
    overlay.update(15);
    overlay.render();
    EXPECT_EQ(overlay.getFpsLabel().getText(), "Current FPS: 0") << "no second has completed yet";
    driver_->start();
    driver_->runTicks(80);
    const unsigned engineFps = CoreEngine::instance().getFps();
    ASSERT_GT(engineFps, 0u);
    EXPECT_EQ(overlay.getFps(), 0) << "copied only by update";
    overlay.update(15);
    overlay.render();
    EXPECT_EQ(overlay.getFpsLabel().getText(), "Current FPS: " + std::to_string(engineFps));
}

TEST_F(OverlayTest, ComponentBlendsOnlyWhenTranslucentAndTexturesOnlyWhenGivenATexture) {
    gui::TextEdit panel(100, 100, 50, 20);
    panel.setDrawBackground(true);
    panel.setColor(0.2f, 0.4f, 0.6f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    panel.render();
    zeltest::expectPixel(120, 599 - 110, 51, 102, 153, 0);
    EXPECT_TRUE(isBlack(guiPixel(150, 110)) && isBlack(guiPixel(120, 120)));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "an untextured component switches texturing off";

    Texture* texture = TextureDatabase::getInstance().getDefaultTexture();
    ASSERT_NE(texture, nullptr);
    panel.setTexture(texture);
    panel.render();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getId());
}
