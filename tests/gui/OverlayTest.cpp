#include <gtest/gtest.h>

#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "gui/GuiTestSupport.h"
#include "gui/SceneAnalyseGUI.h"
#include "gui/String.h"
#include "gui/TextEdit.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"

using guitest::anyWhite;
using guitest::guiPixel;
using guitest::isBlack;
using guitest::overlayView;
using zel::String;
using zel::gui::SceneAnalyseGUI;
using zel::gui::TextEdit;

TEST(GuiString, BuildsFromTextAndIntegersAndConcatenates) {
    EXPECT_EQ(std::string(String()), "");
    EXPECT_EQ(std::string(String(static_cast<const char*>(nullptr))), "");
    EXPECT_EQ(std::string(String(-42)), "-42");
    EXPECT_EQ(std::string(String(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(std::string(String("Current FPS: ") + String(87)), "Current FPS: 87");
    EXPECT_EQ(std::string(String(std::string("a")) + String() + String("b")), "ab");
}

namespace {

using guitest::OverlayTest;

// The panel colour (0.5, 0.3, 0.3) at alpha 0.4 over black, blended once.
void expectPanel(int x, int y) {
    const zeltest::Pixel p = guiPixel(x, y);
    EXPECT_NEAR(p.r, 51, 1) << "at GUI (" << x << ", " << y << ")";
    EXPECT_NEAR(p.g, 31, 1) << "at GUI (" << x << ", " << y << ")";
    EXPECT_NEAR(p.b, 31, 1) << "at GUI (" << x << ", " << y << ")";
}

} // namespace

TEST_F(OverlayTest, PanelsCoverTheTopLeftCornerAndTouchWithoutOverlap) {
    SceneAnalyseGUI& overlay = SceneAnalyseGUI::instance();
    overlay.update(15);
    overlay.render();
    for (int y : {10, 25, 39, 40, 55, 69}) expectPanel(300, y);
    expectPanel(10, 25);
    expectPanel(309, 55);
    for (int y : {9, 70}) EXPECT_TRUE(isBlack(guiPixel(300, y))) << "row " << y;
    EXPECT_TRUE(isBlack(guiPixel(9, 25)));
    EXPECT_TRUE(isBlack(guiPixel(310, 55)));
    EXPECT_TRUE(anyWhite(10, 10, 25, 25)) << "title text at the panel's top-left corner";
    EXPECT_TRUE(anyWhite(10, 40, 25, 55)) << "frame-rate text at its panel's corner";
    EXPECT_FALSE(anyWhite(200, 10, 310, 70)) << "both captions end well inside their panels";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour) EXPECT_EQ(c, 1.0f);
}

TEST_F(OverlayTest, ShowsTheTitleAndTheEnginesFrameRate) {
    SceneAnalyseGUI& overlay = SceneAnalyseGUI::instance();
    overlay.update(15);
    overlay.render();
    EXPECT_EQ(overlay.getTitleLabel().getText(), "World Of Ulmera");
    EXPECT_EQ(overlay.getFpsLabel().getText(), "Current FPS: 0") << "no second has completed yet";

    driver_->start();
    driver_->runTicks(80);
    const unsigned engineFps = zel::CoreEngine::instance().getFps();
    ASSERT_GT(engineFps, 0u);
    EXPECT_EQ(overlay.getFps(), 0) << "copied only by update";
    overlay.update(15);
    overlay.render();
    EXPECT_EQ(overlay.getFpsLabel().getText(), "Current FPS: " + std::to_string(engineFps));
}

TEST_F(OverlayTest, ComponentBlendsOnlyWhenTranslucentAndTexturesOnlyWhenGivenATexture) {
    TextEdit panel(100, 100, 50, 20);
    panel.setDrawBackground(true);
    panel.setColor(0.2f, 0.4f, 0.6f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    panel.render();
    const zeltest::Pixel p = guiPixel(120, 110);
    EXPECT_EQ(p.r, 51);
    EXPECT_EQ(p.g, 102);
    EXPECT_EQ(p.b, 153);
    EXPECT_TRUE(isBlack(guiPixel(150, 110)));
    EXPECT_TRUE(isBlack(guiPixel(120, 120)));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "an untextured component switches texturing off";
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.4f) << "an opaque component leaves its colour current";

    zel::Texture* texture = zel::TextureDatabase::getInstance().getDefaultTexture();
    ASSERT_NE(texture, nullptr);
    panel.setTexture(texture);
    panel.render();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getId());
}
