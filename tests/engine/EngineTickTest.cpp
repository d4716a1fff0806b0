#include <GL/glew.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "engine/InputState.h"
#include "scene/World.h"
#include "support/GLContext.h"

using namespace zel;

namespace {

// A root that records what the engine does to it.
struct RootLog {
    int inits = 0;
    int renders = 0;
    std::vector<std::uint32_t> updates;
    bool identityAtRender = true;
};

class RecordingRoot : public IRenderableObject {
public:
    explicit RecordingRoot(RootLog& log) : log_(log) {}
    bool init() override {
        ++log_.inits;
        return true;
    }
    void render() override {
        ++log_.renders;
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 16; ++i) {
            if (m[i] != ((i % 5 == 0) ? 1.0f : 0.0f)) log_.identityAtRender = false;
        }
    }
    void update(std::uint32_t elapsedMs) override { log_.updates.push_back(elapsedMs); }

private:
    RootLog& log_;
};

class EngineTickTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        driver = std::make_unique<FrameDriver>(5000);
        driver->initGL();
        driver->setRoot(std::make_unique<RecordingRoot>(log));
    }
    void TearDown() override {
        driver.reset();
        zeltest::GLTest::TearDown();
    }

    RootLog log;
    std::unique_ptr<FrameDriver> driver;
};

} // namespace

TEST_F(EngineTickTest, BeforeStartFramesOnlyWarpThePointer) {
    CoreEngine& engine = CoreEngine::instance();
    EXPECT_FALSE(engine.isRunning());
    driver->setPointer(10, 20);
    for (int i = 0; i < 3; ++i) driver->frame(15);
    EXPECT_EQ(log.renders, 0);
    EXPECT_TRUE(log.updates.empty());
    EXPECT_EQ(engine.getFrameCount(), 0u);
    EXPECT_EQ(driver->getTickCount(), 3);
    EXPECT_EQ(driver->getWarpCount(), 3);
    EXPECT_EQ(driver->getLastWarpX(), 400);
    EXPECT_EQ(driver->getLastWarpY(), 300);
}

TEST_F(EngineTickTest, TicksRunOnlyWhenFifteenMillisecondsHavePassed) {
    driver->start();
    driver->start();
    EXPECT_EQ(log.inits, 1);

    EXPECT_TRUE(driver->frame(15));
    ASSERT_EQ(log.updates, std::vector<std::uint32_t>{15});
    EXPECT_TRUE(log.identityAtRender);

    // Two frames 10 ms apart: the first is too early, the second ticks with 20.
    EXPECT_FALSE(driver->frame(10));
    EXPECT_TRUE(driver->frame(10));
    EXPECT_EQ(log.updates.back(), 20u);

    // Frames without time passing never tick.
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(driver->frame(0));
    EXPECT_FALSE(driver->frame(14));
    EXPECT_TRUE(driver->frame(1));
    EXPECT_EQ(log.updates.back(), 15u);

    // A 200 ms frame gives one tick of 200, not thirteen catch-up ticks.
    const std::size_t before = log.updates.size();
    EXPECT_TRUE(driver->frame(200));
    EXPECT_EQ(log.updates.size(), before + 1);
    EXPECT_EQ(log.updates.back(), 200u);
    EXPECT_FALSE(driver->frame(0));
    EXPECT_EQ(log.renders, 12);
}

TEST_F(EngineTickTest, FramesPerSecondAfterTheFirstSecondOfTicks) {
    CoreEngine& engine = CoreEngine::instance();
    driver->start();
    // Tick k sees fpsTimer = 15 (k - 1): it first reaches 1000 at tick 68.
    for (int tick = 1; tick <= 67; ++tick) {
        driver->frame(15);
        ASSERT_EQ(engine.getFps(), 0u) << "tick " << tick;
    }
    // Extra frames between ticks count too.
    driver->frame(0);
    driver->frame(0);
    driver->frame(15);
    EXPECT_EQ(engine.getFps(), 70u);
    EXPECT_EQ(engine.getFrameCount(), 0u);
    EXPECT_EQ(engine.getFpsTimer(), 15u);
}

TEST_F(EngineTickTest, PointerIsWarpedToTheViewportCentre) {
    CoreEngine& engine = CoreEngine::instance();
    driver->start();
    driver->frame(15);
    EXPECT_EQ(driver->getLastWarpX(), 400);
    EXPECT_EQ(driver->getLastWarpY(), 300);

    engine.setViewport(1024, 768);
    engine.setupProjection();
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 1024.0f / 768.0f, 1e-5f);
    EXPECT_FALSE(driver->frame(5));
    EXPECT_EQ(driver->getLastWarpX(), 400);
    driver->frame(15);
    EXPECT_EQ(driver->getLastWarpX(), 512);
    EXPECT_EQ(driver->getLastWarpY(), 384);

    // Odd sizes: integer halves.
    engine.setViewport(801, 601);
    driver->frame(15);
    EXPECT_EQ(driver->getLastWarpX(), 400);
    EXPECT_EQ(driver->getLastWarpY(), 300);
    engine.setViewport(800, 600);
    engine.setupProjection();
}

TEST_F(EngineTickTest, FrameClearsAndLeavesTheImageInTheBackBuffer) {
    driver->start();
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    driver->frame(0);
    const zeltest::Pixel p = zeltest::readPixel(10, 10);
    EXPECT_EQ(p.g, 0);
}

