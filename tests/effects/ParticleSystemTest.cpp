#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "effects/ParticleSystem.h"
#include "effects/Random.h"
#include "support/GLContext.h"

using zel::Particle;
using zel::ParticleSystem;
using zel::Random;
using zel::Vector3;
using zeltest::isBlack;
using zeltest::isWhite;
using zeltest::readPixel;

namespace {

// Direction (1, 2, 2) normalises to (1/3, 2/3, 2/3).
ParticleSystem makeSystem() {
    return ParticleSystem("waterparticle_0.tga", Vector3(5.0f, 6.0f, 7.0f), Vector3(1.0f, 2.0f, 2.0f));
}

void placeAll(ParticleSystem& system, const Vector3& position, const Vector3& velocity, float life) {
    for (Particle& p : system.getParticles()) {
        p.position = position;
        p.velocity = velocity;
        p.life = life;
    }
}

using ParticleSystemTest = zeltest::GLTest;

} // namespace

TEST(Random, DocumentedSequenceRangeAndUnitMapping) {
    // The first draws of next = next * 1103515245 + 12345, (next / 65536) % 32768 from state 1.
    Random generator;
    for (int expected : {16838, 5758, 10113, 17515, 31051})
        EXPECT_EQ(generator.next(), expected);
    for (auto [r, unit] :
         {std::pair{0, 0.0f}, {Random::MAX, 1.0f}, {16383, 16383.0f / 32767.0f}, {-5, 0.0f}, {40000, 1.0f}})
        EXPECT_FLOAT_EQ(Random::unit(r), unit) << r;
}

