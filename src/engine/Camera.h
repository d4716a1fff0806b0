#pragma once
// The free-flying camera the user steers. Commands add force or turn it; the
// world's update integrates force into velocity and velocity into the eye
// position with damping, so motion starts and stops smoothly. The world owns the
// camera and forwards World::cameraCommand to it; the water and the
// single-textured meshes read its eye position, the world its yaw and pitch.
// Everything except look() is plain arithmetic without GL.

#include <cstdint>

#include "geometry/BoundingSphere.h"
#include "math/Vector3.h"

namespace zel {

class Camera {
public:
    // Camera command codes as issued by the input state.
    enum Command {
        FORWARD = 0,
        BACKWARD = 1,
        UP = 2,
        DOWN = 3,
        STRAFE_LEFT = 4,
        STRAFE_RIGHT = 5,
        TURN_LEFT = 6,
        TURN_RIGHT = 7,
        LOOK_UP = 8,
        LOOK_DOWN = 9
    };
    // The amount that means "one keyboard step" for the turn commands.
    static constexpr int KEY_STEP = -1;

    Camera();
    virtual ~Camera() = default;

    // Applies one command: movement codes add thrust to the force (amount
    // ignored), turn codes change yaw or pitch by one keyboard step (amount -1)
    // or by mouseSensitivity * amount degrees and recompute the direction.
    void command(int amount, int code);
    // The physics step: integrates force and velocity over elapsedMs, clears the
    // force and damps the velocity.
    void update(std::uint32_t elapsedMs);
    // Applies the view transform with gluLookAt (eye, eye + direction, up y).
    void look() const;

    Vector3 getPosition() const { return eyeSphere_.centre; }
    Vector3 getDirection() const { return direction_; }
    float getYaw() const { return yaw_; }
    float getPitch() const { return pitch_; }
    Vector3 getVelocity() const { return velocity_; }
    Vector3 getForce() const { return force_; }
    const BoundingSphere& getEyeSphere() const { return eyeSphere_; }
    float getThrust() const { return thrust_; }
    float getDamping() const { return damping_; }
    float getMass() const { return mass_; }

    void setPosition(const Vector3& position) { eyeSphere_.centre = position; }
    void setVelocity(const Vector3& velocity) { velocity_ = velocity; }
    // Setting yaw or pitch recomputes the direction, like a turn command.
    void setYaw(float degrees);
    void setPitch(float degrees);

private:
    void updateDirection();
    void turn(float& angle, float sign, int amount);

    float keyTurnStep_ = 0.1f;
    float mouseSensitivity_ = 0.1f;
    float minPitch_ = -88.0f;
    float maxPitch_ = 88.0f;
    float yaw_ = 0.0f;
    float pitch_ = 0.0f;
    Vector3 direction_{0.0f, 0.0f, 1.0f};
    float thrust_ = 100.0f;
    float damping_ = 0.1f;
    float mass_ = 1.0f;
    Vector3 force_;
    Vector3 velocity_;
    BoundingSphere eyeSphere_{Vector3(0.0f, 10.0f, 0.0f), 1.0f};
};

} // namespace zel
