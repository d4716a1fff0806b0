// The texture factory's uploads read back with glGet*, and the registry's loading, sharing and fallbacks.

#include "resources/TextureDatabase.h"
#include "resources/TextureFactory.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zel;
using zeltest::captureStdout;
using zeltest::RGBA;

namespace {

GLint level0(GLenum target, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(target, 0, name, &value);
    return value;
}

std::vector<unsigned char> readBack(GLenum target, GLenum format, int pixelCount) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(pixelCount) * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

std::string describe(GLint minFilter, GLint magFilter, GLint wrapS, GLint wrapT, int levels, GLint format) {
    return "min " + std::to_string(minFilter) + " mag " + std::to_string(magFilter) + " wrap " +
           std::to_string(wrapS) + "," + std::to_string(wrapT) + " levels " + std::to_string(levels) +
           " format " + std::to_string(format);
}

// Binds the texture; its filters, wrap modes, mipmap level count and level-0
// internal format in one comparable line.
std::string describe(const Texture& texture) {
    glBindTexture(GL_TEXTURE_2D, texture.getId());
    GLint minFilter, magFilter, wrapS, wrapT, width = 1, levels = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    for (; levels < 15; ++levels) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_WIDTH, &width);
        if (width == 0)
            break;
    }
    return describe(minFilter, magFilter, wrapS, wrapT, levels,
                    level0(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT));
}

std::string openFailure(const std::string& path) {
    return "[Image]: Error: Could not open file.\n[Image]: Error: Could not load image <" + path + ">.\n";
}

class TextureTest : public zeltest::GLTest {};

} // namespace

TEST_F(TextureTest, DefaultFormBuildsARepeatingMipmappedTextureOrOneWithoutPixels) {
    const std::string dir = zeltest::scratchDir("factory_default");
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/image.jpg", 8, 4, zeltest::gradient(8, 4)));
    std::unique_ptr<Texture> texture;
    EXPECT_EQ(captureStdout([&] { texture = TextureFactory::createTexture(dir + "/image.jpg", "name"); }),
              "");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getName(), "name");
    EXPECT_FALSE(texture->hasAlpha());
    EXPECT_EQ(texture->getWidth() * 10 + texture->getHeight(), 84);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture->getId());
    // 8x4, 4x2, 2x1, 1x1.
    EXPECT_EQ(describe(*texture),
              describe(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 4, GL_RGB));

    const GLuint id = texture->getId();
    texture.reset();
    EXPECT_FALSE(glIsTexture(id)); // the texture owned its name

    // An 8-bit image gives a texture with its parameters but no image.
    zeltest::writeBMP8(dir + "/grey.bmp", 4, 4, std::vector<unsigned char>(16, 9));
    EXPECT_EQ(captureStdout([&] { texture = TextureFactory::createTexture(dir + "/grey.bmp", "grey"); }),
              "[Image]: Warning: Unknown pixeltype!\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_NE(texture->getId(), 0u);
    glBindTexture(GL_TEXTURE_2D, texture->getId());
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 0);
}

