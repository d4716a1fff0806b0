#pragma once
// An SGF model document under construction: meshes of vertices and faces
// (triangles and quads, each corner with a texture coordinate, each face with a
// texture path) and point lights, serialised to the XML text the engine's SGF
// reader loads. The model builders fill it through SgfBuilder; the asset
// generator writes the text to data/models/.
//
// Output is deterministic: numbers are printed with four decimals (trailing
// zeros dropped), vertices are shared when they print identically, and values
// the reader carries over are left out: a vertex coordinate equal to the
// previous vertex's, and a texture equal to the previous face's of the same mesh.

#include <memory>
#include <string>
#include <map>
#include <vector>

namespace assetgen {
namespace sgf {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;

    Vec3() = default;
    Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    double length() const;
    // Unit vector in the same direction; the zero vector stays zero.
    Vec3 normalised() const;
};

Vec3 cross(const Vec3& a, const Vec3& b);

struct Vec2 {
    double u = 0.0, v = 0.0;
};

// One mesh record: vertices in insertion order and faces in insertion order.
class Mesh {
public:
    explicit Mesh(std::string name);

    const std::string& name() const { return name_; }

    // Index of the vertex; a vertex that prints like an earlier one reuses its index.
    int addVertex(const Vec3& position);

    // Corners in counter-clockwise order seen from the front. The texture path may
    // carry backslash-separated folders; the reader keeps the part after the last one.
    void addTriangle(const Vec3 (&corners)[3], const Vec2 (&uv)[3], const std::string& texture);
    void addQuad(const Vec3 (&corners)[4], const Vec2 (&uv)[4], const std::string& texture);

    size_t vertexCount() const { return vertices_.size(); }
    size_t faceCount() const { return faces_.size(); }
    // Triangles after the reader splits every quad into two.
    size_t triangleCount() const;
    // File names (after the last backslash) of the textures the faces use, sorted.
    std::vector<std::string> textureNames() const;

    void appendXml(std::string& out) const;

private:
    struct Face {
        bool quad = false;
        int indices[4] = {0, 0, 0, 0};
        Vec2 uv[4];
        std::string texture;
    };

    std::string name_;
    std::vector<Vec3> vertices_;
    std::map<std::string, int> vertexLookup_;
    std::vector<Face> faces_;
};

struct Light {
    double intensity = 1.0;
    double red = 1.0, green = 1.0, blue = 1.0;
    Vec3 position;
};

// A whole model: meshes in creation order, then lights.
class Document {
public:
    explicit Document(std::string title);

    // The new mesh stays owned by the document; the reference is valid for its life.
    Mesh& addMesh(const std::string& name);
    void addLight(const Light& light);

    const std::vector<std::unique_ptr<Mesh>>& meshes() const { return meshes_; }
    const std::vector<Light>& lights() const { return lights_; }
    size_t triangleCount() const;

    // The XML text of the document.
    std::string toXml() const;

private:
    std::string title_;
    std::vector<std::unique_ptr<Mesh>> meshes_;
    std::vector<Light> lights_;
};

// Number text as written into the document: four decimals, trailing zeros and
// a trailing point dropped, never "-0".
std::string formatNumber(double value);

// The part of a texture path after its last backslash (the whole path without one).
std::string textureFileName(const std::string& path);

} // namespace sgf
} // namespace assetgen
