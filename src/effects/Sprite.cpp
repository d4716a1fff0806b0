#include "effects/Sprite.h"

namespace zel {

Sprite::Sprite(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d)
    : a_(a), b_(b), c_(c), d_(d), position_(a), billboard_(false) {
    size_ = squareRoot((a - b).lengthSquared());
}

Sprite::Sprite(const Vector3& position, float size)
    : position_(position), billboard_(true), size_(size) {}

bool Sprite::init() { return true; }
void Sprite::render() {}
void Sprite::update(std::uint32_t) {}
void Sprite::setColor(float r, float g, float b, float a) {
    color_[0] = r;
    color_[1] = g;
    color_[2] = b;
    color_[3] = a;
}
void Sprite::faceView(const float*) {}

} // namespace zel
