#include "view/ModelFraming.h"

#include <algorithm>
#include <cmath>

namespace zelview {

Framing frameBox(const zel::BoundingBox& box) {
    const float cx = 0.5f * (box.minX + box.maxX);
    const float cy = 0.5f * (box.minY + box.maxY);
    const float cz = 0.5f * (box.minZ + box.maxZ);
    const float dx = box.maxX - box.minX, dy = box.maxY - box.minY, dz = box.maxZ - box.minZ;
    const float radius = 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
    // Half the vertical field of view is 22.5 degrees; the 10 % margin keeps
    // the silhouette off the window's edges.
    const float distance = std::max(2.0f, 1.1f * radius / std::sin(22.5f * 3.14159265f / 180.0f));
    // Unit direction from the model towards the eye: south-east and raised.
    const float ex = 0.6f, ey = 0.45f, ez = 0.66f;
    const float length = std::sqrt(ex * ex + ey * ey + ez * ez);
    const float k = distance / length;
    return {zel::Vector3(cx + ex * k, cy + ey * k, cz + ez * k), zel::Vector3(cx, cy, cz)};
}

} // namespace zelview