TEST_F(TextureTest, FullFormAppliesEverySettingAndUploadsOddWidthsExactly) {
    const std::string dir = zeltest::scratchDir("factory_full");
    std::vector<RGBA> pixels = zeltest::gradient(5, 3);
    pixels[1] = pixels[13] = {255, 0, 255, 255};
    zeltest::writeBMP24(dir + "/keyed.bmp", 5, 3, pixels);

    auto keyed = TextureFactory::createTexture(dir + "/keyed.bmp", "keyed", true, 255, 0, 255, GL_NEAREST,
                                               GL_NEAREST, GL_CLAMP, GL_CLAMP_TO_EDGE, false);
    ASSERT_NE(keyed, nullptr);
    EXPECT_TRUE(keyed->hasAlpha());
    EXPECT_EQ(describe(*keyed), describe(GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP_TO_EDGE, 1, GL_RGBA));
    std::vector<unsigned char> back = readBack(GL_TEXTURE_2D, GL_RGBA, 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(back[i * 4 + 3], (i == 1 || i == 13) ? 0 : 255) << i;

    // Unpadded 24-bit rows of width 5 arrive unchanged; the unpack alignment is restored.
    auto plain = TextureFactory::createTexture(dir + "/keyed.bmp", "plain", false, 0, 0, 0, GL_LINEAR,
                                               GL_LINEAR, GL_REPEAT, GL_REPEAT, false);
    EXPECT_EQ(describe(*plain), describe(GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_RGB));
    back = readBack(GL_TEXTURE_2D, GL_RGB, 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_TRUE(back[i * 3] == pixels[i].r && back[i * 3 + 1] == pixels[i].g &&
                    back[i * 3 + 2] == pixels[i].b)
            << i;
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

TEST_F(TextureTest, CubeMapFacesInTableOrder) {
    const std::string dir = zeltest::scratchDir("factory_cube");
    const char* suffixes[] = {"_back.jpg",  "_front.jpg",  "_left.jpg",
                              "_right.jpg", "_bottom.jpg", "_top.jpg"};
    const GLenum targets[] = {GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z,
                              GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                              GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y};
    for (int face = 0; face < 6; ++face) {
        const unsigned char level = static_cast<unsigned char>(20 + face * 40);
        ASSERT_TRUE(zeltest::writeJPEG(dir + "/cube" + suffixes[face], 8, 8,
                                       std::vector<RGBA>(64, {level, 0, 128, 255})));
    }
    GLuint cube = 0;
    EXPECT_EQ(captureStdout([&] { cube = TextureFactory::createCubeMap(dir + "/cube"); }), "");
    ASSERT_NE(cube, 0u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    GLint filters[2] = {0, 0};
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &filters[0]);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, &filters[1]);
    EXPECT_TRUE(filters[0] == GL_NEAREST && filters[1] == GL_NEAREST);
    for (int face = 0; face < 6; ++face) {
        EXPECT_EQ(level0(targets[face], GL_TEXTURE_WIDTH), 8) << face;
        EXPECT_EQ(level0(targets[face], GL_TEXTURE_INTERNAL_FORMAT), GL_RGB) << face;
        EXPECT_NEAR(readBack(targets[face], GL_RGB, 64)[0], 20 + face * 40, 3) << face;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);

    // A missing last face: only the loader's lines, no texture.
    std::filesystem::remove(dir + "/cube_top.jpg");
    EXPECT_EQ(captureStdout([&] { cube = TextureFactory::createCubeMap(dir + "/cube"); }),
              openFailure(dir + "/cube_top.jpg"));
    EXPECT_EQ(cube, 0u);
}

namespace {

// A texture folder with a default texture, a few images and a catalogue.
class TextureDatabaseTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        zeltest::GLTest::SetUp();
        root = zeltest::scratchDir("registry");
        dir = root + "/textures/";
        std::filesystem::create_directory(dir);
        ASSERT_TRUE(zeltest::writeJPEG(dir + "default.jpg", 8, 8, zeltest::gradient(8, 8)));
        std::vector<RGBA> pixels = zeltest::gradient(4, 4);
        pixels[0] = {10, 20, 30, 255};
        pixels[5] = {0, 0, 0, 255};
        for (const char* name : {"a.bmp", "b.bmp", "nearest.bmp", "font.bmp", "sky.bmp"})
            zeltest::writeBMP24(dir + name, 4, 4, pixels);
        zeltest::writeBMP24(root + "/outside.bmp", 2, 2, pixels);
        std::ofstream(dir + "textures.xml")
            << "<textures><texture><filename>nearest.bmp</filename><filter minfilter=\"nearest\" "
               "magfilter=\"nearest\"/><wrap s=\"clamp\" t=\"clamp\"/></texture>"
               "<texture><filename>font.bmp</filename><alpha><alphablend red=\"10\" green=\"20\" "
               "blue=\"30\"/>"
               "</alpha><filter minfilter=\"linear\"/></texture>"
               "<texture><filename>sky.bmp</filename><alpha enabled=\"true\"/><filter minfilter=\"linear\"/>"
               "</texture></textures>";
    }

    std::unique_ptr<TextureDatabase> open(std::string* output = nullptr) {
        std::unique_ptr<TextureDatabase> registry;
        const std::string out =
            captureStdout([&] { registry = std::make_unique<TextureDatabase>(dir, dir + "textures.xml"); });
        if (output)
            *output = out;
        return registry;
    }

    std::string root, dir;
};

} // namespace

