// Textures: the catalogue's settings and its bad files, the factory's uploads read back with glGet*, and
// the registry's loading, sharing and fallbacks.

#include "resources/TextureDatabase.h"
#include "resources/TextureFactory.h"
#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

using namespace zel;
using zeltest::captureStdout;
using zeltest::RGBA;

namespace {

const char* const LOADED = "INFO: [TextureResourceFile] TextureResourceFile loaded.\n";
const char* const FAILED = "ERROR: [TextureResourceFile] TextureResourceFile could not be loaded.\n";

// The catalogue read from path, with what it printed on standard output and error.
std::unique_ptr<TextureResourceFile> read(const std::string& path, std::string* out, std::string* err) {
    std::unique_ptr<TextureResourceFile> catalogue;
    *err = zeltest::captureStderr([&] {
        *out = zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(path); });
    });
    return catalogue;
}

// alpha, key colour, filters, mipmaps and wrap modes in one comparable line.
std::string describe(bool alpha, int r, int g, int b, GLint min, GLint mag, bool mip, GLint s, GLint t) {
    std::ostringstream line;
    line << alpha << " " << r << "," << g << "," << b << " min " << min << " mag " << mag << " mip " << mip
         << " wrap " << s << "," << t;
    return line.str();
}

std::string describe(const TextureEntry& e) {
    return describe(e.alpha, e.red, e.green, e.blue, e.minFilter, e.magFilter, e.mipmaps, e.wrapS, e.wrapT);
}

GLint level0(GLenum target, GLenum name, int level = 0) {
    GLint value = -1;
    glGetTexLevelParameteriv(target, level, name, &value);
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
    GLint value[4];
    int i = 0;
    for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value[i++]);
    int levels = 0;
    while (levels < 15 && level0(GL_TEXTURE_2D, GL_TEXTURE_WIDTH, levels) != 0)
        ++levels;
    return describe(value[0], value[1], value[2], value[3], levels,
                    level0(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT));
}

std::string openFailure(const std::string& path) {
    return "[Image]: Error: Could not open file.\n[Image]: Error: Could not load image <" + path + ">.\n";
}

class TextureTest : public zeltest::GLTest {};

} // namespace

TEST(TextureResourceFile, ReadsEverySetting) {
    const std::string path = zeltest::writeFile(
        zeltest::scratchDir("catalogue"), "textures.xml",
        "<textures><texture><!-- skipped --><filename>font.bmp</filename> text "
        "  <alpha enabled=\"true\"><alphablend red=\"255\" green=\" 12abc\" blue=\"-5\"/></alpha>"
        "  <filter minfilter=\"nearest\" magfilter=\"nearest\"/><wrap s=\"clamp\" t=\"repeat\"/>"
        "  <unknown minfilter=\"linear\"/></texture>"
        "<texture><filename>reset.jpg</filename>"
        "<filter minfilter=\"linear\" magfilter=\"nearest\"/>  <wrap s=\"clamp\" "
        "t=\"clamp\"/><filter/><wrap/></texture>"
        "<texture><filename>odd.jpg</filename><filter minfilter=\"LINEAR\" magfilter=\"bilinear\"/>"
        "  <wrap s=\"CLAMP\" t=\"mirror\"/><alpha enabled=\"True\"><alphablend "
        "red=\"abc\"/></alpha></texture>"
        "<texture><filename>alpha.jpg</filename>"
        "  <alpha enabled=\"true\"><alphablend red=\"1\" green=\"2\" blue=\"3\"/></alpha>"
        "  <alpha><alphablend green=\"9\"/></alpha><alpha enabled=\"no\"><x/><alphablend red=\"7\"/></alpha>"
        "</texture><texture><filename> padded.jpg </filename><filter minfilter=\"nearest\"/></texture>"
        "<nested><texture><filename>nested.jpg</filename></texture></nested></textures>");
    std::string out, err;
    auto catalogue = read(path, &out, &err);
    EXPECT_EQ(out + err, LOADED);
    const GLint TRILINEAR = GL_LINEAR_MIPMAP_LINEAR;
    const std::string plain = describe(false, 0, 0, 0, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT);
    const struct {
        const char* name;
        std::string settings;
    } entries[] = {
        {"font.bmp", describe(true, 255, 12, -5, GL_NEAREST, GL_NEAREST, false, GL_CLAMP, GL_REPEAT)},
        // A later filter or wrap element replaces an earlier one in full; unknown values keep the
        // reset values; names and values are case-sensitive.
        {"reset.jpg", plain},
        {"odd.jpg", plain},
        // A later alpha element overrides only what it carries; alphablend counts only as the first
        // element child.
        {"alpha.jpg", describe(false, 1, 9, 3, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT)},
        // File names are verbatim. (The first of several entries for a name counts: the duplicates below.)
        {" padded.jpg ", describe(false, 0, 0, 0, GL_NEAREST, GL_LINEAR, false, GL_REPEAT, GL_REPEAT)},
    };
    for (const auto& e : entries) {
        EXPECT_TRUE(catalogue->hasEntry(e.name)) << e.name; // a missing entry reads as plain
        EXPECT_EQ(describe(catalogue->getEntry(e.name)), e.settings) << e.name;
    }
    // Only texture elements directly under the root are entries.
    EXPECT_FALSE(catalogue->hasEntry("nested.jpg"));
}

