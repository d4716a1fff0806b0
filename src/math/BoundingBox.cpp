#include "math/BoundingBox.h"

#include <GL/glew.h>

#include <algorithm>

namespace zel {

bool BoundingBox::contains(float x, float y, float z) const {
    // Written as "inside" tests so that a NaN coordinate (or bound) is outside.
    return x >= minX && x <= maxX && y >= minY && y <= maxY && z >= minZ && z <= maxZ;
}

bool BoundingBox::containsBox(const BoundingBox& o) const {
    return contains(o.minX, o.minY, o.minZ) && contains(o.maxX, o.minY, o.minZ) &&
           contains(o.minX, o.maxY, o.minZ) && contains(o.maxX, o.maxY, o.minZ) &&
           contains(o.minX, o.minY, o.maxZ) && contains(o.maxX, o.minY, o.maxZ) &&
           contains(o.minX, o.maxY, o.maxZ) && contains(o.maxX, o.maxY, o.maxZ);
}

void BoundingBox::extend(const Vector3& p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    minZ = std::min(minZ, p.z);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
    maxZ = std::max(maxZ, p.z);
}

Vector3 BoundingBox::baseCenter() const {
    return {(minX + maxX) * 0.5f, minY, (minZ + maxZ) * 0.5f};
}

void BoundingBox::drawSolid(float red, float green, float blue) const {
    const float colour[3] = {red, green, blue};
    glColor3fv(colour);
    glDisable(GL_TEXTURE_2D);
    const float mx = minX, my = minY, mz = minZ, Mx = maxX, My = maxY, Mz = maxZ;
    const float v[24][3] = {
        {mx, my, mz}, {Mx, my, mz}, {Mx, My, mz}, {mx, My, mz}, // z = min
        {mx, my, Mz}, {Mx, my, Mz}, {Mx, My, Mz}, {mx, My, Mz}, // z = max
        {mx, My, mz}, {Mx, My, mz}, {Mx, My, Mz}, {mx, My, Mz}, // y = max
        {mx, my, mz}, {Mx, my, mz}, {Mx, my, Mz}, {mx, my, Mz}, // y = min
        {mx, my, mz}, {mx, My, mz}, {mx, My, Mz}, {mx, my, Mz}, // x = min
        {Mx, my, mz}, {Mx, my, Mz}, {Mx, My, Mz}, {Mx, My, mz}, // x = max
    };
    glBegin(GL_QUADS);
    for (const auto& p : v) glVertex3f(p[0], p[1], p[2]);
    glEnd();
}

} // namespace zel
