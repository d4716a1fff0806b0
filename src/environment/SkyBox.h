#pragma once
// The scene's sky: six textured faces of a cube around the viewer, tinted
// darker at night by the day/night value (never below one tenth brightness).
// The world draws it first in its main pass with only the camera's rotation
// applied and depth testing off, so the box can be small and never hides
// anything. The face textures come from the texture database under fixed
// registry names ("sky_front.jpg", ...) whatever file prefix is used.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "environment/ISky.h"
#include "math/Vector3.h"

namespace zel {

class Sprite;
class Texture;

class SkyBox : public ISky {
public:
    // Face order of the texture and quad arrays.
    enum Face { FRONT = 0, BACK = 1, LEFT = 2, RIGHT = 3, BOTTOM = 4, TOP = 5, FACE_COUNT = 6 };

    // prefix names the face image files (prefix + "_front.jpg", ...); halfSize
    // is the distance from the centre to each face. Needs a current GL context:
    // the face textures are loaded here.
    SkyBox(const std::string& prefix, float halfSize);
    ~SkyBox() override;
    SkyBox(const SkyBox&) = delete;
    SkyBox& operator=(const SkyBox&) = delete;

    bool init() override;
    // Leaves 2D texturing enabled and the current colour at the tint.
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // The grey level the faces are tinted with for a day/night value.
    static float tintFor(float dayNightValue);

    const Sprite& getFace(Face face) const { return *faces_[face]; }
    Texture* getFaceTexture(Face face) const { return textures_[face]; }
    const Vector3& getCorner(int index) const { return corners_[index]; }
    float getHalfSize() const { return halfSize_; }

private:
    std::array<Texture*, FACE_COUNT> textures_{}; // not owned; held by the texture database
    std::array<std::unique_ptr<Sprite>, FACE_COUNT> faces_;
    std::array<Vector3, 8> corners_;
    float halfSize_;
};

} // namespace zel
