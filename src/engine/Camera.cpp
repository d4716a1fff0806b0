#include "engine/Camera.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>

namespace zel {

namespace {
// Degrees to radians, applied in double precision.
constexpr double DEG_TO_RAD = 0.0174532925;

// Unit vector in the horizontal plane at the given heading in degrees.
Vector3 heading(float degrees) {
    Vector3 v(static_cast<float>(std::sin(degrees * DEG_TO_RAD)), 0.0f,
              static_cast<float>(std::cos(degrees * DEG_TO_RAD)));
    v.normalise();
    return v;
}
} // namespace

Camera::Camera() {
    updateDirection();
}

void Camera::setYaw(float degrees) {
    yaw_ = degrees;
    updateDirection();
}

void Camera::setPitch(float degrees) {
    pitch_ = degrees;
    updateDirection();
}

void Camera::updateDirection() {
    // Not normalised: the horizontal part keeps length 1 whatever the pitch.
    direction_ = Vector3(static_cast<float>(std::sin(yaw_ * DEG_TO_RAD)),
                         static_cast<float>(std::sin(pitch_ * DEG_TO_RAD)),
                         static_cast<float>(std::cos(yaw_ * DEG_TO_RAD)));
}

void Camera::turn(float& angle, float sign, int amount) {
    const float step = amount == KEY_STEP ? keyTurnStep_ : mouseSensitivity_ * static_cast<float>(amount);
    angle += sign * step;
}

void Camera::command(int amount, int code) {
    switch (code) {
    case FORWARD:
        force_ = force_ + direction_ * thrust_;
        break;
    case BACKWARD:
        force_ = force_ + direction_ * (-thrust_);
        break;
    case UP:
        force_ = force_ + Vector3(0.0f, 1.0f, 0.0f) * thrust_;
        break;
    case DOWN:
        force_ = force_ + Vector3(0.0f, -1.0f, 0.0f) * thrust_;
        break;
    case STRAFE_LEFT:
        force_ = force_ + heading(yaw_ + 90.0f) * thrust_;
        break;
    case STRAFE_RIGHT:
        force_ = force_ + heading(yaw_ + 270.0f) * thrust_;
        break;
    case TURN_LEFT:
        turn(yaw_, 1.0f, amount);
        updateDirection();
        break;
    case TURN_RIGHT:
        turn(yaw_, -1.0f, amount);
        updateDirection();
        break;
    case LOOK_UP:
        // The limit is tested before the change only, so one large step may
        // carry the pitch past it.
        if (pitch_ < maxPitch_)
            turn(pitch_, 1.0f, amount);
        updateDirection();
        break;
    case LOOK_DOWN:
        if (pitch_ > minPitch_)
            turn(pitch_, -1.0f, amount);
        updateDirection();
        break;
    default:
        break;
    }
}

void Camera::update(std::uint32_t elapsedMs) {
    const float dt = static_cast<float>(elapsedMs) / 1000.0f;
    velocity_ = velocity_ + (force_ / mass_) * dt;
    eyeSphere_.centre = eyeSphere_.centre + velocity_ * dt;
    force_ = Vector3();
    velocity_ = velocity_ - velocity_ * damping_;
}

void Camera::look() const {
    const Vector3& eye = eyeSphere_.centre;
    const Vector3 centre = eye + direction_;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);
}

} // namespace zel
