// Textures in a real GL context: what the factory uploads (formats, sizes,
// filters, wrap modes, mipmap levels, keyed alpha, cube map faces), read back
// with glGet*, and the registry's loading, sharing, fallbacks and release.

#include "TestImages.h"
#include "resources/TextureDatabase.h"
#include "resources/TextureFactory.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zel;
using zeltest::captureStdout;
using zeltest::RGBA;

namespace {

GLint texParameter(GLenum target, GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(target, name, &value);
    return value;
}

GLint levelParameter(GLenum target, GLint level, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(target, level, name, &value);
    return value;
}

std::vector<unsigned char> readBack(GLenum target, GLenum format, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

// Binds the texture and checks its 2D parameters.
void expectParameters(const Texture& texture, GLint minFilter, GLint magFilter, GLint wrapS, GLint wrapT) {
    glBindTexture(GL_TEXTURE_2D, texture.getId());
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), minFilter) << texture.getName();
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), magFilter) << texture.getName();
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), wrapS) << texture.getName();
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), wrapT) << texture.getName();
}

// Number of specified mipmap levels of the bound 2D texture.
int levelCount() {
    int levels = 0;
    while (levels < 15 && levelParameter(GL_TEXTURE_2D, levels, GL_TEXTURE_WIDTH) > 0) ++levels;
    return levels;
}

std::string openFailure(const std::string& path) {
    return "[Image]: Error: Could not open file.\n[Image]: Error: Could not load image <" + path + ">.\n";
}

class TextureTest : public zeltest::GLTest {};

} // namespace

TEST_F(TextureTest, DefaultFormBuildsARepeatingMipmappedTexture) {
    const std::string dir = zeltest::scratchDir("factory_default");
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/image.jpg", 8, 4, zeltest::gradient(8, 4)));
    std::unique_ptr<Texture> texture;
    const std::string out = captureStdout([&] { texture = TextureFactory::createTexture(dir + "/image.jpg", "name"); });
    EXPECT_EQ(out, "");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getName(), "name");
    EXPECT_NE(texture->getId(), 0u);
    EXPECT_FALSE(texture->hasAlpha());
    EXPECT_EQ(texture->getWidth(), 8);
    EXPECT_EQ(texture->getHeight(), 4);
    EXPECT_EQ(texture->getImage().format, ImageFormat::RGB);

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getId());
    expectParameters(*texture, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(levelCount(), 4); // 8x4, 4x2, 2x1, 1x1
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 3, GL_TEXTURE_HEIGHT), 1);

    // The texture owns its name.
    const GLuint id = texture->getId();
    texture.reset();
    EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureTest, FullFormAppliesEverySettingAndUploadsOddWidthsExactly) {
    const std::string dir = zeltest::scratchDir("factory_full");
    std::vector<RGBA> pixels = zeltest::gradient(5, 3);
    pixels[1] = {255, 0, 255, 255};
    pixels[13] = {255, 0, 255, 255};
    zeltest::writeBMP24(dir + "/keyed.bmp", 5, 3, pixels);

    GLint alignment = 0;
    auto keyed = TextureFactory::createTexture(dir + "/keyed.bmp", "keyed", true, 255, 0, 255, GL_NEAREST,
                                               GL_NEAREST, GL_CLAMP, GL_CLAMP_TO_EDGE, false);
    ASSERT_NE(keyed, nullptr);
    EXPECT_TRUE(keyed->hasAlpha());
    expectParameters(*keyed, GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 5);
    EXPECT_EQ(levelCount(), 1);
    std::vector<unsigned char> back = readBack(GL_TEXTURE_2D, GL_RGBA, 5, 3);
    for (int i = 0; i < 15; ++i) {
        const bool key = i == 1 || i == 13;
        EXPECT_EQ(back[i * 4 + 3], key ? 0 : 255) << i;
        EXPECT_EQ(back[i * 4], pixels[i].r) << i;
    }

    // Unpadded 24-bit rows of width 5 arrive unchanged.
    auto plain = TextureFactory::createTexture(dir + "/keyed.bmp", "plain", false, 0, 0, 0, GL_LINEAR, GL_LINEAR,
                                               GL_REPEAT, GL_REPEAT, false);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->hasAlpha());
    glBindTexture(GL_TEXTURE_2D, plain->getId());
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    back = readBack(GL_TEXTURE_2D, GL_RGB, 5, 3);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(back[i * 3], pixels[i].r) << i;
        EXPECT_EQ(back[i * 3 + 1], pixels[i].g) << i;
        EXPECT_EQ(back[i * 3 + 2], pixels[i].b) << i;
    }
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4); // left as it was

    // A 32-bit image keeps its own alpha and still counts as keyed.
    std::vector<RGBA> rgba = zeltest::gradient(2, 2, 77);
    zeltest::writeTGA(dir + "/alpha.tga", 2, 2, 32, rgba);
    auto own = TextureFactory::createTexture(dir + "/alpha.tga", "own", true, 0, 0, 0, GL_LINEAR,
                                             GL_LINEAR, GL_REPEAT, GL_REPEAT, true);
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(own->hasAlpha());
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(levelCount(), 2);
    back = readBack(GL_TEXTURE_2D, GL_RGBA, 2, 2);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back[i * 4 + 3], 77);
}

