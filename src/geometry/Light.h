#pragma once
// A scene light: a position (x, y, z, w) and a colour (r, g, b, a), passed to the
// lighting shader unchanged. The world owns the records; the effect test creates
// and moves three of them.

namespace zel {

struct Light {
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

} // namespace zel
