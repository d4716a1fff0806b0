#include <gtest/gtest.h>

#include "engine/Camera.h"

using namespace zel;

namespace {

void expectVector(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

} // namespace

TEST(CameraTest, StartsAtTheDefaults) {
    const Camera camera;
    EXPECT_EQ(camera.getPosition(), Vector3(0, 10, 0));
    EXPECT_EQ(camera.getEyeSphere().radius, 1.0f);
    EXPECT_EQ(camera.getDirection(), Vector3(0, 0, 1));
    EXPECT_EQ(camera.getYaw(), 0.0f);
    EXPECT_EQ(camera.getPitch(), 0.0f);
}

TEST(CameraTest, HeldThrustSettlesAtThirteenAndAHalfAndDecaysAfterRelease) {
    Camera camera;
    Vector3 before = camera.getPosition();
    for (int tick = 0; tick < 300; ++tick) {
        camera.command(0, Camera::FORWARD);
        before = camera.getPosition();
        camera.update(15);
    }
    // Stored velocity after damping, along the view direction (+z at yaw 0).
    EXPECT_NEAR(camera.getVelocity().z, 13.5f, 1e-3f);
    EXPECT_NEAR(camera.getVelocity().x, 0.0f, 1e-6f);
    // The eye moves with the velocity before damping: 15 units per second.
    EXPECT_NEAR((camera.getPosition().z - before.z) / 0.015f, 15.0f, 1e-2f);
    EXPECT_EQ(camera.getForce(), Vector3());

    // Released: 10 % of the speed goes per tick.
    for (int tick = 0; tick < 5; ++tick) {
        const float speed = camera.getVelocity().z;
        camera.update(15);
        EXPECT_NEAR(camera.getVelocity().z, speed * 0.9f, 1e-5f);
    }
}

TEST(CameraTest, MovementCommandsAddThrustAlongTheirAxes) {
    {
        Camera camera;
        camera.command(0, Camera::STRAFE_LEFT);
        camera.command(0, Camera::STRAFE_RIGHT);
        expectVector(camera.getForce(), Vector3(0, 0, 0), 1e-4f);
    }
    {
        Camera camera;
        camera.command(0, Camera::STRAFE_LEFT);
        expectVector(camera.getForce(), Vector3(100, 0, 0), 1e-4f);
        camera.command(0, Camera::UP);
        expectVector(camera.getForce(), Vector3(100, 100, 0), 1e-4f);
        camera.command(0, Camera::DOWN);
        camera.command(0, Camera::DOWN);
        expectVector(camera.getForce(), Vector3(100, -100, 0), 1e-4f);
    }
    {
        // Backward at yaw 90: against the direction (1, 0, 0); the amount is ignored.
        Camera camera;
        camera.setYaw(90);
        camera.command(1234, Camera::BACKWARD);
        expectVector(camera.getForce(), Vector3(-100, 0, 0), 1e-3f);
    }
    {
        // Thrust over one 1000 ms update with mass 1: v = F * dt, then damped.
        Camera camera;
        camera.command(0, Camera::UP);
        camera.update(1000);
        expectVector(camera.getPosition(), Vector3(0, 110, 0), 1e-3f);
        expectVector(camera.getVelocity(), Vector3(0, 90, 0), 1e-3f);
    }
}

TEST(CameraTest, TurnsByKeyboardStepOrMousePixels) {
    Camera camera;
    camera.command(Camera::KEY_STEP, Camera::TURN_LEFT);
    EXPECT_NEAR(camera.getYaw(), 0.1f, 1e-6f);
    camera.command(Camera::KEY_STEP, Camera::TURN_RIGHT);
    camera.command(Camera::KEY_STEP, Camera::TURN_RIGHT);
    EXPECT_NEAR(camera.getYaw(), -0.1f, 1e-6f);

    // 900 pixels at 0.1 degrees per pixel: a quarter turn to the left.
    Camera turned;
    turned.command(900, Camera::TURN_LEFT);
    EXPECT_NEAR(turned.getYaw(), 90.0f, 1e-4f);
    expectVector(turned.getDirection(), Vector3(1, 0, 0));

    // Yaw is not wrapped.
    turned.command(3600, Camera::TURN_LEFT);
    EXPECT_NEAR(turned.getYaw(), 450.0f, 1e-3f);
    expectVector(turned.getDirection(), Vector3(1, 0, 0), 1e-4f);
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
    EXPECT_NEAR(camera.getPitch(), 89.0f, 1e-4f);
    camera.command(10, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 89.0f, 1e-4f);
    camera.command(20, Camera::LOOK_DOWN);
    EXPECT_NEAR(camera.getPitch(), 87.0f, 1e-4f);
    camera.command(10, Camera::LOOK_UP);
    EXPECT_NEAR(camera.getPitch(), 88.0f, 1e-4f);

    Camera down;
    down.setPitch(-87.95f);
    down.command(Camera::KEY_STEP, Camera::LOOK_DOWN);
    down.command(Camera::KEY_STEP, Camera::LOOK_DOWN);
    EXPECT_NEAR(down.getPitch(), -88.05f, 1e-4f);
}

TEST(CameraTest, DirectionKeepsAUnitHorizontalPartWhenPitched) {
    Camera camera;
    camera.command(450, Camera::LOOK_UP); // 45 degrees
    const Vector3 d = camera.getDirection();
    EXPECT_NEAR(d.x * d.x + d.z * d.z, 1.0f, 1e-6f);
    EXPECT_NEAR(d.y, 0.70710678f, 1e-5f);
    // Forward thrust is therefore stronger than 100 when pitched.
    camera.command(0, Camera::FORWARD);
    EXPECT_GT(std::sqrt(camera.getForce().lengthSquared()), 120.0f);
}
