#include "environment/SkyBox.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/Image.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

namespace {

using zel::SkyBox;

const char* const FACE_NAMES[SkyBox::FACE_COUNT] = {"front", "back", "left", "right", "bottom", "top"};

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

    // The rotation the world applies before its sky, for a camera of pitch 0 and this yaw.
    static void skyView(float yaw) {
        glLoadIdentity();
        glRotatef(180.0f - yaw, 0, 1, 0);
    }
};

// Runs first in this file: it needs the sky names still unregistered.
TEST_F(SkyBoxGL, RegistryNamesStayFixedWhileFileNamesFollowThePrefix) {
    if (zel::TextureDatabase::getInstance().findTexture("sky_back.jpg") != nullptr) {
        GTEST_SKIP() << "sky textures were registered earlier in this process";
    }
    // The water's cube faces stand in for another sky: same suffixes, other pixels.
    SkyBox other("water", 5.0f);
    for (int face = 0; face < SkyBox::FACE_COUNT; ++face) {
        SCOPED_TRACE(FACE_NAMES[face]);
        zel::Texture* texture = other.getFaceTexture(static_cast<SkyBox::Face>(face));
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->getName(), std::string("sky_") + FACE_NAMES[face] + ".jpg");
        zel::Image file(std::string("../data/textures/water_") + FACE_NAMES[face] + ".jpg", false, 0, 0, 0);
        const zel::Image& loaded = texture->getImage();
        ASSERT_TRUE(file.loaded && loaded.width == file.width && loaded.height == file.height &&
                    loaded.bitsPerPixel == file.bitsPerPixel);
        EXPECT_EQ(std::memcmp(loaded.data.get(), file.data.get(),
                              static_cast<size_t>(file.width) * file.height * file.getBytesPerPixel()),
                  0);
    }
}

TEST_F(SkyBoxGL, SideFacesAreUprightAndUnmirroredFromInsideUnderTheDayTint) {
    SkyBox sky("sky", 10.0f);
    // Texel (s, t): (0, 0) red, (1, 0) green, (0, 1) blue, (1, 1) white.
    // Every face's registry texture gets these 2 x 2 texels (rows from t = 0).
    const unsigned char pattern[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int face = 0; face < SkyBox::FACE_COUNT; ++face) {
        glBindTexture(GL_TEXTURE_2D, sky.getFaceTexture(static_cast<SkyBox::Face>(face))->getId());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, pattern);
    }
    ASSERT_TRUE(zeltest::driveDayNightTo(1.0f));

    // Yaw 0 faces +z (front), 90 faces +x (left), 180 faces -z (back), 270 faces -x (right).
    const struct {
        const char* face;
        float yaw;
    } views[] = {{"front", 0}, {"left", 90}, {"back", 180}, {"right", 270}};
    for (const auto& view : views) {
        SCOPED_TRACE(view.face);
        glClear(GL_COLOR_BUFFER_BIT);
        skyView(view.yaw);
        // Whatever colour and texturing were current, the sky sets its own.
        glColor4f(0.3f, 0.6f, 0.9f, 0.5f);
        glDisable(GL_TEXTURE_2D);
        sky.render();
        // The top edge carries t = 0 and the left edge s = 0; two neighbouring
        // corners tell every turn and mirror apart.
        expectPixel(250, 450, 255, 0, 0);
        expectPixel(550, 450, 0, 255, 0);
    }
    glDisable(GL_TEXTURE_2D);
}

TEST(SkyBoxTint, NightDarkensTheFacesButNeverBelowOneTenth) {
    // The demo frames pin the drawn night sky at a tenth of its daylight colour.
    for (auto [value, tint] :
         {std::pair{0.0f, 0.1f}, {0.0999f, 0.1f}, {0.1f, 0.1f}, {0.5f, 0.5f}, {1.0f, 1.0f}})
        EXPECT_FLOAT_EQ(SkyBox::tintFor(value), tint) << value;
}

} // namespace