TEST(TextureResourceFile, BadAndHostileFilesAndAMalformedEntryStopTheReading) {
    const std::string dir = zeltest::scratchDir("catalogue_bad");
    std::string deep = "<textures>";
    for (int i = 0; i < 5000; ++i)
        deep += "<texture>";
    const std::string first = "<textures><texture><filename>a.jpg</filename></texture>";
    const std::string last = "<texture><filename>c.jpg</filename></texture></textures>";
    const std::string error = "ERROR: [TextureResourceFile] " + dir + "/";
    // 5000 entries for one name, each with another key colour: all are kept, and lookups answer
    // with the first, without time growing with the square of the count.
    std::string duplicates = "<textures>";
    for (int i = 0; i < 5000; ++i) {
        duplicates += "<texture><filename>a.jpg</filename><alpha enabled='true'><alphablend red='" +
                      std::to_string(i % 256) + "' green='" + std::to_string(i + 1) + "'/></alpha></texture>";
    }
    const struct {
        std::string name, text, err;
        std::size_t entries = 0; // a.jpg when 1
        bool valid = true;
    } cases[] = {
        {"missing.xml", "", ""},
        {"open.xml", "<textures><texture><filename>a.jpg</filename>", ""},
        {"deep.xml", deep, ""}, // nesting beyond the parser's depth limit
        {"duplicates.xml", duplicates + last, "", 5001},
        // Over the size limit: refused without parsing.
        {"big.xml", first + std::string(TextureResourceFile::MAX_FILE_BYTES, ' ') + "</textures>",
         error + "big.xml is larger than its size limit (4194304 bytes); it is not read.\n", 0, false},
        {"alpha_first.xml", first + "<texture><alpha/><filename>b.jpg</filename></texture>" + last, "", 1,
         false},
        {"empty_name.xml", first + "<texture><filename/></texture>" + last, "", 1, false},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases) {
        if (c.name != "missing.xml")
            zeltest::writeFile(dir, c.name, c.text);
        std::string out, err;
        auto catalogue = read(dir + "/" + c.name, &out, &err);
        EXPECT_EQ(err, c.err) << c.name;
        EXPECT_EQ(out, c.valid ? LOADED : FAILED) << c.name;
        EXPECT_EQ(catalogue->isValid(), c.valid) << c.name;
        ASSERT_EQ(catalogue->getEntries().size(), c.entries) << c.name;
        EXPECT_EQ(catalogue->getEntry("a.jpg").green, c.entries > 1 ? 1 : 0) << c.name;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(TextureTest, BothFormsAndCubeMapsUploadWithTheirSettingsAndOddWidthsExactly) {
    const std::string dir = zeltest::scratchDir("factory");
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/image.jpg", 8, 4, zeltest::gradient(8, 4)));
    std::unique_ptr<Texture> texture;
    EXPECT_EQ(captureStdout([&] { texture = TextureFactory::createTexture(dir + "/image.jpg", "name"); }),
              "");
    // 8x4, 4x2, 2x1, 1x1.
    EXPECT_EQ(describe(*texture),
              describe(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 4, GL_RGB));

    // Unpadded 24-bit rows of width 5 arrive unchanged. (Keyed texels on screen are the sprite tests'.)
    const std::vector<RGBA> pixels = zeltest::gradient(5, 3);
    zeltest::writeBMP24(dir + "/odd.bmp", 5, 3, pixels);
    texture = TextureFactory::createTexture(dir + "/odd.bmp", "keyed", true, 255, 0, 255, GL_NEAREST,
                                            GL_NEAREST, GL_CLAMP, GL_CLAMP_TO_EDGE, false);
    EXPECT_EQ(describe(*texture), describe(GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP_TO_EDGE, 1, GL_RGBA));
    texture = TextureFactory::createTexture(dir + "/odd.bmp", "plain", false, 0, 0, 0, GL_LINEAR, GL_LINEAR,
                                            GL_REPEAT, GL_REPEAT, false);
    EXPECT_EQ(describe(*texture), describe(GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_RGB));
    std::vector<unsigned char> expected;
    for (const RGBA& p : pixels)
        expected.insert(expected.end(), {p.r, p.g, p.b});
    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_RGB, 15), expected);

    // An 8-bit image gives a texture with its parameters but no image.
    zeltest::writeBMP8(dir + "/grey.bmp", 4, 4, std::vector<unsigned char>(16, 9));
    EXPECT_EQ(captureStdout([&] { texture = TextureFactory::createTexture(dir + "/grey.bmp", "grey"); }),
              "[Image]: Warning: Unknown pixeltype!\n");
    glBindTexture(GL_TEXTURE_2D, texture->getId());
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 0);

    // Cube map faces in table order.
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
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (int face = 0; face < 6; ++face)
        EXPECT_NEAR(readBack(targets[face], GL_RGB, 64)[0], 20 + face * 40, 3) << face;
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
        zeltest::writeFile(dir, "textures.xml",
                           "<textures><texture><filename>nearest.bmp</filename><filter minfilter=\"nearest\" "
                           "magfilter=\"nearest\"/><wrap s=\"clamp\" t=\"clamp\"/></texture>"
                           "<texture><filename>font.bmp</filename><alpha><alphablend red=\"10\" green=\"20\" "
                           "blue=\"30\"/></alpha><filter minfilter=\"linear\"/></texture>"
                           "<texture><filename>sky.bmp</filename><alpha enabled=\"true\"/>"
                           "<filter minfilter=\"linear\"/></texture></textures>");
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

