#pragma once
// Two-component float vector: a texture coordinate (u, v).

namespace zel {

struct Vector2 {
    float u = 0.0f;
    float v = 0.0f;

    Vector2() = default;
    Vector2(float u_, float v_) : u(u_), v(v_) {}
    bool operator==(const Vector2& o) const { return u == o.u && v == o.v; }
};

} // namespace zel