TEST_F(TextureDatabaseTest, EachNameLoadsOnceUntilReleased) {
    std::string out;
    auto registry = open(&out);
    EXPECT_EQ(out, "INFO: [TextureResourceFile] TextureResourceFile loaded.\n");
    ASSERT_NE(registry->getDefaultTexture(), nullptr);
    EXPECT_EQ(registry->getDefaultTexture()->getName(), "default");

    Texture* a = registry->getTexture("a.bmp");
    ASSERT_NE(a, registry->getDefaultTexture());
    std::filesystem::remove(dir + "a.bmp"); // never read again
    EXPECT_EQ(captureStdout([&] { EXPECT_EQ(registry->getTexture("a.bmp"), a); }), "");
    EXPECT_EQ(registry->getTextureCount(), 1);
    EXPECT_EQ(registry->findTexture("a.bmp"), a);
    EXPECT_EQ(registry->findTexture("b.bmp"), nullptr);
    EXPECT_EQ(registry->findTexture("default"), nullptr);

    // The lookups share their names: the first one fixes the settings.
    Texture* sky = registry->getClampedTexture("sky", "sky.bmp");
    EXPECT_EQ(registry->getTexture("sky"), sky);
    EXPECT_EQ(registry->getAlphaTexture("b.bmp", "sky"), sky);
    EXPECT_EQ(registry->getTextureCount(), 2);

    // Release deletes every texture once; destruction releases too.
    const GLuint ids[] = {a->getId(), registry->getDefaultTexture()->getId()};
    registry->release();
    for (GLuint id : ids)
        EXPECT_FALSE(glIsTexture(id));
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(registry->findTexture("a.bmp"), nullptr);
    EXPECT_EQ(registry->getDefaultTexture(), nullptr);
    EXPECT_EQ(registry->getCatalogue(), nullptr);
    registry->release();
    auto other = open();
    const GLuint id = other->getTexture("b.bmp")->getId();
    other.reset();
    EXPECT_FALSE(glIsTexture(id));
}

TEST_F(TextureDatabaseTest, MissingFilesGiveTheDefaultEveryTime) {
    auto registry = open();
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(captureStdout(
                      [&] { EXPECT_EQ(registry->getTexture("missing.jpg"), registry->getDefaultTexture()); }),
                  openFailure(dir + "missing.jpg") + "Error loading image " + dir + "missing.jpg.\n");
    }
    EXPECT_EQ(registry->getTextureCount(), 0);
    std::filesystem::remove(dir + "nearest.bmp"); // catalogue entries use the full form
    EXPECT_EQ(captureStdout([&] { registry->getTexture("nearest.bmp"); }),
              openFailure(dir + "nearest.bmp") + "ERROR: [TextureFactory] Error loading image " + dir +
                  "nearest.bmp.\n");

    // Without a default texture the failures yield null.
    std::filesystem::remove(dir + "default.jpg");
    std::string out;
    auto bare = open(&out);
    EXPECT_EQ(bare->getDefaultTexture(), nullptr);
    EXPECT_EQ(out, "INFO: [TextureResourceFile] TextureResourceFile loaded.\n" +
                       openFailure(dir + "default.jpg") + "Error loading image " + dir +
                       "default.jpg.\nWARNING: [TextureDatabase] Could not load default texture!\n");
    captureStdout([&] { EXPECT_EQ(bare->getTexture("missing.jpg"), nullptr); });
    EXPECT_NE(bare->getTexture("b.bmp"), nullptr);
}

