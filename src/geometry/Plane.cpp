#include "geometry/Plane.h"

#include <cmath>

#include "geometry/Triangle.h"

namespace zel {

Plane Plane::fromTriangle(const Triangle& triangle) {
    return fromPoints(triangle.positions[0], triangle.positions[1], triangle.positions[2]);
}

Plane Plane::fromPoints(const Vector3& a, const Vector3& b, const Vector3& c) {
    Plane plane;
    plane.normal = cross(b - a, c - a);
    plane.normal.normalise();
    plane.d = -plane.normal.dot(a);
    return plane;
}

Vector3 Plane::intersectLine(const Plane& plane, const Vector3& p, const Vector3& q) {
    Vector3 dir = q - p;
    dir.normalise();
    const float denom = plane.normal.dot(dir);
    if (std::fabs(denom) <= 0.00001f) {
        return p;
    }
    const float t = -(plane.normal.dot(p) + plane.d) / denom;
    return p + dir * t;
}

} // namespace zel
