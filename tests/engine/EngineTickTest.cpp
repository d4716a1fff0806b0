// The engine's frame and tick on a simulated clock: the 15 ms tick and its frame rate, the pointer warp,
// held keys and the mouse reaching the camera, and the camera's own commands. (The GL state initGL
// sets is seen in every rendered frame the world and demo tests pin.)
#include <GL/glew.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "engine/InputState.h"
#include "scene/World.h"
#include "support/GLContext.h"

using namespace zel;
using zeltest::expectNear;

namespace {

// A root that records what the engine does to it.
struct RootLog {
    int inits = 0;
    int renders = 0;
    std::vector<std::uint32_t> updates;
};

class RecordingRoot : public IRenderableObject {
public:
    explicit RecordingRoot(RootLog& log) : log_(log) {}
    bool init() override { return ++log_.inits > 0; }
    void render() override { ++log_.renders; }
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

TEST_F(EngineTickTest, TicksRunOnlyWhenFifteenMillisecondsHavePassedAndOnlyAfterStart) {
    // Before the start frames only swap and warp the pointer to the centre of the viewport, in whole
    // pixels.
    CoreEngine::instance().setViewport(1025, 768);
    driver->setPointer(10, 20);
    for (int i = 0; i < 3; ++i)
        driver->frame(15);
    EXPECT_EQ(log.renders, 0);
    EXPECT_TRUE(log.updates.empty());
    EXPECT_EQ(CoreEngine::instance().getFrameCount(), 0u);
    EXPECT_EQ(driver->getWarpCount(), 3);
    EXPECT_TRUE(driver->getLastWarpX() == 512 && driver->getLastWarpY() == 384);
    CoreEngine::instance().setViewport(800, 600);

    driver->start();
    driver->start();
    EXPECT_EQ(log.inits, 1);
    // Two frames 10 ms apart: the first is too early, the second ticks with 20. A 200 ms frame
    // gives one tick of 200, not thirteen catch-up ticks.
    const std::uint32_t ms[] = {15, 10, 10, 0, 14, 1, 200, 0};
    const bool ticks[] = {true, false, true, false, false, true, true, false};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(driver->frame(ms[i]), ticks[i]) << i;
    EXPECT_EQ(log.updates, (std::vector<std::uint32_t>{15, 20, 15, 200}));
    EXPECT_EQ(log.renders, 8);
}

TEST_F(EngineTickTest, FramesPerSecondAfterTheFirstSecondOfTicks) {
    CoreEngine& engine = CoreEngine::instance();
    driver->start();
    // Tick k sees fpsTimer = 15 (k - 1): it first reaches 1000 at tick 68.
    for (int tick = 1; tick <= 67; ++tick) {
        driver->frame(15);
        ASSERT_EQ(engine.getFps(), 0u) << "tick " << tick;
    }
    driver->frame(0); // frames between ticks count too
    driver->frame(15);
    EXPECT_EQ(engine.getFps(), 69u);
    EXPECT_EQ(engine.getFrameCount(), 0u);
    EXPECT_EQ(engine.getFpsTimer(), 15u);
}

// Held keys and the mouse offset reach the world's camera once per tick.
class InputTest : public EngineTickTest {
protected:
    void SetUp() override {
        EngineTickTest::SetUp();
        world = &driver->createWorld();
        driver->start();
    }
    World* world = nullptr;
};

TEST_F(InputTest, HeldKeysSendTheirCommandsOncePerTick) {
    InputState& input = InputState::instance();
    Camera& camera = *world->getCamera();
    // Forward thrust reaches the camera once per tick: 100 units for 15 ms, then a tenth off,
    // twice: (1.5 * 0.9 + 1.5) * 0.9.
    input.keyDown(SDLK_w);
    driver->runTicks(2);
    EXPECT_NEAR(camera.getVelocity().z, 2.565f, 1e-4f);
    input.keyUp(SDLK_w);

    // Arrow keys turn one keyboard step per tick; both together cancel.
    input.keyDown(SDLK_LEFT);
    driver->runTicks(10);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    input.keyDown(SDLK_RIGHT);
    driver->runTicks(10);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
}

TEST_F(InputTest, MouseOffsetFromTheCentreTurnsAndTilts) {
    Camera& camera = *world->getCamera();

    // Ten pixels left and fifty up: turn left 1 degree, look up 5 degrees.
    driver->setPointer(390, 250);
    driver->frame(15);
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    EXPECT_NEAR(camera.getPitch(), 5.0f, 1e-4f);
    driver->frame(15); // the warp re-centred the pointer
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);

    driver->setPointer(420, 330);
    driver->frame(1); // no tick: the pointer is not read
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    driver->frame(14);
    EXPECT_NEAR(camera.getYaw(), -1.0f, 1e-4f);
    EXPECT_NEAR(camera.getPitch(), 2.0f, 1e-4f);
}

TEST(CameraTest, MovementCommandsAddThrustAlongTheirAxes) {
    Camera camera;
    camera.command(0, Camera::STRAFE_LEFT);
    camera.command(0, Camera::STRAFE_RIGHT);
    expectNear(camera.getForce(), Vector3(0, 0, 0));
    camera.command(0, Camera::STRAFE_LEFT);
    camera.command(0, Camera::UP);
    expectNear(camera.getForce(), Vector3(100, 100, 0));
    camera.command(0, Camera::DOWN);
    camera.command(0, Camera::DOWN);
    expectNear(camera.getForce(), Vector3(100, -100, 0));

    // Backward at yaw 90 pushes against (1, 0, 0); the amount is ignored.
    Camera turned;
    turned.setYaw(90);
    turned.command(1234, Camera::BACKWARD);
    expectNear(turned.getForce(), Vector3(-100, 0, 0), 1e-3f);
    // One 1000 ms update with mass 1: v = F * dt, then 10 % damping.
    turned.update(1000);
    expectNear(turned.getPosition(), Vector3(-100, 10, 0), 1e-3f);
    expectNear(turned.getVelocity(), Vector3(-90, 0, 0), 1e-3f);
}

// Keyboard steps and mouse pixels reach the camera in the input tests above; here what they leave.
TEST(CameraTest, YawIsNotWrappedAndPitchedDirectionsKeepAHorizontalLengthOfOne) {
    Camera camera;
    camera.command(4500, Camera::TURN_LEFT); // 0.1 degrees per pixel
    EXPECT_NEAR(camera.getYaw(), 450.0f, 1e-3f);
    camera.command(450, Camera::LOOK_UP);
    const Vector3 d = camera.getDirection();
    EXPECT_NEAR(d.x * d.x + d.z * d.z, 1.0f, 1e-6f);
    EXPECT_NEAR(d.y, 0.70710678f, 1e-5f);
}

TEST(CameraTest, PitchLimitsAreTestedBeforeEachStep) {
    Camera camera;
    camera.setPitch(80);
    camera.command(200, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 100.0f, 1e-4f);
    camera.command(10, Camera::LOOK_UP);
    camera.command(Camera::KEY_STEP, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 100.0f, 1e-4f);
    camera.command(110, Camera::LOOK_DOWN);
    camera.command(10, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 89.0f, 1e-4f);
    camera.command(20, Camera::LOOK_DOWN);
    camera.command(10, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 88.0f, 1e-4f);

    camera.setPitch(-87.95f);
    camera.command(Camera::KEY_STEP, Camera::LOOK_DOWN);
    camera.command(Camera::KEY_STEP, Camera::LOOK_DOWN);
    EXPECT_NEAR(camera.getPitch(), -88.05f, 1e-4f);
}
