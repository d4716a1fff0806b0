#pragma once
// One loaded 2D texture: its registry name, the OpenGL texture name it owns, its
// size, the decoded image it was made from and whether it was made with a
// colour key (then drawn with blending and alpha testing). Created by the
// texture factory, owned by the texture registry; everyone else keeps a plain
// pointer and never deletes it.

#include "resources/Image.h"

#include <GL/glew.h>

#include <memory>
#include <string>

namespace zel {

class Texture {
public:
    // Takes ownership of the image; width and height are copied from it.
    Texture(const std::string& name, std::unique_ptr<Image> image);
    // Deletes the OpenGL texture name (once) and the image.
    virtual ~Texture();

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    std::string getName() const;
    GLuint getId() const;
    bool hasAlpha() const;
    int getWidth() const;
    int getHeight() const;
    const Image& getImage() const;

    // Generates the OpenGL texture name this texture owns (done once by the
    // factory before uploading); returns it.
    GLuint generateId();
    void setAlpha(bool alpha);

private:
    std::string name;
    GLuint id;
    int width;
    int height;
    std::unique_ptr<Image> image;
    bool alpha;
};

} // namespace zel
