#include "gui/Component.h"

#include <GL/glew.h>

#include "gui/FontRenderer.h"
#include "resources/Texture.h"

namespace zel {
namespace gui {

Component::Component(int x, int y, int width, int height) : x_(x), y_(y), width_(width), height_(height) {}

void Component::setColor(float r, float g, float b, float a) {
    color_[0] = r;
    color_[1] = g;
    color_[2] = b;
    color_[3] = a;
}

void Component::render() {
    if (textured_ && texture_ != nullptr) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture_->getId());
    } else {
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_TEXTURE_2D);
    }
    const bool translucent = color_[3] != 1.0f;
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glColor4fv(color_);

    const GLPoint corners[4] = {toGLPoint(x_, y_), toGLPoint(x_, y_ + height_), toGLPoint(x_ + width_, y_ + height_),
                                toGLPoint(x_ + width_, y_)};
    static const float texCoords[4][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        if (textured_) glMultiTexCoord2f(GL_TEXTURE0, texCoords[i][0], texCoords[i][1]);
        glVertex2i(corners[i].x, corners[i].y);
    }
    glEnd();

    if (translucent) {
        glDisable(GL_BLEND);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

} // namespace gui
} // namespace zel
