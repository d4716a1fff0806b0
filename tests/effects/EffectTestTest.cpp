#include <gtest/gtest.h>

#include <cmath>

#include "effects/EffectTest.h"
#include "effects/EffectsTestSupport.h"
#include "effects/Random.h"
#include "effects/Sprite.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "environment/DayNightCycle.h"
#include "resources/Texture.h"
#include "scene/World.h"

using zel::BoundingBox;
using zel::EffectTest;
using zel::Light;
using zel::Random;
using zel::Vector3;
using zeltest::Pixel;
using zeltest::readPixel;

namespace {

class EffectTestTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        driver_ = std::make_unique<zel::FrameDriver>();
        driver_->initGL();
        world_ = &driver_->createWorld();
    }
    void TearDown() override {
        driver_.reset();
        zeltest::GLTest::TearDown();
    }

    std::unique_ptr<zel::FrameDriver> driver_;
    zel::World* world_ = nullptr;
};

Vector3 lightPosition(const Light& light) { return Vector3(light.position[0], light.position[1], light.position[2]); }

const float NIGHT = 0.05f;
const float DAY = 0.5f;

// A view where world x -20..20 and y -5..25 fill the window: 20 pixels per unit,
// world (0, 10) at pixel (400, 300).
void nightView() {
    effectstest::pixelView();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20.0, 20.0, -5.0, 25.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
}

} // namespace

