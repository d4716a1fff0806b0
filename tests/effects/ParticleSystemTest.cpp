#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/ParticleSystem.h"
#include "effects/Random.h"
#include "effects/EffectsTestSupport.h"
#include "resources/Texture.h"

using effectstest::isBlack;
using effectstest::isWhite;
using effectstest::pixelView;
using zel::Particle;
using zel::ParticleSystem;
using zel::Random;
using zel::Vector3;
using zeltest::readPixel;

namespace {

class ParticleSystemTest : public zeltest::GLTest {
protected:
    // A system whose direction (1, 2, 2) normalises to exactly (1/3, 2/3, 2/3).
    static ParticleSystem makeSystem() {
        return ParticleSystem("waterparticle_0.tga", Vector3(5.0f, 6.0f, 7.0f), Vector3(1.0f, 2.0f, 2.0f));
    }
};

// The birth a system with the given spread draws next, predicted from a copy
// of the shared generator.
struct Birth {
    int factor[3];
    float life;
};

Birth predictBirth(Random& generator, int spread) {
    Birth birth{};
    for (int& f : birth.factor) f = (generator.next() % spread) - spread / 2;
    birth.life = 2.0f * Random::unit(generator.next());
    return birth;
}

void expectBirthsInRange(ParticleSystem& system, int spread, int lowest, int highest) {
    system.setSpread(spread);
    const float direction[3] = {system.getDirection().x, system.getDirection().y, system.getDirection().z};
    std::vector<bool> seen(static_cast<std::size_t>(highest - lowest + 1), false);
    for (Particle& p : system.getParticles()) {
        Random predictor = Random::shared();
        const Birth expected = predictBirth(predictor, spread);
        system.respawn(p);
        const float velocity[3] = {p.velocity.x, p.velocity.y, p.velocity.z};
        for (int axis = 0; axis < 3; ++axis) {
            ASSERT_GE(expected.factor[axis], lowest);
            ASSERT_LE(expected.factor[axis], highest);
            ASSERT_FLOAT_EQ(velocity[axis], static_cast<float>(expected.factor[axis]) * direction[axis])
                << "spread " << spread << " axis " << axis;
            seen[static_cast<std::size_t>(expected.factor[axis] - lowest)] = true;
        }
        ASSERT_FLOAT_EQ(p.life, expected.life);
        ASSERT_EQ(p.position, system.getEmitter());
    }
    // A thousand births with three draws each reach every factor of the range.
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(seen[i]) << "factor " << lowest + static_cast<int>(i);
}

} // namespace

