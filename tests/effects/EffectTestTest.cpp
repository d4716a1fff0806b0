#include <gtest/gtest.h>

#include "effects/EffectTest.h"
#include "effects/Random.h"
#include "effects/Sprite.h"
#include "resources/Texture.h"
#include "support/EngineTest.h"

using zel::BoundingBox;
using zel::EffectTest;
using zel::Random;
using zel::Vector3;

namespace {

const float NIGHT = 0.05f;
const BoundingBox WIDE(-50, -50, -50, 50, 50, 50);

class EffectTestTest : public zeltest::EngineTest {
protected:
    EffectTestTest() : EngineTest(true) {}
};

Vector3 at(const EffectTest& show, int i) {
    const float* p = show.getLight(i)->position;
    return Vector3(p[0], p[1], p[2]);
}

} // namespace

TEST_F(EffectTestTest, MovesAndJittersItsLightsOnlyAtNight) {
    EffectTest show;
    EXPECT_EQ(show.getSprite(0)->getTexture()->getName(), "waterparticle_0.tga");
    show.setBounds(&WIDE);
    // By day nothing moves and the timer stands still.
    for (int i = 0; i < 100; ++i)
        show.step(15, 0.1001f);
    EXPECT_EQ(show.getTimer(), 0u);
    EXPECT_EQ(at(show, 0), Vector3(0.0f, 10.0f, 0.0f));

    // At night (0.1 included) each step moves 0.1 along the direction, whatever the time.
    show.step(15, 0.1f);
    for (int i = 0; i < 19; ++i)
        show.step(15, NIGHT);
    EXPECT_EQ(show.getTimer(), 300u);
    const Vector3 expected[3] = {Vector3(2, 10, 0), Vector3(0, 12, 0), Vector3(-2, 10, 0)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR((at(show, i) - expected[i]).lengthSquared(), 0.0f, 1e-8f) << i;
        EXPECT_EQ(show.getSprite(i)->getPosition(), at(show, i)) << "sprites follow their lights";
    }

    // The directions are jittered once 400 ms have accumulated; the timer is checked before it grows.
    const Random untouched = Random::shared();
    show.step(99, NIGHT);
    show.step(1, NIGHT);
    EXPECT_EQ(untouched.getState(), Random::shared().getState());

    Random predictor = Random::shared();
    Vector3 jittered[3];
    for (int i = 0; i < 3; ++i) {
        Vector3 j;
        j.z = Random::unit(predictor.next()) - 0.5f;
        j.y = Random::unit(predictor.next()) - 0.5f;
        j.x = Random::unit(predictor.next()) - 0.5f;
        jittered[i] = show.getDirection(i) + j;
        jittered[i].normalise();
    }
    const Vector3 from = at(show, 0);
    show.step(15, NIGHT);
    EXPECT_EQ(show.getTimer(), 15u) << "reset, then this step's time added";
    EXPECT_EQ(predictor.getState(), Random::shared().getState());
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR((show.getDirection(i) - jittered[i]).lengthSquared(), 0.0f, 1e-12f);
    EXPECT_NEAR(((at(show, 0) - from) - jittered[0] * 0.1f).lengthSquared(), 0.0f, 1e-10f);
}

TEST_F(EffectTestTest, LightsOutsideTheBoundsTurnBack) {
    EffectTest show;
    // Right face x = 0.1, left face x = -0.25, top face y = 10 (where all three start).
    const BoundingBox bounds(-0.25f, 0.0f, -1.0f, 0.1f, 10.0f, 1.0f);
    show.setBounds(&bounds);
    const float expectedX[4][3] = {{1, 0, -1}, {1, 0, -1}, {-1, 0, -1}, {-1, 0, 1}};
    const float expectedY[4] = {1, -1, -1, -1};
    // Step 1: all inside or on a face. Step 2: red on the right face keeps going,
    // green above the top turns. Step 3: red beyond the right face turns, blue
    // at -0.2 is still inside. Step 4: blue beyond the left face turns.
    for (int step = 0; step < 4; ++step) {
        show.step(15, NIGHT);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(show.getDirection(i).x, expectedX[step][i]) << step << " light " << i;
        EXPECT_EQ(show.getDirection(1).y, expectedY[step]) << step;
    }
    EXPECT_NEAR(at(show, 0).x, 0.0f, 1e-6f);
}