TEST(EngineInitTest, InitGLSetsViewportAndState) {
    std::string error;
    ASSERT_TRUE(zeltest::ensureGLContext(&error)) << error;
    FrameDriver driver;
    CoreEngine& engine = CoreEngine::instance();
    glEnable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    driver.initGL();
    EXPECT_EQ(engine.getWidth(), 800);
    EXPECT_EQ(engine.getHeight(), 600);
    EXPECT_EQ(engine.getApplication(), nullptr);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_SMOOTH));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective(45, 4/3, 0.1, 1500): f = 1 / tan(22.5 degrees).
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    EXPECT_NEAR(projection[5], f, 1e-4f);
    EXPECT_NEAR(projection[0], f * 600.0f / 800.0f, 1e-4f);
    EXPECT_NEAR(projection[10], -(1500.0f + 0.1f) / (1500.0f - 0.1f), 1e-5f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Held keys and the mouse offset reach the world's camera once per tick.
class InputTest : public EngineTickTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        driver = std::make_unique<FrameDriver>(5000);
        driver->initGL();
        world = &driver->createWorld();
        driver->start();
    }
    World* world = nullptr;
};

TEST_F(InputTest, HeldKeysThrustTheCameraEveryTick) {
    InputState& input = InputState::instance();
    Camera& camera = *world->getCamera();
    input.keyDown(SDLK_w);
    EXPECT_TRUE(input.isHeld(InputState::FORWARD));
    // 0.9^100 of the initial gap is left: well within the tolerance.
    driver->runTicks(100);
    EXPECT_NEAR(camera.getVelocity().z, 13.5f, 1e-3f);
    input.keyUp(SDLK_w);
    EXPECT_FALSE(input.isHeld(InputState::FORWARD));
    const float speed = camera.getVelocity().z;
    driver->frame(15);
    EXPECT_NEAR(camera.getVelocity().z, speed * 0.9f, 1e-4f);

    // Frames between ticks add no thrust.
    Camera& c = *world->getCamera();
    input.keyDown(SDLK_x);
    driver->frame(0);
    driver->frame(0);
    EXPECT_EQ(c.getForce(), Vector3());
    driver->frame(15);
    EXPECT_GT(c.getVelocity().y, 0.0f);
    input.keyUp(SDLK_x);

    // Arrow keys turn one keyboard step per tick.
    input.keyDown(SDLK_LEFT);
    driver->runTicks(10);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    input.keyDown(SDLK_RIGHT);
    driver->runTicks(10);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    input.keyUp(SDLK_LEFT);
    input.keyUp(SDLK_RIGHT);
}

TEST_F(InputTest, KeysSetOnlyTheirOwnBinding) {
    InputState& input = InputState::instance();
    input.keyDown(SDLK_c);
    for (int b = 0; b < InputState::BINDING_COUNT; ++b) {
        EXPECT_EQ(input.isHeld(static_cast<InputState::Binding>(b)), b == InputState::DOWN) << "binding " << b;
    }
    input.keyDown(SDLK_q); // not bound
    input.keyUp(SDLK_c);
    for (int b = 0; b < InputState::BINDING_COUNT; ++b) {
        EXPECT_FALSE(input.isHeld(static_cast<InputState::Binding>(b))) << "binding " << b;
    }
    // Escape without an application stops nothing and holds nothing.
    input.keyDown(SDLK_ESCAPE);
    for (int b = 0; b < InputState::BINDING_COUNT; ++b) {
        EXPECT_FALSE(input.isHeld(static_cast<InputState::Binding>(b)));
    }
}

TEST_F(InputTest, MouseOffsetFromTheCentreTurnsAndTilts) {
    Camera& camera = *world->getCamera();
    // At the centre nothing turns.
    driver->runTicks(3);
    EXPECT_EQ(camera.getYaw(), 0.0f);
    EXPECT_EQ(camera.getPitch(), 0.0f);

    // Ten pixels left and fifty up: turn left 1 degree, look up 5 degrees.
    driver->setPointer(390, 250);
    driver->frame(15);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    EXPECT_NEAR(camera.getPitch(), 5.0f, 1e-4f);
    // The warp put the pointer back at the centre: the next tick turns nothing.
    EXPECT_EQ(driver->getPointerX(), 400);
    driver->frame(15);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);

    driver->setPointer(420, 330);
    driver->frame(15);
    EXPECT_NEAR(camera.getYaw(), -1.0f, 1e-4f);
    EXPECT_NEAR(camera.getPitch(), 2.0f, 1e-4f);

    // Frames before the tick is due do not read the pointer.
    driver->setPointer(0, 300);
    driver->frame(1);
    EXPECT_NEAR(camera.getYaw(), -1.0f, 1e-4f);
    driver->frame(14);
    EXPECT_NEAR(camera.getYaw(), 39.0f, 1e-3f);
}

TEST_F(InputTest, NothingIsIssuedWithoutAWorld) {
    driver->setRoot(nullptr);
    InputState::instance().keyDown(SDLK_w);
    driver->setPointer(0, 0);
    EXPECT_TRUE(driver->frame(15));
    InputState::instance().mouseMoved(0, 0);
    InputState::instance().applyHeldKeys();
    EXPECT_EQ(World::current(), nullptr);
}
