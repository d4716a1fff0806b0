#include "math/Frustum.h"

#include <GL/glew.h>
#include <cmath>

namespace zel {

void Frustum::extract() {
    float projection[16];
    float modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    extractFrom(projection, modelview);
}

void Frustum::extractFrom(const float P[16], const float M[16]) {
    float clip[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            clip[4 * r + c] = M[4 * r] * P[c] + M[4 * r + 1] * P[4 + c] + M[4 * r + 2] * P[8 + c] +
                              M[4 * r + 3] * P[12 + c];
        }
    }
    auto col = [&clip](int k, int i) { return clip[4 * i + k]; };
    for (int i = 0; i < 4; ++i) {
        planes[RIGHT][i] = col(3, i) - col(0, i);
        planes[LEFT][i] = col(3, i) + col(0, i);
        planes[BOTTOM][i] = col(3, i) + col(1, i);
        planes[TOP][i] = col(3, i) - col(1, i);
        planes[FAR][i] = col(3, i) - col(2, i);
        planes[NEAR][i] = col(3, i) + col(2, i);
    }
    for (auto& p : planes) {
        const float length = sqrtf(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        for (float& v : p) v /= length;
    }
}

float Frustum::planeDistance(int plane, float x, float y, float z) const {
    const float* p = planes[plane];
    return p[0] * x + p[1] * y + p[2] * z + p[3];
}

bool Frustum::intersectsBox(const BoundingBox& b) const {
    const float corners[8][3] = {
        {b.minX, b.minY, b.minZ}, {b.maxX, b.minY, b.minZ}, {b.minX, b.maxY, b.minZ},
        {b.maxX, b.maxY, b.minZ}, {b.minX, b.minY, b.maxZ}, {b.maxX, b.minY, b.maxZ},
        {b.minX, b.maxY, b.maxZ}, {b.maxX, b.maxY, b.maxZ},
    };
    for (int plane = 0; plane < 6; ++plane) {
        bool passed = false;
        for (const auto& c : corners) {
            if (planeDistance(plane, c[0], c[1], c[2]) > 0.0f) {
                passed = true;
                break;
            }
        }
        if (!passed) return false;
    }
    return true;
}

} // namespace zel
