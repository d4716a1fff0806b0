#include "resources/TextureFactory.h"

#include <GL/glu.h>

#include <cstdio>

#include "engine/Profiler.h"

namespace zel {

namespace {

const char* const SOURCE = "TextureFactory";

// Rows of RGB images are width * 3 bytes long with no padding, so uploads read
// them with byte alignment; the previous alignment is restored afterwards.
class ByteAlignedUnpack {
public:
    ByteAlignedUnpack() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~ByteAlignedUnpack() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous); }
    ByteAlignedUnpack(const ByteAlignedUnpack&) = delete;
    ByteAlignedUnpack& operator=(const ByteAlignedUnpack&) = delete;

private:
    GLint previous = 4;
};

// The GL pixel format of image's bytes: false for depths other than 24 and
// 32 bits, which get no texture image.
bool pixelFormatOf(const Image& image, GLenum& format) {
    if (image.format == ImageFormat::RGBA) {
        format = GL_RGBA;
    } else if (image.format == ImageFormat::RGB) {
        format = GL_RGB;
    } else {
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<Texture> TextureFactory::createTexture(const std::string& path, const std::string& name) {
    Profiler::Scope profile(Profiler::Textures);
    auto image = std::make_unique<Image>(path, false, 0, 0, 0);
    if (!image->loaded) {
        printf("Error loading image %s.\n", path.c_str());
        return nullptr;
    }
    auto texture = std::make_unique<Texture>(name, std::move(image));
    upload(*texture, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, true);
    texture->setAlpha(false);
    return texture;
}

std::unique_ptr<Texture> TextureFactory::createTexture(const std::string& path, const std::string& name,
                                                       bool colorKey, int red, int green, int blue,
                                                       GLint minFilter, GLint magFilter, GLint wrapS,
                                                       GLint wrapT, bool mipmaps) {
    Profiler::Scope profile(Profiler::Textures);
    auto image = std::make_unique<Image>(path, colorKey, red, green, blue);
    if (!image->loaded) {
        printf("ERROR: [%s] Error loading image %s.\n", SOURCE, path.c_str());
        return nullptr;
    }
    auto texture = std::make_unique<Texture>(name, std::move(image));
    upload(*texture, minFilter, magFilter, wrapS, wrapT, mipmaps);
    texture->setAlpha(colorKey);
    return texture;
}

void TextureFactory::upload(Texture& texture, GLint minFilter, GLint magFilter, GLint wrapS, GLint wrapT,
                            bool mipmaps) {
    glBindTexture(GL_TEXTURE_2D, texture.generateId());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);

    const Image& image = texture.getImage();
    GLenum pixelFormat;
    if (!pixelFormatOf(image, pixelFormat)) {
        return; // other depths get no texture image, only the parameters
    }
    ByteAlignedUnpack alignment;
    if (mipmaps) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(pixelFormat), texture.getWidth(),
                          texture.getHeight(), pixelFormat, GL_UNSIGNED_BYTE, image.data.get());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(pixelFormat), texture.getWidth(),
                     texture.getHeight(), 0, pixelFormat, GL_UNSIGNED_BYTE, image.data.get());
    }
}

GLuint TextureFactory::createCubeMap(const std::string& basePath) {
    Profiler::Scope profile(Profiler::Textures);
    static const char* const SUFFIXES[6] = {"_back.jpg", "_front.jpg", "_left.jpg",
                                            "_right.jpg", "_bottom.jpg", "_top.jpg"};
    static const GLenum TARGETS[6] = {GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z,
                                      GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                                      GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y};

    std::unique_ptr<Image> faces[6];
    for (int i = 0; i < 6; ++i) {
        faces[i] = std::make_unique<Image>(basePath + SUFFIXES[i], false, 0, 0, 0);
        if (!faces[i]->loaded) {
            return 0;
        }
    }

    GLuint id = 0;
    glEnable(GL_TEXTURE_CUBE_MAP);
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    {
        ByteAlignedUnpack alignment;
        for (int i = 0; i < 6; ++i) {
            const Image& image = *faces[i];
            GLenum pixelFormat;
            if (!pixelFormatOf(image, pixelFormat)) {
                continue;
            }
            glTexImage2D(TARGETS[i], 0, static_cast<GLint>(pixelFormat), image.width, image.height, 0,
                         pixelFormat, GL_UNSIGNED_BYTE, image.data.get());
        }
    }
    glDisable(GL_TEXTURE_CUBE_MAP);
    return id;
}

} // namespace zel
