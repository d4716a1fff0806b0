#pragma once
// A sphere (centre and radius) around a mesh's positions. Single-textured meshes
// use it for their distance fade, where the camera's eye counts as a sphere of
// radius 1.

#include "math/Vector3.h"

namespace zel {

struct BoundingSphere {
    Vector3 centre;
    float radius = 0.0f;

    BoundingSphere() = default;
    BoundingSphere(const Vector3& c, float r) : centre(c), radius(r) {}

    // True when the spheres touch or overlap: D^2 - other.radius^2 <= radius^2,
    // with D the distance between the centres.
    bool touches(const BoundingSphere& other) const {
        const float d2 = (other.centre - centre).lengthSquared();
        return d2 - other.radius * other.radius <= radius * radius;
    }
};

} // namespace zel
