#pragma once
// A scripted camera flight: named segments made of legs, each leg a number of
// frames over which the eye and the point it looks at glide through a list of
// key positions (Catmull-Rom, keys evenly spaced in time). The benchmark flies
// it one pose per frame so every run renders the same frames. Plain
// arithmetic; applying a pose to a Camera sets its eye, yaw and pitch and stops
// its motion.

#include <string>
#include <vector>

#include "math/Vector3.h"

namespace zel {

class Camera;

class FlightPath {
public:
    struct Key {
        Vector3 eye;
        Vector3 target;
    };
    struct Leg {
        std::string name;
        int frames = 0;
        std::vector<Key> keys;
    };
    struct Segment {
        std::string name;
        std::vector<Leg> legs;
        int frames() const;
    };
    struct Pose {
        Vector3 eye;
        float yaw = 0.0f;   // degrees, 0 looks along +z, 90 along +x
        float pitch = 0.0f; // degrees, positive looks up
    };

    void addSegment(Segment segment) { segments_.push_back(std::move(segment)); }
    const std::vector<Segment>& getSegments() const { return segments_; }
    int frames() const;

    // The same path with every leg's frame count divided by divisor (at least
    // two frames a leg): a shorter flight over the same keys.
    FlightPath shortened(int divisor) const;

    // The pose at frame (0 .. frames - 1) of a leg; frames outside are clamped.
    static Pose pose(const Leg& leg, int frame);
    // The yaw and pitch of a look from eye towards target.
    static Pose lookAt(const Vector3& eye, const Vector3& target);
    // Puts the camera at the pose, looking along it, at rest.
    static void apply(const Pose& pose, Camera& camera);

private:
    std::vector<Segment> segments_;
};

} // namespace zel
