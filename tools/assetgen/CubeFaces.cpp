#include "assetgen/CubeFaces.h"

#include <cmath>

namespace assetgen {

Direction normalise(const Direction& d) {
    const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (len <= 0.0f) return d;
    return {d.x / len, d.y / len, d.z / len};
}

float dot(const Direction& a, const Direction& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

CubeFace CubeFaces::face(int index) {
    static const CubeFace FACES[FACE_COUNT] = {CubeFace::Back,   CubeFace::Front,
                                               CubeFace::Left,   CubeFace::Right,
                                               CubeFace::Bottom, CubeFace::Top};
    return FACES[index < 0 ? 0 : (index >= FACE_COUNT ? FACE_COUNT - 1 : index)];
}

std::string CubeFaces::name(CubeFace face) {
    switch (face) {
    case CubeFace::Back: return "back";
    case CubeFace::Front: return "front";
    case CubeFace::Left: return "left";
    case CubeFace::Right: return "right";
    case CubeFace::Bottom: return "bottom";
    case CubeFace::Top: return "top";
    }
    return "";
}

Direction CubeFaces::direction(CubeLayout layout, CubeFace face, float u, float v) {
    const float a = 2.0f * u - 1.0f, b = 2.0f * v - 1.0f;
    if (layout == CubeLayout::SkyBox) {
        switch (face) {
        case CubeFace::Front: return {-a, -b, 1.0f};
        case CubeFace::Back: return {a, -b, -1.0f};
        case CubeFace::Left: return {1.0f, -b, a};
        case CubeFace::Right: return {-1.0f, -b, -a};
        case CubeFace::Bottom: return {-b, -1.0f, a};
        case CubeFace::Top: return {-a, 1.0f, b};
        }
    } else {
        switch (face) {
        case CubeFace::Back: return {-a, -b, -1.0f};
        case CubeFace::Front: return {a, -b, 1.0f};
        case CubeFace::Left: return {-1.0f, -b, a};
        case CubeFace::Right: return {1.0f, -b, -a};
        case CubeFace::Bottom: return {a, -1.0f, -b};
        case CubeFace::Top: return {a, 1.0f, b};
        }
    }
    return {0.0f, 0.0f, 1.0f};
}

bool CubeFaces::project(CubeLayout layout, CubeFace face, const Direction& d, float& u, float& v) {
    // Each mapping is affine on its face plane: centre C plus a along A and b along B.
    const Direction c = direction(layout, face, 0.5f, 0.5f);
    const Direction du = direction(layout, face, 1.0f, 0.5f);
    const Direction dv = direction(layout, face, 0.5f, 1.0f);
    const Direction axisA{du.x - c.x, du.y - c.y, du.z - c.z};
    const Direction axisB{dv.x - c.x, dv.y - c.y, dv.z - c.z};
    const float along = dot(d, c);  // c is the face normal (unit length)
    if (along <= 0.0f) return false;
    const Direction p{d.x / along, d.y / along, d.z / along};
    u = (dot(p, axisA) + 1.0f) * 0.5f;
    v = (dot(p, axisB) + 1.0f) * 0.5f;
    return true;
}

} // namespace assetgen
