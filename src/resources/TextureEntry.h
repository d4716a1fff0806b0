#pragma once
// One entry of the texture catalogue: how the file named fileName becomes a
// texture (colour key, filters, mipmaps, wrap modes). A plain record copied by
// value; TextureResourceFile reads it, TextureDatabase hands it to the factory.
// Settings whose element is absent from the catalogue keep the defaults below,
// which are the registry's defaults for files without an entry.

#include <GL/glew.h>

#include <string>

namespace zel {

struct TextureEntry {
    std::string fileName;
    bool alpha = false;
    int red = 0;
    int green = 0;
    int blue = 0;
    GLint minFilter = GL_LINEAR_MIPMAP_LINEAR;
    GLint magFilter = GL_LINEAR;
    bool mipmaps = true;
    GLint wrapS = GL_REPEAT;
    GLint wrapT = GL_REPEAT;
};

} // namespace zel
