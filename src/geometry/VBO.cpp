#include "geometry/VBO.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>

#include "geometry/Triangle.h"

namespace zel {

// The buffers are filled straight from the client arrays, so the records must be
// tightly packed floats.
static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 must be three packed floats");
static_assert(sizeof(Vector2) == 2 * sizeof(float), "Vector2 must be two packed floats");

VBO::VBO(std::int32_t capacity)
    : positions_(static_cast<std::size_t>(std::max(capacity, 0))),
      texCoords_(static_cast<std::size_t>(std::max(capacity, 0))),
      normals_(static_cast<std::size_t>(std::max(capacity, 0))),
      capacity_(std::max(capacity, 0)) {}

VBO::~VBO() {
    if (buffers_[0] != 0 || buffers_[1] != 0 || buffers_[2] != 0) {
        glDeleteBuffersARB(3, buffers_);
    }
}

void VBO::addVertex(const Vector3& position, const Vector3& normal, const Vector2& texCoord) {
    if (!hasClientArrays_ || count_ >= capacity_) {
        return;
    }
    positions_[count_] = position;
    normals_[count_] = normal;
    texCoords_[count_] = texCoord;
    ++count_;
}

void VBO::addTriangle(const Triangle& triangle) {
    if (!triangle.plane) {
        printf("WARNING [%s]: Triangle without valid plane.", "VBO");
        return;
    }
    for (int i = 0; i < 3; ++i) {
        addVertex(triangle.positions[i], triangle.plane->normal, triangle.texCoords[i]);
    }
}

void VBO::upload() {
    if (!hasClientArrays_) {
        return;
    }
    const GLsizeiptrARB n = count_;
    const void* arrays[3] = {positions_.data(), texCoords_.data(), normals_.data()};
    const GLsizeiptrARB sizes[3] = {n * 12, n * 8, n * 12};
    for (int i = 0; i < 3; ++i) {
        glGenBuffersARB(1, &buffers_[i]);
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers_[i]);
        glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizes[i], arrays[i], GL_STATIC_DRAW_ARB);
    }
    // The data now lives only on the GPU.
    std::vector<Vector3>().swap(positions_);
    std::vector<Vector2>().swap(texCoords_);
    std::vector<Vector3>().swap(normals_);
    hasClientArrays_ = false;
}

void VBO::draw(std::int32_t n) const {
    if (buffers_[0] == 0) {
        return;
    }
    const GLsizei vertices = std::min(std::max(n, 0), count_);

    glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers_[0]);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers_[1]);
    glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffers_[2]);
    glNormalPointer(GL_FLOAT, 0, nullptr);

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDrawArrays(GL_TRIANGLES, 0, vertices);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace zel