TEST_F(TextureDatabaseTest, SettingsOfTheThreeLookups) {
    auto registry = open();
    EXPECT_EQ(describe(*registry->getTexture("nearest.bmp")),
              describe(GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP, 1, GL_RGB));
    Texture* keyed = registry->getTexture("sky.bmp"); // catalogue alpha with the default black key
    EXPECT_TRUE(keyed->hasAlpha());
    EXPECT_EQ(describe(*keyed), describe(GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_RGBA));
    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_RGBA, 16)[5 * 4 + 3], 0);

    // The font's key colour comes from its alphablend entry; no mipmaps.
    Texture* font = registry->getAlphaTexture("font.bmp", "defaultfont");
    EXPECT_EQ(font->getName(), "defaultfont");
    EXPECT_TRUE(font->hasAlpha());
    EXPECT_EQ(describe(*font), describe(GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_RGBA));
    std::vector<unsigned char> back = readBack(GL_TEXTURE_2D, GL_RGBA, 16);
    EXPECT_EQ(back[0 * 4 + 3] * 1000 + back[5 * 4 + 3], 0 * 1000 + 255);
    // Without an entry the key is black.
    EXPECT_EQ(describe(*registry->getAlphaTexture("b.bmp", "plain")),
              describe(GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_RGBA));
    back = readBack(GL_TEXTURE_2D, GL_RGBA, 16);
    EXPECT_EQ(back[0 * 4 + 3] * 1000 + back[5 * 4 + 3], 255 * 1000 + 0);

    // Clamped lookups ignore the catalogue (sky.bmp is keyed there).
    Texture* face = registry->getClampedTexture("skyface", "sky.bmp");
    EXPECT_FALSE(face->hasAlpha());
    EXPECT_EQ(describe(*face), describe(GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP, 1, GL_RGB));
}

TEST_F(TextureDatabaseTest, NamesLeavingTheTextureFolderGetTheDefault) {
    auto registry = open();
    const std::string err = zeltest::captureStderr([&] {
        EXPECT_EQ(registry->getTexture("../outside.bmp"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getTexture(root + "/outside.bmp"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getAlphaTexture("../outside.bmp", "a"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getClampedTexture("c", std::string("a.bmp\0", 6)), registry->getDefaultTexture());
    });
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(err.rfind("ERROR: [TextureDatabase] Texture name \"../outside.bmp\" leaves the "
                        "texture directory; the default texture is used.\n",
                        0),
              0u)
        << err;
}

TEST_F(TextureDatabaseTest, ProgramRegistryUsesTheRunLayout) {
    // Tests run in the run layout's bin folder, next to the generated data.
    TextureDatabase& registry = TextureDatabase::getInstance();
    EXPECT_EQ(&registry, &TextureDatabase::getInstance());
    ASSERT_NE(registry.getDefaultTexture(), nullptr);
    EXPECT_TRUE(registry.getCatalogue()->isValid());
    // Every catalogued file loads, silently, as itself.
    for (const TextureEntry& entry : registry.getCatalogue()->getEntries()) {
        Texture* texture = nullptr;
        EXPECT_EQ(captureStdout([&] { texture = registry.getTexture(entry.fileName); }), "")
            << entry.fileName;
        EXPECT_EQ(texture->getName(), entry.fileName);
        EXPECT_EQ(texture->hasAlpha(), entry.alpha) << entry.fileName;
    }
    TextureDatabase::releaseInstance();
    EXPECT_EQ(registry.getDefaultTexture(), nullptr);
    TextureDatabase::releaseInstance();
}
