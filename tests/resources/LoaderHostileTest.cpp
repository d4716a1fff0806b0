// Pipes and devices as data files, names leaving the texture folder, images past the pixel
// budget, shaders past the compiler bounds: each ends quickly with a diagnostic and its fallback.

#include "resources/DataFile.h"
#include "resources/GPUProgram.h"
#include "resources/Image.h"
#include "resources/TextureDatabase.h"
#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>

using namespace zel;

namespace {

std::string repeat(const std::string& part, int count, const std::string& separator = "") {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? separator : "") + part;
    return text;
}

class LoaderHostileTest : public zeltest::GLTest {};

} // namespace

TEST(LoaderHostile, PipesDevicesAndOversizedFilesAreNeverRead) {
    const std::string dir = zeltest::scratchDir("loader_hostile_files");
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
    for (const char* name : {"/pipe.jpg", "/pipe.txt", "/pipe.xml"})
        ASSERT_EQ(symlink("pipe", (dir + name).c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.txt").c_str()), 0);
    const std::string ten = zeltest::writeFile(dir, "ten.txt", "0123456789");
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : {dir + "/pipe", dir + "/zero.txt", dir}) {
        std::string bytes = "old";
        EXPECT_EQ(readDataFile(path, 100, bytes), DataFileStatus::NOT_REGULAR) << path;
        EXPECT_EQ(bytes, "");
    }
    std::string bytes;
    EXPECT_EQ(readDataFile(dir + "/none", 100, bytes), DataFileStatus::MISSING);
    EXPECT_EQ(readDataFile(ten, 9, bytes), DataFileStatus::TOO_LARGE);
    EXPECT_EQ(readDataFile(ten, 10, bytes), DataFileStatus::OK);
    EXPECT_EQ(bytes, "0123456789");
    // Every loader on the pipe and the endless device: refused, not blocked.
    std::string out;
    const std::string err = zeltest::captureStderr([&] {
        out = zeltest::captureStdout([&] { EXPECT_FALSE(Image(dir + "/pipe.jpg", false, 0, 0, 0).loaded); });
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/zero.txt"), "");
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/pipe.txt"), "");
        zeltest::captureStdout(
            [&] { EXPECT_TRUE(TextureResourceFile(dir + "/pipe.xml").getEntries().empty()); });
    });
    EXPECT_EQ(out, "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + dir +
                       "/pipe.jpg>.\n");
    EXPECT_NE(err.find("ERROR: [GPUProgram] " + dir + "/zero.txt is not a regular file"), std::string::npos)
        << err;
    EXPECT_NE(err.find("ERROR: [TextureResourceFile] " + dir + "/pipe.xml is not a regular file"),
              std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(LoaderHostile, ContainedNames) {
    for (const char* name : {"a.jpg", "sub/a.jpg", "..a.jpg", "a..jpg", ""})
        EXPECT_TRUE(isContainedName(name)) << name;
    for (const char* name : {"../a.jpg", "a/../../b.jpg", "/etc/a.jpg", "..", "a\\..\\b.jpg", "a/.."}) {
        EXPECT_FALSE(isContainedName(name)) << name;
    }
}

TEST_F(LoaderHostileTest, NamesLeavingTheTextureFolderGetTheDefault) {
    const std::string root = zeltest::scratchDir("loader_hostile_names");
    const std::string dir = root + "/textures/";
    mkdir(dir.c_str(), 0700);
    ASSERT_TRUE(zeltest::writeJPEG(dir + "default.jpg", 8, 8, zeltest::gradient(8, 8)));
    zeltest::writeBMP24(root + "/outside.bmp", 2, 2, zeltest::gradient(2, 2));
    std::unique_ptr<TextureDatabase> registry;
    zeltest::captureStdout([&] { registry = std::make_unique<TextureDatabase>(dir, dir + "textures.xml"); });
    const std::string err = zeltest::captureStderr([&] {
        EXPECT_EQ(registry->getTexture("../outside.bmp"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getTexture(root + "/outside.bmp"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getAlphaTexture("../outside.bmp", "a"), registry->getDefaultTexture());
        EXPECT_EQ(registry->getClampedTexture("c", "../outside.bmp"), registry->getDefaultTexture());
    });
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(
        err.rfind(
            "ERROR: [TextureDatabase] Texture name \"../outside.bmp\" leaves the texture directory; the "
            "default texture is used.\n",
            0),
        0u)
        << err;
}

TEST(LoaderHostile, ImagesAreRefusedByPixelCountAndByTheLiveTotal) {
    const std::string dir = zeltest::scratchDir("loader_hostile_images");
    // Any shape within the pixel count loads; GIF and PNM content under a JPEG name does not.
    zeltest::writeBMP24(dir + "/tall.bmp", 1, 20000, std::vector<zeltest::RGBA>(20000, {1, 2, 3, 255}));
    zeltest::writeBytes(dir + "/gif.jpg", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0,   0, 0, ',', 0,
                                           0,   0,   0,   1,   0,   1,   0, 0, 2, 2, 'D', 1, 0, ';'});
    zeltest::writeBytes(dir + "/pnm.jpg", {'P', '6', ' ', '1', ' ', '1', ' ', '2', '5', '5', '\n', 1, 2, 3});
    zeltest::captureStdout([&] {
        EXPECT_EQ(Image(dir + "/tall.bmp", false, 0, 0, 0).height, 20000);
        EXPECT_FALSE(Image(dir + "/gif.jpg", false, 0, 0, 0).loaded);
        EXPECT_FALSE(Image(dir + "/pnm.jpg", false, 0, 0, 0).loaded);
    });
    // An 8 x 8 JPEG whose header claims 4096 x 4096 (the decoder fills what the
    // data lacks) loads until the live total would pass MAX_TOTAL_PIXELS.
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/claim.jpg", 8, 8, zeltest::gradient(8, 8)));
    std::vector<unsigned char> jpeg = zeltest::readBytes(dir + "/claim.jpg");
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = jpeg[i + 7] = 0x10, jpeg[i + 6] = jpeg[i + 8] = 0x00;
            break;
        }
    }
    zeltest::writeBytes(dir + "/claim.jpg", jpeg);
    std::vector<std::unique_ptr<Image>> kept;
    std::string err;
    while (kept.size() < 8 && err.empty()) {
        const bool room = Image::getLivePixels() + 4096 * 4096 <= Image::MAX_TOTAL_PIXELS;
        err = zeltest::captureStderr([&] {
            zeltest::captureStdout(
                [&] { kept.push_back(std::make_unique<Image>(dir + "/claim.jpg", false, 0, 0, 0)); });
        });
        ASSERT_EQ(kept.back()->loaded, room);
    }
    EXPECT_EQ(err, "ERROR: [Image] " + dir +
                       "/claim.jpg: 4096 x 4096 pixels would take the images loaded past 33554432 "
                       "pixels.\n");
    kept.clear();
    zeltest::captureStdout([&] { EXPECT_TRUE(Image(dir + "/claim.jpg", false, 0, 0, 0).loaded); });
}

TEST(LoaderHostile, ShaderSourceBoundsAreCheckedBeforeCompiling) {
    std::string doubling = "#define M0 1.0\n", manyMacros;
    for (int k = 1; k <= 40; ++k)
        doubling += "#define M" + std::to_string(k) + " (M" + std::to_string(k - 1) + "+M" +
                    std::to_string(k - 1) + ")\n";
    for (int k = 0; k <= 64; ++k)
        manyMacros += "#define A" + std::to_string(k) + "\n";
    const struct {
        const char* name;
        std::string source;
        std::string refusal;
    } cases[] = {
        {"ordinary",
         "uniform vec4 c; // a (((( comment\n#define K 2.0\n/* )))) */\nvoid main() { gl_FragColor = c * K; "
         "}",
         ""},
        {"long expression", "void main() { float f = " + repeat("1.0", 20000, "+") + "; }",
         "has a statement of more than 512 tokens"},
        {"many statements", "void main() {" + repeat(" f = f + 1.0;", 3000) + " }",
         "has more than 16384 tokens after macro expansion"},
        {"deep nesting", "void main() { f = " + repeat("(", 40) + "1.0" + repeat(")", 40) + "; }",
         "nests brackets more than 32 deep"},
        {"doubling macros", doubling + "void main() { gl_FragColor = vec4(M40); }",
         "has more than 16384 tokens after macro expansion"},
        {"doubling macros unused", doubling, ""},
        {"function-like macro", "#define D(x) x x\n",
         "defines the function-like macro D, which is not accepted"},
        {"many macros", manyMacros, "defines more than 64 macros"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GPUProgram::checkSourceBounds(c.source), c.refusal) << c.name;
}

TEST_F(LoaderHostileTest, ShadersBeyondTheBoundsFailWithoutReachingTheDriver) {
    const std::string dir = zeltest::scratchDir("loader_hostile_shaders");
    const std::string vs = zeltest::writeFile(dir, "vs.txt", "void main() { gl_Position = ftransform(); }\n");
    const std::string fs = zeltest::writeFile(
        dir, "fs.txt", "void main() { gl_FragColor = vec4(" + repeat("1.0", 20000, "+") + "); }\n");
    std::string out;
    const std::string err =
        zeltest::captureStderr([&] { out = zeltest::captureStdout([&] { GPUProgram program(vs, fs); }); });
    EXPECT_EQ(err, "ERROR: [GPUProgram] " + fs +
                       " has a statement of more than 512 tokens; it is not compiled.\n");
    const std::string tail =
        "ERROR: [GPUProgram] Could not compile fragment shader.\nError: [GPUProgram] Could not "
        "create shader objects (" +
        vs + ").\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
