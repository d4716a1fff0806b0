// The heap's huge-page reserve for loading; the engine's frame and tick on a simulated clock: the 15 ms
// tick and its frame rate, the pointer warp, held keys and the mouse reaching the camera, and the
// camera's own commands. (The GL state initGL sets is seen in every rendered frame the world and demo
// tests pin.)
#include <GL/glew.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "engine/HeapTuning.h"
#include "engine/InputState.h"
#include "scene/World.h"
#include "support/GLContext.h"

using namespace zel;
using zeltest::expectNear;

namespace {

// The "VmFlags:" line of the mapping in /proc/self/smaps that holds address p.
std::string mappingFlags(const void* p) {
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%llx-%llx ", &from, &to) == 2)
            inside = from <= address && address < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line + " ";
    }
    return "";
}

// Before every other test of this program: opening the program's window (the event loop tests, in a
// later file) makes the first call.
TEST(HeapTuningTest, LoadingHeapComesInHugePagesUntilLoadingEnds) {
    const bool marked = tuneHeapForLoading();
    EXPECT_FALSE(tuneHeapForLoading()) << "only the first call acts";
    if (!marked)
        GTEST_SKIP()
            << "malloc is not glibc's heap here (sanitizer, valgrind) or the kernel has no huge pages";

    // A block taken after the heap has grown lies in the marked reserve.
    std::vector<char> block(4 << 20, 1);
    const char* middle = block.data() + (2 << 20);
    EXPECT_NE(mappingFlags(middle).find(" hg "), std::string::npos) << "marked for huge pages";
    EXPECT_TRUE(endHeapLoading());
    EXPECT_FALSE(endHeapLoading()) << "only the first call acts";
    EXPECT_NE(mappingFlags(middle).find(" nh "), std::string::npos) << "ordinary pages from now on";
}

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
    EXPECT_EQ(engine.getFpsTimer(), 15u); // the next second starts with the overshoot
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

    driver->setPointer(420, 330);
    driver->frame(1); // no tick: the pointer is not read
    EXPECT_NEAR(camera.getYaw(), 1.0f, 1e-4f);
    driver->frame(14);
    EXPECT_NEAR(camera.getYaw(), -1.0f, 1e-4f);
    EXPECT_NEAR(camera.getPitch(), 2.0f, 1e-4f);
}

TEST(CameraTest, MovementCommandsAddThrustAlongTheirAxes) {
    Camera camera; // at yaw 0 left is +x
    for (int code : {Camera::STRAFE_LEFT, Camera::UP, Camera::STRAFE_RIGHT, Camera::STRAFE_RIGHT,
                     Camera::DOWN, Camera::DOWN})
        camera.command(0, code);
    expectNear(camera.getForce(), Vector3(-100, -100, 0));

    // Backward at yaw 90 pushes against (1, 0, 0); the amount is ignored.
    Camera turned;
    turned.setYaw(90);
    expectNear(turned.getDirection(), Vector3(1, 0, 0), 1e-6f);
    turned.command(1234, Camera::BACKWARD);
    expectNear(turned.getForce(), Vector3(-100, 0, 0), 1e-3f);
    // One 1000 ms update with mass 1: v = F * dt, then 10 % damping.
    turned.update(1000);
    expectNear(turned.getPosition(), Vector3(-100, 10, 0), 1e-3f);
    expectNear(turned.getVelocity(), Vector3(-90, 0, 0), 1e-3f);
}

TEST(CameraTest, PitchLimitsAreTestedBeforeEachStep) {
    Camera camera;
    camera.setPitch(80);
    camera.command(200, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 100.0f, 1e-4f);
    camera.command(Camera::KEY_STEP, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 100.0f, 1e-4f);

    camera.setPitch(-87.95f);
    camera.command(Camera::KEY_STEP, Camera::LOOK_DOWN);
    camera.command(Camera::KEY_STEP, Camera::LOOK_DOWN);
    EXPECT_NEAR(camera.getPitch(), -88.05f, 1e-4f);
}