TEST_F(TextureDatabaseTest, LookupSettingsAndEachNameLoadsOnceUntilReleased) {
    auto registry = open();
    ASSERT_NE(registry->getDefaultTexture(), nullptr);
    const std::string keyed = describe(GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT, 1, GL_RGBA);
    const std::string clamped = describe(GL_NEAREST, GL_NEAREST, GL_CLAMP, GL_CLAMP, 1, GL_RGB);
    // Pixel 0 is (10, 20, 30), pixel 5 black: their alpha tells the key colour used.
    const struct {
        Texture* texture;
        std::string settings;
        int alphas; // pixel 0's alpha * 1000 + pixel 5's, -1 without alpha
    } cases[] = {
        {registry->getTexture("nearest.bmp"), clamped, -1},
        {registry->getTexture("sky.bmp"), keyed, 255000}, // catalogue alpha with the default black key
        {registry->getAlphaTexture("font.bmp", "defaultfont"), keyed, 255}, // the alphablend entry's key
        {registry->getAlphaTexture("b.bmp", "plain"), keyed, 255000},       // without an entry: black
        {registry->getClampedTexture("skyface", "sky.bmp"), clamped, -1},   // the catalogue is ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texture->getName());
        EXPECT_EQ(describe(*c.texture), c.settings);
        EXPECT_EQ(c.texture->hasAlpha(), c.alphas >= 0);
        if (c.alphas >= 0) {
            const std::vector<unsigned char> back = readBack(GL_TEXTURE_2D, GL_RGBA, 16);
            EXPECT_EQ(back[0 * 4 + 3] * 1000 + back[5 * 4 + 3], c.alphas);
        }
    }

    Texture* a = registry->getTexture("a.bmp");
    ASSERT_NE(a, registry->getDefaultTexture());
    std::filesystem::remove(dir + "a.bmp"); // never read again
    EXPECT_EQ(captureStdout([&] { EXPECT_EQ(registry->getTexture("a.bmp"), a); }), "");

    // The lookups share their names: the first one fixes the settings.
    Texture* sky = registry->getClampedTexture("sky", "sky.bmp");
    EXPECT_EQ(registry->getTexture("sky"), sky);
    EXPECT_EQ(registry->getAlphaTexture("b.bmp", "sky"), sky);
    EXPECT_EQ(registry->getTextureCount(), 7);

    // Release deletes every texture once.
    const GLuint ids[] = {a->getId(), registry->getDefaultTexture()->getId()};
    registry->release();
    for (GLuint id : ids)
        EXPECT_FALSE(glIsTexture(id));
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(registry->getDefaultTexture(), nullptr);
    EXPECT_EQ(registry->getCatalogue(), nullptr);
}

TEST_F(TextureDatabaseTest, MissingFilesAndNamesLeavingTheFolderGiveTheDefault) {
    auto registry = open();
    EXPECT_EQ(
        captureStdout([&] { EXPECT_EQ(registry->getTexture("missing.jpg"), registry->getDefaultTexture()); }),
        openFailure(dir + "missing.jpg") + "Error loading image " + dir + "missing.jpg.\n");
    std::filesystem::remove(dir + "nearest.bmp"); // catalogue entries use the full form
    EXPECT_EQ(captureStdout([&] { registry->getTexture("nearest.bmp"); }),
              openFailure(dir + "nearest.bmp") + "ERROR: [TextureFactory] Error loading image " + dir +
                  "nearest.bmp.\n");
    const std::string err = zeltest::captureStderr([&] {
        EXPECT_EQ(registry->getTexture("../outside.bmp"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getTexture(root + "/outside.bmp"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getAlphaTexture("../outside.bmp", "a"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getClampedTexture("c", std::string("a.bmp\0", 6)), registry->getDefaultTexture());
    });
    EXPECT_EQ(registry->getTextureCount(), 0);
    const std::string leaves = "ERROR: [TextureDatabase] Texture name \"../outside.bmp\" leaves the texture "
                               "directory; the default texture is used.\n";
    EXPECT_EQ(err.substr(0, leaves.size()), leaves);

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
