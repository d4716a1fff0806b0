#include "effects/Sprite.h"

#include <GL/glew.h>

#include "resources/Texture.h"

namespace zel {

Sprite::Sprite(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d)
    : a_(a), b_(b), c_(c), d_(d), position_(a), billboard_(false) {
    size_ = squareRoot((a - b).lengthSquared());
}

Sprite::Sprite(const Vector3& position, float size)
    : position_(position), billboard_(true), size_(size) {}

bool Sprite::init() { return true; }

void Sprite::update(std::uint32_t) {}

void Sprite::setColor(float r, float g, float b, float a) {
    color_[0] = r;
    color_[1] = g;
    color_[2] = b;
    color_[3] = a;
}

void Sprite::faceView(const float modelView[16]) {
    for (int i = 0; i < 16; ++i) {
        modelView_[i] = modelView[i];
    }
    right_ = Vector3(modelView_[0], modelView_[4], modelView_[8]);
    up_ = Vector3(modelView_[1], modelView_[5], modelView_[9]);
    const float s = size_;
    a_ = position_ + (up_ - right_) * s;
    b_ = position_ + (right_ + up_) * s;
    c_ = position_ + (right_ - up_) * s;
    d_ = position_ - (right_ + up_) * s;
}

void Sprite::render() {
    if (billboard_) {
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        faceView(m);
    }

    const bool textured = texture_ != nullptr;
    const bool alpha = textured && texture_->hasAlpha();
    if (textured) {
        if (alpha) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(GL_GREATER, 0.0f);
        }
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, texture_->getId());
        glColor4fv(color_);
    }

    glBegin(GL_QUADS);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 0.0f, 1.0f);
    glVertex3f(d_.x, d_.y, d_.z);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 1.0f, 1.0f);
    glVertex3f(c_.x, c_.y, c_.z);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 1.0f, 0.0f);
    glVertex3f(b_.x, b_.y, b_.z);
    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, 0.0f, 0.0f);
    glVertex3f(a_.x, a_.y, a_.z);
    glEnd();

    if (textured) {
        if (alpha) {
            glDisable(GL_BLEND);
            glDisable(GL_ALPHA_TEST);
        }
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

} // namespace zel