TEST_F(TextureTest, EightBitImageGivesATextureWithoutImage) {
    const std::string dir = zeltest::scratchDir("factory_8bit");
    zeltest::writeBMP8(dir + "/grey.bmp", 4, 4, std::vector<unsigned char>(16, 9));
    std::unique_ptr<Texture> texture;
    const std::string out = captureStdout([&] { texture = TextureFactory::createTexture(dir + "/grey.bmp", "grey"); });
    EXPECT_EQ(out, "[Image]: Warning: Unknown pixeltype!\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_NE(texture->getId(), 0u);
    glBindTexture(GL_TEXTURE_2D, texture->getId());
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
}

TEST_F(TextureTest, FailedImagesGiveNoTexture) {
    const std::string dir = zeltest::scratchDir("factory_failed");
    const std::string missing = dir + "/missing.jpg";
    std::unique_ptr<Texture> texture;
    std::string out = captureStdout([&] { texture = TextureFactory::createTexture(missing, "m"); });
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(out, openFailure(missing) + "Error loading image " + missing + ".\n");

    out = captureStdout([&] {
        texture = TextureFactory::createTexture(missing, "m", false, 0, 0, 0, GL_LINEAR, GL_LINEAR, GL_REPEAT,
                                                GL_REPEAT, false);
    });
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(out, openFailure(missing) + "ERROR: [TextureFactory] Error loading image " + missing + ".\n");

    // Unsupported extensions fail with only the factory's line.
    out = captureStdout([&] { texture = TextureFactory::createTexture(dir + "/x.png", "p"); });
    EXPECT_EQ(out, "Error loading image " + dir + "/x.png.\n");
}

TEST_F(TextureTest, CubeMapFacesInTableOrder) {
    const std::string dir = zeltest::scratchDir("factory_cube");
    const char* suffixes[] = {"_back.jpg", "_front.jpg", "_left.jpg", "_right.jpg", "_bottom.jpg", "_top.jpg"};
    const GLenum targets[] = {GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z,
                              GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                              GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y};
    for (int face = 0; face < 6; ++face) {
        const unsigned char level = static_cast<unsigned char>(20 + face * 40);
        std::vector<RGBA> flat(8 * 8, RGBA{level, static_cast<unsigned char>(255 - level), 128, 255});
        ASSERT_TRUE(zeltest::writeJPEG(dir + "/cube" + suffixes[face], 8, 8, flat));
    }

    GLuint cube = 0;
    std::string out = captureStdout([&] { cube = TextureFactory::createCubeMap(dir + "/cube"); });
    EXPECT_EQ(out, "");
    ASSERT_NE(cube, 0u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    for (int face = 0; face < 6; ++face) {
        EXPECT_EQ(levelParameter(targets[face], 0, GL_TEXTURE_WIDTH), 8) << face;
        EXPECT_EQ(levelParameter(targets[face], 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB) << face;
        const std::vector<unsigned char> back = readBack(targets[face], GL_RGB, 8, 8);
        EXPECT_NEAR(back[0], 20 + face * 40, 3) << face;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);

    // A missing last face: only the loader's lines, no texture.
    std::filesystem::remove(dir + "/cube_top.jpg");
    GLint before = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &before);
    out = captureStdout([&] { cube = TextureFactory::createCubeMap(dir + "/cube"); });
    EXPECT_EQ(cube, 0u);
    EXPECT_EQ(out, openFailure(dir + "/cube_top.jpg"));
    GLint after = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &after);
    EXPECT_EQ(after, before);
}

namespace {

// A texture folder with a default texture, a few images and a catalogue.
class TextureDatabaseTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        dir = zeltest::scratchDir("registry") + "/";
        ASSERT_TRUE(zeltest::writeJPEG(dir + "default.jpg", 8, 8, zeltest::gradient(8, 8)));
        pixels = zeltest::gradient(4, 4);
        pixels[0] = {10, 20, 30, 255};
        pixels[5] = {0, 0, 0, 255};
        for (const char* name : {"a.bmp", "b.bmp", "nearest.bmp", "padded.bmp", "font.bmp", "twice.bmp",
                                 "sky.bmp", "keyed.bmp"}) {
            zeltest::writeBMP24(dir + name, 4, 4, pixels);
        }
        catalogue = dir + "textures.xml";
        std::ofstream(catalogue)
            << "<textures>\n"
               "  <texture><filename>nearest.bmp</filename><filter minfilter=\"nearest\" magfilter=\"nearest\"/>"
               "<wrap s=\"clamp\" t=\"clamp\"/></texture>\n"
               "  <texture><filename> padded.bmp </filename><filter minfilter=\"nearest\"/></texture>\n"
               "  <texture><filename>font.bmp</filename><alpha><alphablend red=\"10\" green=\"20\" blue=\"30\"/>"
               "</alpha><filter minfilter=\"linear\"/></texture>\n"
               "  <texture><filename>twice.bmp</filename><wrap s=\"clamp\"/></texture>\n"
               "  <texture><filename>twice.bmp</filename><wrap t=\"clamp\"/></texture>\n"
               "  <texture><filename>sky.bmp</filename><alpha enabled=\"true\"/></texture>\n"
               "  <texture><filename>keyed.bmp</filename><alpha enabled=\"true\"/><filter minfilter=\"linear\"/>"
               "</texture>\n"
               "</textures>\n";
    }

    std::unique_ptr<TextureDatabase> open(std::string* output = nullptr) {
        std::unique_ptr<TextureDatabase> registry;
        const std::string out = captureStdout([&] { registry = std::make_unique<TextureDatabase>(dir, catalogue); });
        if (output) *output = out;
        return registry;
    }

    std::string dir;
    std::string catalogue;
    std::vector<RGBA> pixels;
};

} // namespace

