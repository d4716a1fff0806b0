#include "environment/SkyBox.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "environment/DayNightCycle.h"
#include "resources/Image.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

namespace {

using zel::SkyBox;
using zel::Vector3;

const char* const FACE_NAMES[SkyBox::FACE_COUNT] = {"front", "back", "left", "right", "bottom", "top"};

using zeltest::driveDayNightTo;

// Replaces the pixels of every face's registry texture with a 2 x 2 image (rows from t = 0).
void fillFaces(SkyBox& sky, const unsigned char (&texels)[12]) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int face = 0; face < SkyBox::FACE_COUNT; ++face) {
        glBindTexture(GL_TEXTURE_2D, sky.getFaceTexture(static_cast<SkyBox::Face>(face))->getId());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    }
}

using zeltest::expectPixel;

class SkyBoxGL : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        zeltest::perspectiveView(90.0, 0.1, 100.0);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        zeltest::GLTest::TearDown();
    }

    // The rotation the world applies before drawing its sky, for a camera with
    // pitch 0 and the given yaw.
    static void skyView(float yaw) {
        glLoadIdentity();
        glRotatef(180.0f - yaw, 0, 1, 0);
    }
};

// Runs first in this file: it needs the sky names still unregistered to see
// which files they are loaded from.
TEST_F(SkyBoxGL, RegistryNamesStayFixedWhileFileNamesFollowThePrefix) {
    zel::TextureDatabase& db = zel::TextureDatabase::getInstance();
    if (db.findTexture("sky_back.jpg") != nullptr) {
        GTEST_SKIP() << "sky textures were registered earlier in this process";
    }
    // The water's cube faces stand in for another sky: same suffixes, other pixels.
    SkyBox other("water", 5.0f);
    for (int face = 0; face < SkyBox::FACE_COUNT; ++face) {
        SCOPED_TRACE(FACE_NAMES[face]);
        zel::Texture* texture = other.getFaceTexture(static_cast<SkyBox::Face>(face));
        ASSERT_NE(texture, nullptr);
        EXPECT_NE(texture, db.getDefaultTexture());
        EXPECT_EQ(texture->getName(), std::string("sky_") + FACE_NAMES[face] + ".jpg");
        EXPECT_EQ(db.findTexture(texture->getName()), texture);

        zel::Image file(std::string("../data/textures/water_") + FACE_NAMES[face] + ".jpg", false, 0, 0, 0);
        ASSERT_TRUE(file.loaded);
        const zel::Image& loaded = texture->getImage();
        ASSERT_EQ(loaded.width, file.width);
        ASSERT_EQ(loaded.height, file.height);
        ASSERT_EQ(loaded.bitsPerPixel, file.bitsPerPixel);
        EXPECT_EQ(std::memcmp(loaded.data.get(), file.data.get(),
                              static_cast<size_t>(file.width) * file.height * file.getBytesPerPixel()),
                  0);
    }
    // A later sky box finds the same textures under the same names.
    SkyBox standard("sky", 10.0f);
    for (int face = 0; face < SkyBox::FACE_COUNT; ++face) {
        const auto f = static_cast<SkyBox::Face>(face);
        EXPECT_EQ(standard.getFaceTexture(f), other.getFaceTexture(f)) << FACE_NAMES[face];
    }
}

TEST_F(SkyBoxGL, SideFacesAreUprightAndUnmirroredFromInside) {
    SkyBox sky("sky", 10.0f);
    // Texel (s, t): (0, 0) red, (1, 0) green, (0, 1) blue, (1, 1) white.
    const unsigned char pattern[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    fillFaces(sky, pattern);
    ASSERT_TRUE(driveDayNightTo(1.0f));

    // Yaw 0 faces +z (front), 90 faces +x (left), 180 faces -z (back), 270 faces -x (right).
    const struct {
        const char* face;
        float yaw;
    } views[] = {{"front", 0}, {"left", 90}, {"back", 180}, {"right", 270}};
    for (const auto& view : views) {
        SCOPED_TRACE(view.face);
        glClear(GL_COLOR_BUFFER_BIT);
        skyView(view.yaw);
        sky.render();
        // The top edge carries t = 0 and the left edge s = 0.
        expectPixel(250, 450, 255, 0, 0);
        expectPixel(550, 450, 0, 255, 0);
        expectPixel(250, 150, 0, 0, 255);
        expectPixel(550, 150, 255, 255, 255);
    }
}

TEST_F(SkyBoxGL, NightTintDarkensTheFacesButNeverBelowOneTenth) {
    for (auto [value, tint] :
         {std::pair{0.0f, 0.1f}, {0.0999f, 0.1f}, {0.1f, 0.1f}, {0.5f, 0.5f}, {1.0f, 1.0f}})
        EXPECT_FLOAT_EQ(SkyBox::tintFor(value), tint) << value;
    SkyBox sky("sky", 10.0f);
    const unsigned char grey[12] = {200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200, 200};
    fillFaces(sky, grey);
    ASSERT_TRUE(driveDayNightTo(0.0f));
    skyView(0);
    glColor4f(0.3f, 0.6f, 0.9f, 0.5f);
    glDisable(GL_TEXTURE_2D);
    sky.render();
    expectPixel(400, 300, 20, 20, 20);
    expectPixel(100, 550, 20, 20, 20);
    // The tint stays current and texturing stays on after the sky.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[0] + colour[1] + colour[2], 0.3f, 1e-6f);
    EXPECT_EQ(colour[3], 1.0f);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
}

} // namespace
