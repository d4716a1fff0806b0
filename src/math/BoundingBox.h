#pragma once
// Axis-aligned box (min x, y, z, max x, y, z) with inclusive containment tests.
// The culling trees depend on the exact semantics: bounds are inclusive, axes are
// tested x, y, z and corners in a fixed order, stopping at the first failure.

#include "math/Vector3.h"

namespace zel {

struct BoundingBox {
    float minX = 0.0f, minY = 0.0f, minZ = 0.0f;
    float maxX = 0.0f, maxY = 0.0f, maxZ = 0.0f;

    BoundingBox() = default;
    BoundingBox(float x0, float y0, float z0, float x1, float y1, float z1)
        : minX(x0), minY(y0), minZ(z0), maxX(x1), maxY(y1), maxZ(z1) {}

    bool contains(float x, float y, float z) const;
    // True when all eight corners of other lie inside this box (faces may touch).
    bool containsBox(const BoundingBox& other) const;
    // Lowers each min coordinate and raises each max coordinate as far as needed
    // to enclose p.
    void extend(const Vector3& p);
    // Centre of the bottom face; models stand on this point.
    Vector3 baseCenter() const;
    // Draws six filled quads in the given colour; leaves GL_TEXTURE_2D disabled.
    void drawSolid(float red, float green, float blue) const;
};

} // namespace zel
