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
    EXPECT_EQ(std::string(String("abc")), "abc");
    EXPECT_EQ(std::string(String(static_cast<const char*>(nullptr))), "");
    EXPECT_EQ(std::string(String(std::string("x y"))), "x y");
    EXPECT_EQ(std::string(String(87)), "87");
    EXPECT_EQ(std::string(String(0)), "0");
    EXPECT_EQ(std::string(String(-42)), "-42");
    EXPECT_EQ(std::string(String(2147483647)), "2147483647");
    EXPECT_EQ(std::string(String(-2147483647 - 1)), "-2147483648");
    const String joined = String("Current FPS: ") + String(87);
    EXPECT_EQ(joined.str(), "Current FPS: 87");
    EXPECT_EQ(std::string(String("a") + String() + String("b")), "ab");
    EXPECT_EQ(SceneAnalyseGUI::fpsText(0), "Current FPS: 0");
}

namespace {

class OverlayTest : public zeltest::GLTest {
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

// The panel colour (0.5, 0.3, 0.3) at alpha 0.4 over black.
void expectPanel(int x, int y) {
    const zeltest::Pixel p = guiPixel(x, y);
    EXPECT_NEAR(p.r, 51, 1) << "at GUI (" << x << ", " << y << ")";
    EXPECT_NEAR(p.g, 31, 1) << "at GUI (" << x << ", " << y << ")";
    EXPECT_NEAR(p.b, 31, 1) << "at GUI (" << x << ", " << y << ")";
}

} // namespace

TEST_F(OverlayTest, LabelsHaveTheirPlacesAndPanelColour) {
    SceneAnalyseGUI& overlay = SceneAnalyseGUI::instance();
    TextEdit& title = overlay.getTitleLabel();
    TextEdit& fps = overlay.getFpsLabel();
    EXPECT_EQ(title.getX(), 10);
    EXPECT_EQ(title.getY(), 10);
    EXPECT_EQ(title.getWidth(), 300);
    EXPECT_EQ(title.getHeight(), 30);
    EXPECT_EQ(fps.getX(), 10);
    EXPECT_EQ(fps.getY(), 40);
    for (TextEdit* label : {&title, &fps}) {
        EXPECT_TRUE(label->getDrawBackground());
        EXPECT_EQ(label->getFontSize(), 15);
        EXPECT_FLOAT_EQ(label->getColor()[0], 0.5f);
        EXPECT_FLOAT_EQ(label->getColor()[1], 0.3f);
        EXPECT_FLOAT_EQ(label->getColor()[2], 0.3f);
        EXPECT_FLOAT_EQ(label->getColor()[3], 0.4f);
        EXPECT_FALSE(label->isTextured());
    }
}

TEST_F(OverlayTest, PanelsCoverTheTopLeftCornerAndTouchWithoutOverlap) {
    SceneAnalyseGUI& overlay = SceneAnalyseGUI::instance();
    overlay.update(15);
    overlayView();
    overlay.render();
    {
        SCOPED_TRACE("title panel: rows 10 to 39, columns 10 to 309");
        expectPanel(300, 10);
        expectPanel(300, 25);
        expectPanel(10, 25);
        expectPanel(309, 25);
        expectPanel(300, 39);
    }
    {
        SCOPED_TRACE("frame-rate panel: rows 40 to 69; where they touch the colour is blended once");
        expectPanel(300, 40);
        expectPanel(300, 55);
        expectPanel(300, 69);
    }
    {
        SCOPED_TRACE("outside the panels");
        EXPECT_TRUE(isBlack(guiPixel(300, 9)));
        EXPECT_TRUE(isBlack(guiPixel(300, 70)));
        EXPECT_TRUE(isBlack(guiPixel(9, 25)));
        EXPECT_TRUE(isBlack(guiPixel(310, 55)));
        EXPECT_TRUE(isBlack(guiPixel(400, 300)));
    }
    {
        SCOPED_TRACE("text starts at each panel's top-left corner");
        EXPECT_TRUE(anyWhite(10, 10, 25, 25)) << "the W of the title";
        EXPECT_TRUE(anyWhite(10, 40, 25, 55)) << "the C of the frame-rate line";
        EXPECT_FALSE(anyWhite(200, 10, 310, 70)) << "the captions end well before the panels do";
    }
    {
        SCOPED_TRACE("state afterwards");
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (float c : colour) EXPECT_EQ(c, 1.0f);
    }
    glDisable(GL_TEXTURE_2D);
}

TEST_F(OverlayTest, ShowsTheTitleAndTheEnginesFrameRate) {
    SceneAnalyseGUI& overlay = SceneAnalyseGUI::instance();
    overlay.update(15);
    overlayView();
    overlay.render();
    EXPECT_EQ(overlay.getTitleLabel().getText(), "World Of Ulmera");
    EXPECT_EQ(overlay.getFpsLabel().getText(), "Current FPS: 0") << "no second has completed yet";

    // Frames 15 ms apart, one tick each: the engine's first window completes
    // after 1000 ms of ticks and its count reaches the overlay at its next update.
    driver_->start();
    driver_->runTicks(80);
    const unsigned engineFps = zel::CoreEngine::instance().getFps();
    ASSERT_GT(engineFps, 0u);
    EXPECT_EQ(overlay.getFps(), 0) << "the overlay copies the value only in update";
    overlay.update(15);
    EXPECT_EQ(overlay.getFps(), static_cast<int>(engineFps));
    overlayView();
    overlay.render();
    EXPECT_EQ(overlay.getFpsLabel().getText(), "Current FPS: " + std::to_string(engineFps));
    glDisable(GL_TEXTURE_2D);
}

TEST_F(OverlayTest, OpaqueComponentDrawsWithoutBlendingAndKeepsItsColour) {
    TextEdit panel(100, 100, 50, 20);
    panel.setColor(0.2f, 0.4f, 0.6f, 1.0f);
    panel.setDrawBackground(true);
    overlayView();
    glEnable(GL_TEXTURE_2D);
    panel.render();
    const zeltest::Pixel p = guiPixel(120, 110);
    EXPECT_EQ(p.r, 51);
    EXPECT_EQ(p.g, 102);
    EXPECT_EQ(p.b, 153);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.2f);
    EXPECT_FLOAT_EQ(colour[2], 0.6f);
    EXPECT_TRUE(isBlack(guiPixel(99, 110)));
    EXPECT_TRUE(isBlack(guiPixel(150, 110)));
    EXPECT_TRUE(isBlack(guiPixel(120, 120)));
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

TEST_F(OverlayTest, ComponentTexturingFollowsItsTexture) {
    TextEdit panel(100, 100, 50, 20);
    panel.setDrawBackground(true);
    overlayView();
    glEnable(GL_TEXTURE_2D);
    panel.render();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "an untextured panel switches texturing off";
    EXPECT_TRUE(guiPixel(120, 110).r == 255);

    zel::Texture* texture = zel::TextureDatabase::getInstance().getDefaultTexture();
    ASSERT_NE(texture, nullptr);
    panel.setTexture(texture);
    EXPECT_TRUE(panel.isTextured());
    panel.render();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getId());
    panel.setTexture(nullptr);
    EXPECT_FALSE(panel.isTextured());
    glDisable(GL_TEXTURE_2D);
}
