#pragma once
// An oriented plane (unit normal and distance d, normal . p + d = 0 on the plane).
// Every triangle a mesh stores carries one; the height query of meshes intersects
// vertical lines with it and the vertex buffers take its normal for flat shading.

#include "math/Vector3.h"

namespace zel {

struct Triangle;

struct Plane {
    Vector3 normal;
    float d = 0.0f;

    // The plane through the three positions of a triangle, see fromPoints.
    static Plane fromTriangle(const Triangle& triangle);
    // normal = normalise((b - a) x (c - a)), d = -(normal . a): the normal follows
    // the counter-clockwise order of a, b, c. Degenerate (collinear) points give a
    // non-finite normal, which no height query ever reports as a hit.
    static Plane fromPoints(const Vector3& a, const Vector3& b, const Vector3& c);
    // Where the line from p toward q meets the plane; p itself when the line is
    // parallel to the plane (|normal . direction| <= 1e-5).
    static Vector3 intersectLine(const Plane& plane, const Vector3& p, const Vector3& q);
};

} // namespace zel
