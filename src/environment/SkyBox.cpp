#include "environment/SkyBox.h"

#include <GL/glew.h>

#include "effects/Sprite.h"
#include "environment/DayNightCycle.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"

namespace zel {

SkyBox::SkyBox(const std::string& prefix, float halfSize) : halfSize_(halfSize) {
    const float s = halfSize;
    corners_[0] = Vector3(-s, s, s);
    corners_[1] = Vector3(s, s, s);
    corners_[2] = Vector3(-s, -s, s);
    corners_[3] = Vector3(s, -s, s);
    corners_[4] = Vector3(-s, s, -s);
    corners_[5] = Vector3(s, s, -s);
    corners_[6] = Vector3(-s, -s, -s);
    corners_[7] = Vector3(s, -s, -s);

    // Corner a of each face carries texture coordinate (0, 0); picking a and b on
    // the upper edge keeps every image upright when seen from inside the box.
    const auto& c = corners_;
    faces_[FRONT] = std::make_unique<Sprite>(c[1], c[0], c[2], c[3]);
    faces_[BACK] = std::make_unique<Sprite>(c[4], c[5], c[7], c[6]);
    faces_[LEFT] = std::make_unique<Sprite>(c[5], c[1], c[3], c[7]);
    faces_[RIGHT] = std::make_unique<Sprite>(c[0], c[4], c[6], c[2]);
    faces_[BOTTOM] = std::make_unique<Sprite>(c[7], c[3], c[2], c[6]);
    faces_[TOP] = std::make_unique<Sprite>(c[5], c[4], c[0], c[1]);

    // The registry names are fixed so that every sky box shares one set of
    // entries; only the files they are first loaded from follow the prefix.
    TextureDatabase& db = TextureDatabase::getInstance();
    textures_[BACK] = db.getClampedTexture("sky_back.jpg", prefix + "_back.jpg");
    textures_[FRONT] = db.getClampedTexture("sky_front.jpg", prefix + "_front.jpg");
    textures_[RIGHT] = db.getClampedTexture("sky_right.jpg", prefix + "_right.jpg");
    textures_[LEFT] = db.getClampedTexture("sky_left.jpg", prefix + "_left.jpg");
    textures_[BOTTOM] = db.getClampedTexture("sky_bottom.jpg", prefix + "_bottom.jpg");
    textures_[TOP] = db.getClampedTexture("sky_top.jpg", prefix + "_top.jpg");
}

SkyBox::~SkyBox() = default;

bool SkyBox::init() { return true; }

void SkyBox::update(std::uint32_t) {}

float SkyBox::tintFor(float dayNightValue) {
    // Even the darkest night keeps the sky faintly visible.
    return dayNightValue < 0.1f ? 0.1f : dayNightValue;
}

void SkyBox::render() {
    const float tint = tintFor(DayNightCycle::instance().getValue());
    glColor4f(tint, tint, tint, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    static const Face ORDER[FACE_COUNT] = {BACK, FRONT, LEFT, RIGHT, TOP, BOTTOM};
    for (Face face : ORDER) {
        glEnable(GL_TEXTURE_2D);
        Texture* texture = textures_[face];
        glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->getId() : 0);
        faces_[face]->render();
    }
}

} // namespace zel
