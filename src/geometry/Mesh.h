#pragma once
// The unit of static geometry that the octree and the quadtree cull and draw: a
// list of textured triangles with the bounding box and sphere computed from them.
// A plain Mesh draws its triangles one by one, each with its own texture, either
// immediately or from a display list compiled once by init. The SGF model builder
// and the terrain fill meshes with addTriangle; mesh models own them.
//
// Order of use: addTriangle..., (model scaling/placement), init once with a GL
// context current, then render every frame. The box, sphere and height query work
// without a GL context; only init (display list) and render issue GL calls.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/IRenderableObject.h"
#include "geometry/BoundingSphere.h"
#include "geometry/Triangle.h"
#include "math/BoundingBox.h"

namespace zel {

class Texture;

class Mesh : public IRenderableObject {
public:
    static constexpr std::int32_t RENDER_IMMEDIATE = 0;
    static constexpr std::int32_t RENDER_DISPLAY_LIST = 1;
    static constexpr std::int32_t RENDER_VERTEX_BUFFER = 2;

    Mesh();
    // Deletes the display list when one was compiled (RENDER_DISPLAY_LIST).
    ~Mesh() override;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Box, sphere, then (RENDER_DISPLAY_LIST only) the display list. Always true.
    bool init() override;
    // RENDER_IMMEDIATE draws directly, RENDER_DISPLAY_LIST calls the list, any
    // other mode draws nothing.
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Stores a heap copy of the triangle; a triangle without a plane first gets
    // Plane::fromTriangle of its positions, one with a plane keeps (shares) it.
    void addTriangle(Triangle triangle);

    // Height of the first triangle (list order) hit by a vertical line through
    // (x, z) coming down from one unit above the box. False, height untouched,
    // when no triangle is hit or before init (no box yet).
    bool getHeightAt(float x, float z, float& height) const;

    // All-zero box for a mesh without triangles.
    void computeBoundingBox();
    // Grows box so that it encloses every position of this mesh's triangles.
    void extendBox(BoundingBox& box) const;
    // Centre = mean of all positions, radius = largest distance to it. A mesh
    // without triangles gets centre (0, 0, 0) and radius 0.
    void computeBoundingSphere();
    // Draws every triangle with its texture and the current alpha (GL calls).
    void drawImmediate() const;

    const std::vector<std::unique_ptr<Triangle>>& getTriangles() const { return triangles_; }
    // Mutable access for the model's scaling and placement, which rewrite positions.
    std::vector<std::unique_ptr<Triangle>>& getTriangles() { return triangles_; }
    // Null until init (or computeBoundingBox) has run.
    const BoundingBox* getBoundingBox() const { return boundingBox_.get(); }
    // Null until init (or computeBoundingSphere) has run.
    const BoundingSphere* getBoundingSphere() const { return boundingSphere_.get(); }

    float getAlpha() const { return alpha_; }
    void setAlpha(float alpha) { alpha_ = alpha; }
    std::int32_t getRenderMode() const { return renderMode_; }
    // Takes effect at the next init; set it before init, never after.
    void setRenderMode(std::int32_t mode) { renderMode_ = mode; }
    unsigned int getDisplayList() const { return displayList_; }

protected:
    // Compiles drawImmediate into a new display list (GL_COMPILE).
    void compileDisplayList();
    // Blend and alpha-test set-up before drawing with texture at alpha: a texture
    // with transparency gets blending and the alpha test (GL_GREATER 0), an opaque
    // one blending only when alpha < 1; then texturing on, GL_MODULATE, the
    // texture bound. The caller sets the colour.
    static void beginTexturedDraw(const Texture& texture, float alpha);
    // Undoes beginTexturedDraw after the draw (texture may be null: untextured
    // draw): blending and the alpha test off, and below alpha 1 blending off and
    // the colour back to opaque white.
    static void endTexturedDraw(const Texture* texture, float alpha);

    std::vector<std::unique_ptr<Triangle>> triangles_;
    float alpha_ = 1.0f;
    unsigned int displayList_ = 0;
    std::int32_t renderMode_ = RENDER_DISPLAY_LIST;
    std::unique_ptr<BoundingBox> boundingBox_;
    std::unique_ptr<BoundingSphere> boundingSphere_;
};

} // namespace zel
