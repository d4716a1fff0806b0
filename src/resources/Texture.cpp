#include "resources/Texture.h"

namespace zel {

Texture::Texture(const std::string& name, std::unique_ptr<Image> image)
    : name(name),
      id(0),
      width(image ? image->width : 0),
      height(image ? image->height : 0),
      image(std::move(image)),
      alpha(false) {}

Texture::~Texture() {
    if (id != 0) {
        glDeleteTextures(1, &id);
    }
}

std::string Texture::getName() const {
    return name;
}

GLuint Texture::getId() const {
    return id;
}

bool Texture::hasAlpha() const {
    return alpha;
}

int Texture::getWidth() const {
    return width;
}

int Texture::getHeight() const {
    return height;
}

const Image& Texture::getImage() const {
    return *image;
}

GLuint Texture::generateId() {
    if (id == 0) {
        glGenTextures(1, &id);
    }
    return id;
}

void Texture::setAlpha(bool alpha) {
    this->alpha = alpha;
}

} // namespace zel