TEST_F(ParticleSystemTest, BirthVelocityFactorsFollowTheSpread) {
    ParticleSystem system = makeSystem();
    const float direction[3] = {1.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f};
    const struct { int spread, lowest, highest; } cases[] = {{10, -5, 4}, {100, -50, 49}, {1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("spread " + std::to_string(c.spread));
        system.setSpread(c.spread);
        int lowest = 1000, highest = -1000;
        for (Particle& p : system.getParticles()) {
            system.respawn(p);
            const float v[3] = {p.velocity.x, p.velocity.y, p.velocity.z};
            for (int axis = 0; axis < 3; ++axis) {
                const float factor = v[axis] / direction[axis];
                ASSERT_NEAR(factor, std::round(factor), 1e-4f);
                lowest = std::min(lowest, static_cast<int>(std::round(factor)));
                highest = std::max(highest, static_cast<int>(std::round(factor)));
            }
        }
        EXPECT_TRUE(lowest == c.lowest && highest == c.highest) << lowest << " to " << highest;
    }
    system.setSpread(0);
    EXPECT_EQ(system.getSpread(), 1) << "a spread below 1 would divide by zero";
}

TEST_F(ParticleSystemTest, UpdateMovesAcceleratesAgesAndRebirthsAtLifeExactlyZero) {
    ParticleSystem system = makeSystem();
    system.setActive(true);
    system.setTimeStep(0.5f);
    system.setDecay(0.25f);
    // Once per call, not per millisecond.
    for (std::uint32_t elapsed : {15u, 5000u}) {
        placeAll(system, Vector3(1.0f, 2.0f, 3.0f), Vector3(2.0f, 4.0f, -2.0f), 1.5f);
        system.update(elapsed);
        const Particle& p = system.getParticles()[0];
        EXPECT_EQ(p.position, Vector3(2.0f, 4.0f, 2.0f)) << elapsed;
        EXPECT_EQ(p.velocity, Vector3(2.0f, 3.02f, -2.0f)) << elapsed;
        EXPECT_EQ(p.life, 1.25f) << elapsed;
    }

    placeAll(system, Vector3(100.0f, 100.0f, 100.0f), Vector3(), 1.0f);
    std::vector<Particle>& pool = system.getParticles();
    pool[3].life = 0.25f; // reaches exactly 0
    pool[7].life = 0.5f;
    // One birth draws four numbers from the shared generator: three velocity factors, then life.
    Random predictor = Random::shared();
    for (int draw = 0; draw < 3; ++draw)
        predictor.next();
    const float life = 2.0f * Random::unit(predictor.next());
    system.update(15);
    EXPECT_EQ(pool[3].position, system.getEmitter());
    EXPECT_EQ(pool[3].life, life);
    EXPECT_EQ(predictor.getState(), Random::shared().getState()) << "only particle 3 was reborn";
    EXPECT_EQ(pool[7].life, 0.25f);
}

TEST_F(ParticleSystemTest, BurstModeRebirthsNothingTurnsItselfOffAndThenMovesAndDrawsNothing) {
    ParticleSystem system = makeSystem();
    system.setActive(true);
    system.setMode(ParticleSystem::MODE_BURST);
    system.setDecay(0.5f);
    system.setTexture(nullptr);
    placeAll(system, Vector3(400.0f, 300.0f, 0.0f), Vector3(1.0f, 0.0f, 0.0f), 0.5f);
    system.getParticles()[10].life = 1.0f;
    const Random before = Random::shared();
    system.update(15);
    EXPECT_TRUE(system.isActive()) << "one particle still has life 0.5";
    system.update(15);
    EXPECT_FALSE(system.isActive()) << "life exactly 0 counts as dead";
    EXPECT_EQ(before.getState(), Random::shared().getState()) << "nothing is reborn";

    // Off for good: updates move nothing and nothing is drawn.
    placeAll(system, Vector3(400.0f, 300.0f, 0.0f), Vector3(1.0f, 1.0f, 1.0f), 0.05f);
    zeltest::pixelView();
    system.update(15);
    system.render();
    EXPECT_EQ(system.getParticles()[0].position, Vector3(400.0f, 300.0f, 0.0f));
    EXPECT_TRUE(isBlack(readPixel(400, 300)));
}

TEST(ParticleFadeZone, AlphaAndKillDecisions) {
    const Vector3 a(-10.0f, 2.0f, 20.0f), b(-10.0f, 1.0f, 20.0f);
    const struct {
        Vector3 p, a, b;
        float alpha;
        bool kill;
        const char* what;
    } cases[] = {
        {Vector3(-10.0f, 2.5f, 20.0f), a, b, 1.0f, false, "above fadeA, out of fadeB's reach"},
        {Vector3(-10.0f, 1.5f, 20.0f), a, b, 0.25f, false, "halfway"},
        {b, a, b, 0.0f, false, "at fadeB, within reach of both"},
        {Vector3(-10.0f, 0.0f, 20.0f), a, b, 0.0f, true, "one unit beyond fadeB"},
        {Vector3(-10.0f, -0.5f, 20.0f), a, b, 1.0f, false, "far below"},
        {a, a, a, 0.0f, false, "fadeA = fadeB: at the point, 0 divided by 1"},
    };
    for (const auto& c : cases) {
        bool kill = !c.kill;
        EXPECT_FLOAT_EQ(ParticleSystem::fadeAlpha(c.p, c.a, c.b, &kill), c.alpha) << c.what;
        EXPECT_EQ(kill, c.kill) << c.what;
    }
}

TEST_F(ParticleSystemTest, DrawsPointSpritesBillboardsOrFlatSquaresDimmedInTheFadeZone) {
    ParticleSystem system = makeSystem();
    system.setTexture(nullptr);
    system.setActive(true);
    // How far right of the particle the white square reaches, in pixels.
    auto halfWidth = [&]() {
        placeAll(system, Vector3(400.0f, 300.0f, 0.0f), Vector3(), 1.0f);
        zeltest::pixelView();
        glDisable(GL_TEXTURE_2D);
        system.render();
        int reach = 0;
        while (reach < 100 && isWhite(readPixel(400 + reach, 300)))
            ++reach;
        return reach;
    };
    EXPECT_EQ(halfWidth(), 16) << "point sprites of 32 pixels";
    system.setPointSprites(false);
    system.setPointSize(10.0f);
    EXPECT_EQ(halfWidth(), 10) << "camera-facing quads of half-size pointSize";
    system.setBillboard(false);
    EXPECT_EQ(halfWidth(), 5) << "flat squares of edge pointSize";
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_ALPHA_TEST));

    // The fade zone dims particles inside it (alpha 2500 / 10000 halfway) and
    // kills those beyond fadeB.
    system.setPointSize(4.0f);
    system.setFadeZone(Vector3(400.0f, 400.0f, 0.0f), Vector3(400.0f, 300.0f, 0.0f));
    system.setFadeEnabled(true);
    placeAll(system, Vector3(100.0f, 100.0f, 0.0f), Vector3(), 1.0f);
    std::vector<Particle>& pool = system.getParticles();
    pool[0].position = Vector3(400.0f, 350.0f, 0.0f);
    pool[1].position = Vector3(400.0f, 250.0f, 0.0f);
    zeltest::pixelView();
    system.render();
    EXPECT_NEAR(readPixel(400, 350).r, 64, 2);
    EXPECT_TRUE(isBlack(readPixel(400, 250)));
    EXPECT_TRUE(isWhite(readPixel(100, 100)));
    EXPECT_EQ(pool[1].life, 0.0f);
    system.setFadeEnabled(false);

    // A textured point sprite carries its image: bright middle, transparent rim.
    system.setTexture(makeSystem().getTexture());
    system.setPointSprites(true);
    system.setPointSize(64.0f);
    halfWidth();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_GT(readPixel(400, 300).r, 150);
    EXPECT_TRUE(isBlack(readPixel(431, 331)));
    glDisable(GL_TEXTURE_2D);
}
