#pragma once
// A mesh whose triangles all share one texture. It is drawn from three static
// vertex buffers in one call, lit per pixel by the world's three-light shader, and
// fades out between FADE_START and FADE_END units from the camera. Built by the
// SGF model builder for single-texture records and by the terrain.
//
// Construction needs the texture registry (a GL context) for the default texture
// and reads the lighting program of World::current() (null program when there is
// no world: the mesh is then drawn unlit). init needs the world's lights.

#include <cstdint>
#include <memory>

#include "geometry/Mesh.h"

namespace zel {

class Texture;
class VBO;
class LightShader;

class SingleTexturedMesh : public Mesh {
public:
    static constexpr float FADE_START = 180.0f;
    static constexpr float FADE_END = 200.0f;

    SingleTexturedMesh();
    // Releases the vertex buffer, then the light shader, then the Mesh part.
    ~SingleTexturedMesh() override;

    // Box, sphere, display list (only if the mode was switched to it), vertex
    // buffer, lights of the world. Always true.
    bool init() override;
    // Distance fade against the world's camera, then draw when alpha > 0.
    void render() override;

    // The fade value for a camera eye at eye (a sphere of radius 1) and a mesh
    // sphere: 1 when the spheres touch or D < FADE_START, 0 when D > FADE_END,
    // linear in between (D = distance from eye to the sphere's centre).
    static float fadeAlpha(const Vector3& eye, const BoundingSphere& sphere);

    // Binds texture and light shader and draws the vertex buffer with alpha.
    void draw();
    // vertexCount = 3 x triangles, a new VBO filled with every triangle, uploaded.
    void buildVertexBuffer();
    // Appends the world's first lights to the light shader while it holds fewer
    // than three; with fewer than three in the world it attaches what exists and
    // the shader stays inactive (the mesh is drawn unlit).
    void attachLights();

    Texture* getTexture() const { return texture_; }
    // Not owned; null draws untextured.
    void setTexture(Texture* texture) { texture_ = texture; }
    const VBO* getVBO() const { return vbo_.get(); }
    std::int32_t getVertexCount() const { return vertexCount_; }
    LightShader* getLightShader() const { return lightShader_.get(); }

private:
    Texture* texture_ = nullptr;  // owned by the TextureDatabase
    std::unique_ptr<VBO> vbo_;
    std::int32_t vertexCount_ = 0;
    std::unique_ptr<LightShader> lightShader_;
};

} // namespace zel
