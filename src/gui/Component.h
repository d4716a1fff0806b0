#pragma once
// A coloured, optionally textured rectangle of the overlay, positioned in GUI
// coordinates (origin top-left, y down). Base of the overlay's widgets; its
// render draws the rectangle, blending only when the colour is translucent.

#include <cstdint>

#include "engine/IRenderableObject.h"

namespace zel {

class Texture;

namespace gui {

class Component : public IRenderableObject {
public:
    Component(int x, int y, int width, int height);
    ~Component() override = default;

    // Draws the rectangle. A translucent colour (alpha not exactly 1) is blended
    // and the colour is reset to opaque white afterwards; an opaque one leaves
    // the current colour at the component's colour.
    void render() override;

    void setPosition(int x, int y) { x_ = x; y_ = y; }
    void setSize(int width, int height) { width_ = width; height_ = height; }
    void setColor(float r, float g, float b, float a);
    // A non-null texture is drawn over the rectangle; null draws plain colour.
    void setTexture(Texture* texture) { texture_ = texture; textured_ = texture != nullptr; }

    int getX() const { return x_; }
    int getY() const { return y_; }
    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    const float* getColor() const { return color_; }
    Texture* getTexture() const { return texture_; }
    bool isTextured() const { return textured_; }

protected:
    int x_, y_;
    int width_, height_;
    float color_[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    Texture* texture_ = nullptr; // not owned; lives in the texture database
    bool textured_ = false;
};

} // namespace gui
} // namespace zel
