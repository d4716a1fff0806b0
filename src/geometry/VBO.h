#pragma once
// A mesh's vertices on the GPU: positions, texture coordinates and normals are
// collected in three client arrays, uploaded once into three tightly packed
// GL_STATIC_DRAW buffers (the client arrays are freed right after) and drawn as
// triangles in one call. Owned by a SingleTexturedMesh. The object owns its three
// buffer names and deletes them with one call; it cannot be copied.

#include <cstdint>
#include <vector>

#include "math/Vector2.h"
#include "math/Vector3.h"

namespace zel {

struct Triangle;

class VBO {
public:
    // Room for capacity vertices (a negative capacity counts as 0), all zero.
    explicit VBO(std::int32_t capacity);
    // Deletes the position, texture coordinate and normal buffers in one call.
    virtual ~VBO();
    VBO(const VBO&) = delete;
    VBO& operator=(const VBO&) = delete;

    // Writes one vertex at index count. Ignored once capacity vertices are stored
    // or after upload.
    void addVertex(const Vector3& position, const Vector3& normal, const Vector2& texCoord);
    // The triangle's three vertices, each with the plane's normal; a triangle
    // without a plane is reported and skipped.
    void addTriangle(const Triangle& triangle);
    // Creates and fills the three buffers with the stored vertices, then frees the
    // client arrays. Only the first call does anything.
    void upload();
    // Draws n vertices as triangles (n is clamped to the vertices stored).
    void draw(std::int32_t n) const;

    std::int32_t getCapacity() const { return capacity_; }
    std::int32_t getCount() const { return count_; }
    // False once upload has freed the client arrays.
    bool hasClientArrays() const { return hasClientArrays_; }
    const std::vector<Vector3>& getPositions() const { return positions_; }
    const std::vector<Vector2>& getTexCoords() const { return texCoords_; }
    const std::vector<Vector3>& getNormals() const { return normals_; }
    unsigned int getPositionBuffer() const { return buffers_[0]; }
    unsigned int getTexCoordBuffer() const { return buffers_[1]; }
    unsigned int getNormalBuffer() const { return buffers_[2]; }

private:
    std::vector<Vector3> positions_;
    std::vector<Vector2> texCoords_;
    std::vector<Vector3> normals_;
    unsigned int buffers_[3] = {0, 0, 0};  // position, texture coordinate, normal
    std::int32_t capacity_ = 0;
    std::int32_t count_ = 0;
    bool hasClientArrays_ = true;
};

} // namespace zel