TEST_F(TextureDatabaseTest, EachNameLoadsOnce) {
    std::string out;
    auto registry = open(&out);
    EXPECT_EQ(out, "INFO: [TextureResourceFile] TextureResourceFile loaded.\n");
    ASSERT_NE(registry->getDefaultTexture(), nullptr);
    EXPECT_EQ(registry->getDefaultTexture()->getName(), "default");
    EXPECT_EQ(registry->getTextureCount(), 0);

    Texture* a = registry->getTexture("a.bmp");
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a, registry->getDefaultTexture());
    EXPECT_EQ(a->getName(), "a.bmp");
    // Once loaded, the file is not read again.
    std::filesystem::remove(dir + "a.bmp");
    out = captureStdout([&] { EXPECT_EQ(registry->getTexture("a.bmp"), a); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(registry->getTextureCount(), 1);
    EXPECT_EQ(registry->findTexture("a.bmp"), a);
    EXPECT_EQ(registry->findTexture("b.bmp"), nullptr);
    EXPECT_EQ(registry->findTexture("default"), nullptr);

    // The lookups share their names: the first one fixes the settings.
    Texture* sky = registry->getClampedTexture("sky", "sky.bmp");
    EXPECT_EQ(registry->getTexture("sky"), sky);
    EXPECT_EQ(registry->getAlphaTexture("b.bmp", "sky"), sky);
    EXPECT_EQ(registry->getTextureCount(), 2);
}

TEST_F(TextureDatabaseTest, MissingFilesGiveTheDefaultEveryTime) {
    auto registry = open();
    const std::string path = dir + "missing.jpg";
    for (int attempt = 0; attempt < 2; ++attempt) {
        Texture* texture = nullptr;
        const std::string out = captureStdout([&] { texture = registry->getTexture("missing.jpg"); });
        EXPECT_EQ(texture, registry->getDefaultTexture());
        EXPECT_EQ(out, openFailure(path) + "Error loading image " + path + ".\n");
    }
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(registry->findTexture("missing.jpg"), nullptr);

    // Catalogue entries go through the full form, with its line.
    std::filesystem::remove(dir + "nearest.bmp");
    std::string out = captureStdout([&] { EXPECT_EQ(registry->getTexture("nearest.bmp"), registry->getDefaultTexture()); });
    EXPECT_EQ(out, openFailure(dir + "nearest.bmp") + "ERROR: [TextureFactory] Error loading image " + dir +
                       "nearest.bmp.\n");

    // Without a default texture the failures yield null.
    std::filesystem::remove(dir + "default.jpg");
    auto bare = open(&out);
    EXPECT_EQ(bare->getDefaultTexture(), nullptr);
    EXPECT_EQ(out, "INFO: [TextureResourceFile] TextureResourceFile loaded.\n" + openFailure(dir + "default.jpg") +
                       "Error loading image " + dir + "default.jpg.\n" +
                       "WARNING: [TextureDatabase] Could not load default texture!\n");
    captureStdout([&] { EXPECT_EQ(bare->getTexture("missing.jpg"), nullptr); });
    EXPECT_NE(bare->getTexture("b.bmp"), nullptr);
}

TEST_F(TextureDatabaseTest, CatalogueSettingsReachTheTextures) {
    auto registry = open();
    Texture* nearest = registry->getTexture("nearest.bmp");
    expectParameters(*nearest, GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP);
    EXPECT_EQ(levelCount(), 1);
    EXPECT_FALSE(nearest->hasAlpha());

    // The entry " padded.bmp " never matches "padded.bmp": defaults apply.
    Texture* padded = registry->getTexture("padded.bmp");
    expectParameters(*padded, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    EXPECT_EQ(levelCount(), 3);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);

    // Two entries for one file: the first counts.
    expectParameters(*registry->getTexture("twice.bmp"), GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_CLAMP, GL_REPEAT);

    // A keyed entry with the default black key.
    Texture* keyed = registry->getTexture("keyed.bmp");
    EXPECT_TRUE(keyed->hasAlpha());
    expectParameters(*keyed, GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    std::vector<unsigned char> back = readBack(GL_TEXTURE_2D, GL_RGBA, 4, 4);
    EXPECT_EQ(back[5 * 4 + 3], 0);
    EXPECT_EQ(back[0 * 4 + 3], 255);
}

TEST_F(TextureDatabaseTest, AlphaAndClampedLookups) {
    auto registry = open();
    // The catalogue's alphablend colour is the key; no mipmaps are built.
    Texture* font = registry->getAlphaTexture("font.bmp", "defaultfont");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->getName(), "defaultfont");
    EXPECT_TRUE(font->hasAlpha());
    expectParameters(*font, GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    EXPECT_EQ(levelCount(), 1);
    std::vector<unsigned char> back = readBack(GL_TEXTURE_2D, GL_RGBA, 4, 4);
    EXPECT_EQ(back[0 * 4 + 3], 0);
    EXPECT_EQ(back[5 * 4 + 3], 255);
    EXPECT_EQ(registry->findTexture("defaultfont"), font);
    EXPECT_EQ(registry->findTexture("font.bmp"), nullptr);

    // Without an entry the key is black.
    Texture* plain = registry->getAlphaTexture("b.bmp", "plainfont");
    expectParameters(*plain, GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT);
    back = readBack(GL_TEXTURE_2D, GL_RGBA, 4, 4);
    EXPECT_EQ(back[0 * 4 + 3], 255);
    EXPECT_EQ(back[5 * 4 + 3], 0);

    // Clamped lookups ignore the catalogue (sky.bmp has alpha there).
    Texture* sky = registry->getClampedTexture("skyface", "sky.bmp");
    EXPECT_FALSE(sky->hasAlpha());
    expectParameters(*sky, GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP);
    EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(levelCount(), 1);

    std::string out = captureStdout([&] { EXPECT_EQ(registry->getClampedTexture("gone", "none.bmp"), registry->getDefaultTexture()); });
    EXPECT_EQ(out, openFailure(dir + "none.bmp") + "ERROR: [TextureFactory] Error loading image " + dir + "none.bmp.\n");
}

TEST_F(TextureDatabaseTest, ReleaseDeletesEverythingOnce) {
    auto registry = open();
    std::vector<GLuint> ids = {registry->getTexture("a.bmp")->getId(), registry->getTexture("b.bmp")->getId(),
                               registry->getDefaultTexture()->getId()};
    for (GLuint id : ids) EXPECT_TRUE(glIsTexture(id));
    registry->release();
    for (GLuint id : ids) EXPECT_FALSE(glIsTexture(id));
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(registry->findTexture("a.bmp"), nullptr);
    EXPECT_EQ(registry->getDefaultTexture(), nullptr);
    EXPECT_EQ(registry->getCatalogue(), nullptr);
    registry->release();
    EXPECT_EQ(registry->getTextureCount(), 0);

    // Destroying a registry deletes its textures too.
    auto other = open();
    const GLuint id = other->getTexture("a.bmp")->getId();
    other.reset();
    EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureDatabaseTest, ProgramRegistryUsesTheRunLayout) {
    // Tests run in the run layout's bin folder, where the generated data lives.
    TextureDatabase& registry = TextureDatabase::getInstance();
    EXPECT_EQ(&registry, &TextureDatabase::getInstance());
    ASSERT_NE(registry.getDefaultTexture(), nullptr);
    EXPECT_EQ(registry.getDefaultTexture()->getName(), "default");
    ASSERT_NE(registry.getCatalogue(), nullptr);
    EXPECT_TRUE(registry.getCatalogue()->isValid());
    TextureDatabase::releaseInstance();
    EXPECT_EQ(registry.getDefaultTexture(), nullptr);
    TextureDatabase::releaseInstance();
}
