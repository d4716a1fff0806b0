#include <gtest/gtest.h>

#include "engine/Camera.h"
#include "support/GLContext.h"

using namespace zel;

using zeltest::expectNear;

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

TEST(CameraTest, TurnsByKeyboardStepOrMousePixels) {
    Camera camera;
    camera.command(Camera::KEY_STEP, Camera::TURN_LEFT);
    EXPECT_NEAR(camera.getYaw(), 0.1f, 1e-6f);
    camera.command(Camera::KEY_STEP, Camera::TURN_RIGHT);
    camera.command(Camera::KEY_STEP, Camera::TURN_RIGHT);
    EXPECT_NEAR(camera.getYaw(), -0.1f, 1e-6f);

    // 900 pixels at 0.1 degrees per pixel: a quarter turn left; yaw is not wrapped.
    Camera turned;
    turned.command(900, Camera::TURN_LEFT);
    expectNear(turned.getDirection(), Vector3(1, 0, 0), 1e-5f);
    turned.command(3600, Camera::TURN_LEFT);
    EXPECT_NEAR(turned.getYaw(), 450.0f, 1e-3f);

    // Pitched, the horizontal part keeps length 1 (the vector is not normalised).
    Camera pitched;
    pitched.command(450, Camera::LOOK_UP);
    const Vector3 d = pitched.getDirection();
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
