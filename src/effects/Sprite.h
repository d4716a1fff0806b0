#pragma once
// A textured quad in world space, drawn as one immediate-mode quad. Either a
// fixed quad through four corners (the sky box's faces) or a camera-facing
// square around a centre whose corners are recomputed from the current
// model-view matrix at every draw (the fire, the effect test's sprites).
// Corner a carries texture coordinate (0, 0), b (1, 0), c (1, 1), d (0, 1).

#include <cstdint>

#include "engine/IRenderableObject.h"
#include "math/Vector3.h"

namespace zel {

class Texture;

class Sprite : public IRenderableObject {
public:
    // A fixed quad: position is a copy of a, size the length of edge a-b.
    Sprite(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d);
    // A billboard of edge 2 * size centred on position; corners stay zero until the first draw.
    Sprite(const Vector3& position, float size);
    ~Sprite() override = default;

    bool init() override;
    // A sprite without texture changes no GL state: it draws with whatever
    // texture, colour and blending are current.
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Recomputes billboard corners from a column-major model-view matrix: the
    // camera's right axis is row 0 of its rotation, the up axis row 1.
    void faceView(const float modelView[16]);

    void setColor(float r, float g, float b, float a);
    void setTexture(Texture* texture) { texture_ = texture; }
    // Moves a billboard's centre; its corners follow at the next draw. A fixed
    // quad keeps its corners.
    void setPosition(const Vector3& position) { position_ = position; }

    const Vector3& getA() const { return a_; }
    const Vector3& getB() const { return b_; }
    const Vector3& getC() const { return c_; }
    const Vector3& getD() const { return d_; }
    const Vector3& getPosition() const { return position_; }
    float getSize() const { return size_; }
    bool isBillboard() const { return billboard_; }
    const float* getColor() const { return color_; }
    Texture* getTexture() const { return texture_; }

protected:
    float color_[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    Texture* texture_ = nullptr; // not owned; lives in the texture database
    Vector3 a_, b_, c_, d_;
    Vector3 position_;
    bool billboard_ = false;
    float size_ = 0.0f;
    float modelView_[16] = {};
    Vector3 right_;
    Vector3 up_;
};

} // namespace zel