TEST_F(ParticleSystemTest, ConstructionSetsDefaultsAndBirthsEveryParticle) {
    const Random before = Random::shared();
    ParticleSystem system = makeSystem();
    EXPECT_FALSE(system.isActive());
    EXPECT_EQ(system.getParticles().size(), 1000u);
    EXPECT_EQ(system.getSpread(), 10);
    EXPECT_FLOAT_EQ(system.getTimeStep(), 0.1f);
    EXPECT_FLOAT_EQ(system.getDecay(), 0.1f);
    EXPECT_FLOAT_EQ(system.getPointSize(), 32.0f);
    EXPECT_EQ(system.getGravity(), Vector3(0.0f, -0.98f, 0.0f));
    EXPECT_TRUE(system.getPointSprites());
    EXPECT_TRUE(system.getBillboard());
    EXPECT_EQ(system.getMode(), ParticleSystem::MODE_CONTINUOUS);
    EXPECT_FALSE(system.getFadeEnabled());
    EXPECT_NEAR(system.getDirection().x, 1.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(system.getDirection().y, 2.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(system.getDirection().z, 2.0f / 3.0f, 1e-6f);

    GLfloat range[2];
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    EXPECT_FLOAT_EQ(system.getMaxPointSize(), range[1]);
    ASSERT_NE(system.getTexture(), nullptr);
    EXPECT_EQ(system.getTexture()->getName(), "waterparticle_0.tga");

    // The pool was born with the default spread of 10, in pool order, four draws each.
    Random predictor = before;
    for (const Particle& p : system.getParticles()) {
        const Birth expected = predictBirth(predictor, 10);
        ASSERT_FLOAT_EQ(p.velocity.y, static_cast<float>(expected.factor[1]) * system.getDirection().y);
        ASSERT_FLOAT_EQ(p.life, expected.life);
    }
    EXPECT_EQ(predictor.getState(), Random::shared().getState());
}

TEST_F(ParticleSystemTest, BirthVelocitiesFollowTheSpread) {
    ParticleSystem system = makeSystem();
    {
        SCOPED_TRACE("spread 10: factors -5 to 4");
        expectBirthsInRange(system, 10, -5, 4);
    }
    {
        SCOPED_TRACE("spread 100: factors -50 to 49");
        expectBirthsInRange(system, 100, -50, 49);
    }
    {
        SCOPED_TRACE("spread 1: every velocity is 0");
        expectBirthsInRange(system, 1, 0, 0);
        for (const Particle& p : system.getParticles()) ASSERT_EQ(p.velocity.lengthSquared(), 0.0f);
    }
    {
        SCOPED_TRACE("spread below 1 is raised to 1 instead of dividing by zero");
        system.setSpread(0);
        EXPECT_EQ(system.getSpread(), 1);
        system.setSpread(-7);
        EXPECT_EQ(system.getSpread(), 1);
    }
}

TEST_F(ParticleSystemTest, LifeLiesBetweenZeroAndTwo) {
    ParticleSystem system = makeSystem();
    float lowest = 2.0f, highest = 0.0f;
    for (int round = 0; round < 20; ++round) {
        system.respawnAll();
        for (const Particle& p : system.getParticles()) {
            ASSERT_GE(p.life, 0.0f);
            ASSERT_LE(p.life, 2.0f);
            lowest = std::min(lowest, p.life);
            highest = std::max(highest, p.life);
        }
    }
    EXPECT_LT(lowest, 0.01f);
    EXPECT_GT(highest, 1.99f);
}

TEST_F(ParticleSystemTest, SpreadOneParticlesOnlyFallUnderGravity) {
    ParticleSystem system = makeSystem();
    system.setSpread(1);
    system.setDecay(0.0f);
    system.respawnAll();
    system.setActive(true);
    system.update(15);
    Particle& p = system.getParticles()[0];
    EXPECT_EQ(p.position, Vector3(5.0f, 6.0f, 7.0f)); // moved by the zero velocity first
    EXPECT_EQ(p.velocity, Vector3(0.0f, -0.98f, 0.0f));
    system.update(15);
    EXPECT_FLOAT_EQ(p.position.y, 6.0f - 0.098f);
    EXPECT_FLOAT_EQ(p.velocity.y, -1.96f);
    EXPECT_FLOAT_EQ(p.position.x, 5.0f);
    EXPECT_FLOAT_EQ(p.position.z, 7.0f);
}

TEST_F(ParticleSystemTest, UpdateMovesThenAcceleratesThenAgesIgnoringElapsedTime) {
    ParticleSystem system = makeSystem();
    system.setActive(true);
    system.setTimeStep(0.5f);
    system.setDecay(0.25f);
    for (Particle& p : system.getParticles()) {
        p.position = Vector3(1.0f, 2.0f, 3.0f);
        p.velocity = Vector3(2.0f, 4.0f, -2.0f);
        p.life = 1.5f;
    }
    system.update(15);
    std::vector<Particle> afterShortTick = system.getParticles();
    for (Particle& p : system.getParticles()) {
        p.position = Vector3(1.0f, 2.0f, 3.0f);
        p.velocity = Vector3(2.0f, 4.0f, -2.0f);
        p.life = 1.5f;
    }
    system.update(5000);
    for (std::size_t i = 0; i < afterShortTick.size(); ++i) {
        const Particle& p = system.getParticles()[i];
        ASSERT_EQ(p.position, Vector3(2.0f, 4.0f, 2.0f));
        ASSERT_EQ(p.velocity, Vector3(2.0f, 3.02f, -2.0f));
        ASSERT_FLOAT_EQ(p.life, 1.25f);
        ASSERT_EQ(p.position, afterShortTick[i].position);
    }
}

TEST_F(ParticleSystemTest, ContinuousModeRebirthsAtLifeExactlyZero) {
    ParticleSystem system = makeSystem();
    system.setActive(true);
    system.setDecay(0.25f);
    std::vector<Particle>& pool = system.getParticles();
    for (Particle& p : pool) {
        p.position = Vector3(100.0f, 100.0f, 100.0f);
        p.velocity = Vector3(0.0f, 0.0f, 0.0f);
        p.life = 1.0f;
    }
    pool[3].life = 0.25f; // reaches exactly 0
    pool[7].life = 0.5f;  // reaches 0.25 and lives on

    // Only particle 3 is reborn, in pool order, with the next four draws.
    Random predictor = Random::shared();
    const Birth expected = predictBirth(predictor, system.getSpread());
    system.update(15);
    EXPECT_EQ(pool[3].position, system.getEmitter());
    EXPECT_FLOAT_EQ(pool[3].life, expected.life);
    EXPECT_FLOAT_EQ(pool[3].velocity.x, static_cast<float>(expected.factor[0]) * system.getDirection().x);
    EXPECT_EQ(predictor.getState(), Random::shared().getState());
    EXPECT_FLOAT_EQ(pool[7].life, 0.25f);
    EXPECT_NE(pool[7].position, system.getEmitter());
    EXPECT_TRUE(system.isActive());
}

TEST_F(ParticleSystemTest, BurstModeRebirthsNothingAndTurnsItselfOff) {
    ParticleSystem system = makeSystem();
    system.setActive(true);
    system.setMode(ParticleSystem::MODE_BURST);
    system.setDecay(0.5f);
    std::vector<Particle>& pool = system.getParticles();
    for (Particle& p : pool) {
        p.position = Vector3(100.0f, 100.0f, 100.0f);
        p.velocity = Vector3(1.0f, 0.0f, 0.0f);
        p.life = 0.5f;
    }
    pool[10].life = 1.0f;

    const Random before = Random::shared();
    system.update(15);
    EXPECT_TRUE(system.isActive()) << "one particle still has life 0.5";
    EXPECT_FLOAT_EQ(pool[0].life, 0.0f);
    EXPECT_NE(pool[0].position, system.getEmitter());

    system.update(15);
    EXPECT_FLOAT_EQ(pool[10].life, 0.0f);
    EXPECT_FALSE(system.isActive()) << "life exactly 0 counts as dead";
    EXPECT_EQ(before.getState(), Random::shared().getState()) << "nothing is reborn";

    // Stopped for good: further updates change nothing.
    const Vector3 where = pool[0].position;
    system.update(15);
    EXPECT_EQ(pool[0].position, where);
    EXPECT_FALSE(system.isActive());
}

TEST(ParticleFadeZone, AlphaAndKillDecisions) {
    const Vector3 a(-10.0f, 2.0f, 20.0f);
    const Vector3 b(-10.0f, 1.0f, 20.0f);
    bool kill = true;
    {
        SCOPED_TRACE("above fadeA, out of reach of fadeB: opaque");
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, 2.5f, 20.0f), a, b, &kill), 1.0f);
        EXPECT_FALSE(kill);
    }
    {
        SCOPED_TRACE("between the points: fades as it nears fadeB");
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, 1.5f, 20.0f), a, b, &kill), 0.25f);
        EXPECT_FALSE(kill);
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, 1.9f, 20.0f), a, b, &kill), 0.81f);
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(a, a, b, &kill), 1.0f);
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(b, a, b, &kill), 0.0f);
        EXPECT_FALSE(kill) << "at fadeB itself the particle is within reach of both";
    }
    {
        SCOPED_TRACE("beyond fadeB, within its reach: killed");
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, 0.5f, 20.0f), a, b, &kill), 0.0f);
        EXPECT_TRUE(kill);
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, 0.0f, 20.0f), a, b, &kill), 0.0f);
        EXPECT_TRUE(kill) << "exactly one unit below fadeB still counts";
    }
    {
        SCOPED_TRACE("far below fadeB: out of reach, opaque");
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, -0.5f, 20.0f), a, b, &kill), 1.0f);
        EXPECT_FALSE(kill);
    }
    {
        SCOPED_TRACE("fadeA equal to fadeB: only the point itself is in the zone");
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(a, a, a, &kill), 0.0f);
        EXPECT_FALSE(kill);
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(Vector3(-10.0f, 2.001f, 20.0f), a, a, &kill), 1.0f);
        EXPECT_FALSE(kill);
    }
}

