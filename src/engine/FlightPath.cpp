#include "engine/FlightPath.h"

#include <algorithm>
#include <cmath>

#include "engine/Camera.h"

namespace zel {

namespace {

constexpr float RAD_TO_DEG = 57.29577951308232f;
constexpr float MAX_PITCH = 88.0f;

Vector3 catmullRom(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    auto blend = [&](float a, float b, float c, float d) {
        return 0.5f * (2.0f * b + (-a + c) * t + (2.0f * a - 5.0f * b + 4.0f * c - d) * t2 +
                       (-a + 3.0f * b - 3.0f * c + d) * t3);
    };
    return Vector3(blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y), blend(p0.z, p1.z, p2.z, p3.z));
}

} // namespace

int FlightPath::Segment::frames() const {
    int total = 0;
    for (const Leg& leg : legs) total += leg.frames;
    return total;
}

int FlightPath::frames() const {
    int total = 0;
    for (const Segment& segment : segments_) total += segment.frames();
    return total;
}

FlightPath FlightPath::shortened(int divisor) const {
    FlightPath result = *this;
    if (divisor <= 1) return result;
    for (Segment& segment : result.segments_) {
        for (Leg& leg : segment.legs) leg.frames = std::max(2, leg.frames / divisor);
    }
    return result;
}

FlightPath::Pose FlightPath::lookAt(const Vector3& eye, const Vector3& target) {
    Pose pose;
    pose.eye = eye;
    const float dx = target.x - eye.x;
    const float dy = target.y - eye.y;
    const float dz = target.z - eye.z;
    const float ground = std::sqrt(dx * dx + dz * dz);
    pose.yaw = (dx == 0.0f && dz == 0.0f) ? 0.0f : std::atan2(dx, dz) * RAD_TO_DEG;
    pose.pitch = std::atan2(dy, ground) * RAD_TO_DEG;
    pose.pitch = std::max(-MAX_PITCH, std::min(MAX_PITCH, pose.pitch));
    return pose;
}

FlightPath::Pose FlightPath::pose(const Leg& leg, int frame) {
    if (leg.keys.empty()) return Pose();
    if (leg.keys.size() == 1 || leg.frames <= 1) return lookAt(leg.keys.front().eye, leg.keys.front().target);
    const int last = static_cast<int>(leg.keys.size()) - 1;
    frame = std::max(0, std::min(leg.frames - 1, frame));
    const float t = static_cast<float>(frame) / static_cast<float>(leg.frames - 1) * static_cast<float>(last);
    const int i = std::min(last - 1, static_cast<int>(t));
    const float u = t - static_cast<float>(i);
    auto key = [&](int k) -> const Key& { return leg.keys[std::max(0, std::min(last, k))]; };
    const Vector3 eye = catmullRom(key(i - 1).eye, key(i).eye, key(i + 1).eye, key(i + 2).eye, u);
    const Vector3 target = catmullRom(key(i - 1).target, key(i).target, key(i + 1).target, key(i + 2).target, u);
    return lookAt(eye, target);
}

void FlightPath::apply(const Pose& pose, Camera& camera) {
    camera.setPosition(pose.eye);
    camera.setVelocity(Vector3(0.0f, 0.0f, 0.0f));
    camera.setYaw(pose.yaw);
    camera.setPitch(pose.pitch);
}

} // namespace zel
