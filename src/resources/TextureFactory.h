#pragma once
// Turns image files into OpenGL textures: the 2D Texture records the registry
// hands out (a default form and a form with every setting given) and the cube
// map the water reflects. Stateless; needs a current OpenGL context and leaves
// the new texture bound.

#include "resources/Texture.h"

#include <GL/glew.h>

#include <memory>
#include <string>

namespace zel {

class TextureFactory {
public:
    // Trilinear mipmapped, repeating, no colour key. Null (after printing why)
    // when the image cannot be loaded.
    static std::unique_ptr<Texture> createTexture(const std::string& path, const std::string& name);

    // Every setting given; the texture's alpha flag is colorKey.
    static std::unique_ptr<Texture> createTexture(const std::string& path, const std::string& name,
                                                  bool colorKey, int red, int green, int blue,
                                                  GLint minFilter, GLint magFilter, GLint wrapS,
                                                  GLint wrapT, bool mipmaps);

    // Loads basePath + "_back.jpg", "_front.jpg", "_left.jpg", "_right.jpg",
    // "_bottom.jpg", "_top.jpg" into a new cube map; returns its name (owned by
    // the caller) or 0 when an image fails.
    static GLuint createCubeMap(const std::string& basePath);

private:
    static void upload(Texture& texture, GLint minFilter, GLint magFilter, GLint wrapS, GLint wrapT,
                       bool mipmaps);
};

} // namespace zel
