#pragma once
// The triangle record meshes are made of: three positions, one texture coordinate
// per position, a texture of the registry (not owned) and a plane. Copies share
// the plane, so a builder's triangle and the copy a mesh stores refer to the same
// Plane; the plane lives as long as the last triangle holding it.
// Also the point-in-triangle routines used by the height queries.

#include <memory>

#include "geometry/Plane.h"
#include "math/Vector2.h"
#include "math/Vector3.h"

namespace zel {

class Texture;

struct Triangle {
    Vector3 positions[3];
    Vector2 texCoords[3];
    Texture* texture = nullptr;    // owned by the TextureDatabase; null draws untextured
    std::shared_ptr<Plane> plane;  // null until Mesh::addTriangle computes it
};

// True when p1 and p2 lie on the same side of the line through a and b (in the
// plane of the points): ((b - a) x (p1 - a)) . ((b - a) x (p2 - a)) >= 0.
bool sameSide(const Vector3& p1, const Vector3& p2, const Vector3& a, const Vector3& b);

// True when point lies inside the triangle's positions; points on an edge count
// as inside.
bool pointInTriangle(const Vector3& point, const Triangle& triangle);

} // namespace zel