TEST_F(EffectTestTest, RegistersThreeColouredLightsWithTheWorldInOrder) {
    const std::size_t before = world_->getLights().size();
    EffectTest show;
    ASSERT_EQ(world_->getLights().size(), before + 3);
    const float colours[3][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    const Vector3 directions[3] = {Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(-1, 0, 0)};
    for (int i = 0; i < 3; ++i) {
        const Light* light = world_->getLights()[before + static_cast<std::size_t>(i)].get();
        EXPECT_EQ(show.getLight(i), light) << "light " << i;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(light->color[k], colours[i][k]);
        EXPECT_EQ(lightPosition(*light), Vector3(0.0f, 10.0f, 0.0f));
        EXPECT_EQ(light->position[3], 1.0f);
        EXPECT_EQ(show.getDirection(i), directions[i]);

        const zel::Sprite* sprite = show.getSprite(i);
        EXPECT_TRUE(sprite->isBillboard());
        EXPECT_EQ(sprite->getSize(), 1.0f);
        EXPECT_EQ(sprite->getPosition(), Vector3(0.0f, 10.0f, 0.0f));
        for (int k = 0; k < 4; ++k) EXPECT_EQ(sprite->getColor()[k], colours[i][k]);
        ASSERT_NE(sprite->getTexture(), nullptr);
        EXPECT_EQ(sprite->getTexture()->getName(), "waterparticle_0.tga");
    }
    EXPECT_EQ(show.getTimer(), 0u);
    EXPECT_EQ(show.getBounds(), nullptr);
}

TEST_F(EffectTestTest, ByDayNothingMovesOrDraws) {
    EffectTest show;
    const BoundingBox bounds(-50, -50, -50, 50, 50, 50);
    show.setBounds(&bounds);
    const Random generator = Random::shared();
    for (int i = 0; i < 100; ++i) show.step(15, DAY);
    show.step(15, 0.1001f);
    EXPECT_EQ(show.getTimer(), 0u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lightPosition(*show.getLight(i)), Vector3(0.0f, 10.0f, 0.0f));
    EXPECT_EQ(show.getDirection(0), Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(generator.getState(), Random::shared().getState());

    nightView();
    show.draw(DAY);
    EXPECT_TRUE(effectstest::isBlack(readPixel(400, 300)));
}

TEST_F(EffectTestTest, AtNightLightsDriftAndSpritesFollow) {
    EffectTest show;
    const BoundingBox bounds(-50, -50, -50, 50, 50, 50);
    show.setBounds(&bounds);
    // The threshold itself counts as night.
    show.step(15, 0.1f);
    EXPECT_EQ(show.getTimer(), 15u);
    for (int i = 0; i < 19; ++i) show.step(15, NIGHT);
    EXPECT_EQ(show.getTimer(), 300u);
    // Twenty steps of 0.1 along the unjittered directions, whatever the elapsed time.
    const Vector3 expected[3] = {Vector3(2.0f, 10.0f, 0.0f), Vector3(0.0f, 12.0f, 0.0f), Vector3(-2.0f, 10.0f, 0.0f)};
    for (int i = 0; i < 3; ++i) {
        const Vector3 p = lightPosition(*show.getLight(i));
        EXPECT_NEAR(p.x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(p.y, expected[i].y, 1e-4f) << i;
        EXPECT_NEAR(p.z, expected[i].z, 1e-4f) << i;
        EXPECT_EQ(show.getLight(i)->position[3], 1.0f);
        EXPECT_EQ(show.getSprite(i)->getPosition(), p);
    }

    // Drawn at night: each sprite shows its light's colour at the light.
    nightView();
    show.draw(NIGHT);
    const Pixel red = readPixel(440, 300), green = readPixel(400, 340), blue = readPixel(360, 300);
    EXPECT_GT(red.r, 150);
    EXPECT_EQ(red.g, 0);
    EXPECT_GT(green.g, 150);
    EXPECT_EQ(green.b, 0);
    EXPECT_GT(blue.b, 150);
    EXPECT_EQ(blue.r, 0);
    EXPECT_TRUE(effectstest::isBlack(readPixel(400, 250)));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glDisable(GL_TEXTURE_2D);
}

TEST_F(EffectTestTest, DirectionsAreJitteredOnceFourHundredMillisecondsHaveAccumulated) {
    EffectTest show;
    const BoundingBox bounds(-50, -50, -50, 50, 50, 50);
    show.setBounds(&bounds);
    const Random untouched = Random::shared();
    show.step(399, NIGHT);
    show.step(1, NIGHT); // the timer reaches 400 only after this step's check
    EXPECT_EQ(untouched.getState(), Random::shared().getState());
    EXPECT_EQ(show.getTimer(), 400u);

    Random predictor = Random::shared();
    Vector3 expected[3];
    for (int i = 0; i < 3; ++i) {
        Vector3 j;
        j.z = Random::unit(predictor.next()) - 0.5f;
        j.y = Random::unit(predictor.next()) - 0.5f;
        j.x = Random::unit(predictor.next()) - 0.5f;
        expected[i] = show.getDirection(i) + j;
        expected[i].normalise();
    }
    const Vector3 before[3] = {lightPosition(*show.getLight(0)), lightPosition(*show.getLight(1)),
                               lightPosition(*show.getLight(2))};
    show.step(15, NIGHT);
    EXPECT_EQ(show.getTimer(), 15u) << "reset to 0, then this step's time is added";
    EXPECT_EQ(predictor.getState(), Random::shared().getState());
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(show.getDirection(i).x, expected[i].x, 1e-6f);
        EXPECT_NEAR(show.getDirection(i).y, expected[i].y, 1e-6f);
        EXPECT_NEAR(show.getDirection(i).z, expected[i].z, 1e-6f);
        EXPECT_NEAR(std::sqrt(show.getDirection(i).lengthSquared()), 1.0f, 1e-5f);
        const Vector3 moved = lightPosition(*show.getLight(i)) - before[i];
        EXPECT_NEAR(moved.x, expected[i].x * 0.1f, 1e-5f);
        EXPECT_NEAR(moved.y, expected[i].y * 0.1f, 1e-5f);
    }
}

TEST_F(EffectTestTest, LightsOutsideTheBoundsTurnBack) {
    EffectTest show;
    // The box's right face is x = 0.1, its top face y = 10: the green light sits on it.
    const BoundingBox bounds(-0.25f, 0.0f, -1.0f, 0.1f, 10.0f, 1.0f);
    show.setBounds(&bounds);
    show.step(15, NIGHT);
    {
        SCOPED_TRACE("all start inside or on a face and keep their directions");
        EXPECT_EQ(show.getDirection(0), Vector3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(show.getDirection(1), Vector3(0.0f, 1.0f, 0.0f));
        EXPECT_EQ(show.getDirection(2), Vector3(-1.0f, 0.0f, 0.0f));
        EXPECT_FLOAT_EQ(show.getLight(0)->position[0], 0.1f); // now exactly on the right face
    }
    show.step(15, NIGHT);
    {
        SCOPED_TRACE("on a face counts as inside; green above the box turns back");
        EXPECT_EQ(show.getDirection(0), Vector3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(show.getDirection(1), Vector3(-0.0f, -1.0f, -0.0f));
        EXPECT_FLOAT_EQ(show.getLight(1)->position[1], 10.0f);
        EXPECT_FLOAT_EQ(show.getLight(0)->position[0], 0.2f);
    }
    show.step(15, NIGHT);
    {
        SCOPED_TRACE("red beyond the right face reverses; blue at x = -0.2 is still inside");
        EXPECT_EQ(show.getDirection(0), Vector3(-1.0f, -0.0f, -0.0f));
        EXPECT_FLOAT_EQ(show.getLight(0)->position[0], 0.1f);
        EXPECT_EQ(show.getDirection(1), Vector3(0.0f, -1.0f, 0.0f));
        EXPECT_EQ(show.getDirection(2), Vector3(-1.0f, 0.0f, 0.0f));
    }
    show.step(15, NIGHT);
    {
        SCOPED_TRACE("blue beyond the left face reverses; red is back inside and keeps going");
        EXPECT_EQ(show.getDirection(2), Vector3(1.0f, -0.0f, -0.0f));
        EXPECT_EQ(show.getDirection(0), Vector3(-1.0f, 0.0f, 0.0f));
        EXPECT_NEAR(show.getLight(0)->position[0], 0.0f, 1e-6f);
    }
}

TEST_F(EffectTestTest, WithoutBoundsNothingIsReversed) {
    EffectTest show;
    for (int i = 0; i < 10; ++i) show.step(15, NIGHT);
    EXPECT_EQ(show.getDirection(0), Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(show.getLight(0)->position[0], 1.0f, 1e-5f);
}

TEST_F(EffectTestTest, FollowsTheDayNightCycle) {
    EffectTest show;
    const BoundingBox bounds(-50, -50, -50, 50, 50, 50);
    show.setBounds(&bounds);
    zel::DayNightCycle& cycle = zel::DayNightCycle::instance();
    if (cycle.getValue() > 0.1f) {
        show.update(15);
        EXPECT_EQ(lightPosition(*show.getLight(0)), Vector3(0.0f, 10.0f, 0.0f));
        cycle.update(30000);
        for (int i = 0; i < 5000 && cycle.getValue() > 0.1f; ++i) cycle.update(15);
    }
    ASSERT_LE(cycle.getValue(), 0.1f);
    show.update(15);
    EXPECT_NEAR(show.getLight(0)->position[0], 0.1f, 1e-6f);
    EXPECT_EQ(show.getTimer(), 15u);
}
