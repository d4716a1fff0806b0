#pragma once
// The view frustum as six normalised planes taken from the current OpenGL
// projection and model-view matrices. The world refreshes it once per frame and
// the culling trees test node and mesh boxes against it.

#include "math/BoundingBox.h"

namespace zel {

class Frustum {
public:
    enum PlaneIndex { RIGHT = 0, LEFT = 1, BOTTOM = 2, TOP = 3, FAR = 4, NEAR = 5 };

    // Rebuilds the planes from the current GL matrices (after the view transform).
    void extract();
    // Rebuilds the planes from given column-major projection and model-view matrices.
    void extractFrom(const float projection[16], const float modelview[16]);
    // Signed distance a*x + b*y + c*z + d of a point to the plane with the given index.
    float planeDistance(int plane, float x, float y, float z) const;
    // False only when all eight corners lie on the outer side (distance <= 0) of one plane.
    bool intersectsBox(const BoundingBox& box) const;

    // Plane coefficients a, b, c, d in the order right, left, bottom, top, far, near.
    float planes[6][4] = {};
};

} // namespace zel