TEST_F(ParticleSystemTest, InactiveSystemChangesAndDrawsNothing) {
    ParticleSystem system = makeSystem();
    system.setTexture(nullptr);
    system.setFadeEnabled(true);
    system.setFadeZone(Vector3(400.0f, 300.0f, 0.0f), Vector3(400.0f, 300.0f, 0.0f));
    for (Particle& p : system.getParticles()) p.position = Vector3(400.0f, 300.0f, 0.0f);
    const std::vector<Particle> before = system.getParticles();
    const Random generator = Random::shared();

    pixelView();
    system.update(15);
    system.render();
    for (std::size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(system.getParticles()[i].position, before[i].position);
        ASSERT_EQ(system.getParticles()[i].velocity, before[i].velocity);
        ASSERT_EQ(system.getParticles()[i].life, before[i].life) << "the fade zone kills nothing while inactive";
    }
    EXPECT_EQ(generator.getState(), Random::shared().getState());
    EXPECT_TRUE(isBlack(readPixel(400, 300)));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

namespace {

// Draws the whole pool as one white particle at pixel (400, 300) and reports
// how far the drawn square reaches to the right of the centre.
int drawnHalfWidth(ParticleSystem& system) {
    for (Particle& p : system.getParticles()) {
        p.position = Vector3(400.0f, 300.0f, 0.0f);
        p.life = 1.0f;
    }
    system.setTexture(nullptr);
    system.setActive(true);
    pixelView();
    system.render();
    int reach = 0;
    while (reach < 100 && isWhite(readPixel(400 + reach, 300))) ++reach;
    return reach;
}

} // namespace

TEST_F(ParticleSystemTest, DrawsPointSpritesBillboardsOrFlatSquares) {
    ParticleSystem system = makeSystem();
    {
        SCOPED_TRACE("point sprites of 32 pixels");
        EXPECT_EQ(drawnHalfWidth(system), 16);
        EXPECT_FALSE(glIsEnabled(GL_POINT_SPRITE));
    }
    {
        SCOPED_TRACE("billboard of half-size pointSize, facing the unrotated view");
        system.setPointSprites(false);
        system.setPointSize(10.0f);
        EXPECT_EQ(drawnHalfWidth(system), 10);
    }
    {
        SCOPED_TRACE("flat square of edge pointSize");
        system.setBillboard(false);
        EXPECT_EQ(drawnHalfWidth(system), 5);
    }
    {
        SCOPED_TRACE("state after drawing");
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
        float colour[4];
        effectstest::currentColor(colour);
        EXPECT_EQ(colour[0], 1.0f);
        EXPECT_EQ(colour[3], 1.0f);
    }
}

TEST_F(ParticleSystemTest, TexturedPointSpritesCarryTheirImage) {
    ParticleSystem system = makeSystem();
    system.setActive(true);
    for (Particle& p : system.getParticles()) {
        p.position = Vector3(400.0f, 300.0f, 0.0f);
        p.life = 1.0f;
    }
    pixelView();
    system.render();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing stays on";
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), system.getTexture()->getId());
    // The particle image is brightest in its middle and lets the background through at its rim.
    const zeltest::Pixel centre = readPixel(400, 300);
    EXPECT_GT(centre.r + centre.g + centre.b, 0);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(ParticleSystemTest, FadeZoneDimsParticlesAndKillsThoseBeyondIt) {
    ParticleSystem system = makeSystem();
    system.setTexture(nullptr);
    system.setPointSprites(false);
    system.setBillboard(false);
    system.setPointSize(4.0f);
    // fadeA 100 pixels above fadeB: L^2 = 10000.
    system.setFadeZone(Vector3(400.0f, 400.0f, 0.0f), Vector3(400.0f, 300.0f, 0.0f));
    system.setFadeEnabled(true);
    system.setActive(true);
    std::vector<Particle>& pool = system.getParticles();
    for (Particle& p : pool) {
        p.position = Vector3(100.0f, 100.0f, 0.0f); // far from both: opaque
        p.life = 1.0f;
    }
    pool[0].position = Vector3(400.0f, 350.0f, 0.0f); // halfway: alpha 2500 / 10000
    pool[1].position = Vector3(400.0f, 250.0f, 0.0f); // beyond fadeB: killed, invisible

    pixelView();
    system.render();
    EXPECT_NEAR(readPixel(400, 350).r, 64, 2);
    EXPECT_TRUE(isBlack(readPixel(400, 250)));
    EXPECT_TRUE(isWhite(readPixel(100, 100)));
    EXPECT_FLOAT_EQ(pool[1].life, 0.0f);
    EXPECT_FLOAT_EQ(pool[0].life, 1.0f);

    // The next continuous update gives the killed particle a new birth.
    system.setDecay(0.0f);
    system.update(15);
    EXPECT_EQ(pool[1].position, system.getEmitter());
    EXPECT_GE(pool[1].life, 0.0f);
}
