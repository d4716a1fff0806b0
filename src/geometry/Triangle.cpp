#include "geometry/Triangle.h"

namespace zel {

bool sameSide(const Vector3& p1, const Vector3& p2, const Vector3& a, const Vector3& b) {
    const Vector3 edge = b - a;
    const Vector3 c1 = cross(edge, p1 - a);
    const Vector3 c2 = cross(edge, p2 - a);
    return c1.dot(c2) >= 0.0f;
}

bool pointInTriangle(const Vector3& point, const Triangle& triangle) {
    const Vector3& a = triangle.positions[0];
    const Vector3& b = triangle.positions[1];
    const Vector3& c = triangle.positions[2];
    return sameSide(point, a, b, c) && sameSide(point, b, a, c) && sameSide(point, c, a, b);
}

} // namespace zel
