// Hostile data, round two: pipes and device links in place of data files,
// texture names that leave the texture folder, images past the decoded-pixel
// budget, and shader sources past the compiler bounds. Each case ends quickly
// with a diagnostic and the documented fallback; no hostile source reaches the
// driver.

#include "TestImages.h"
#include "resources/DataFile.h"
#include "resources/GPUProgram.h"
#include "resources/Image.h"
#include "resources/TextureDatabase.h"
#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>

using namespace zel;

namespace {

using Clock = std::chrono::steady_clock;

std::string repeat(const std::string& part, int count, const std::string& separator = "") {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i > 0 ? separator : "") + part;
    return text;
}

class LoaderHostileTest : public zeltest::GLTest {};

} // namespace

TEST(LoaderHostile, PipesDevicesAndOversizedFilesAreNeverRead) {
    const std::string dir = zeltest::scratchDir("loader_hostile_files");
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
    for (const char* name : {"/pipe.jpg", "/pipe.txt", "/pipe.xml"}) ASSERT_EQ(symlink("pipe", (dir + name).c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.txt").c_str()), 0);
    zeltest::writeFile(dir, "ten.txt", "0123456789");
    const struct {
        std::string path;
        std::size_t cap;
        DataFileStatus status;
    } cases[] = {
        {dir + "/pipe", 100, DataFileStatus::NOT_REGULAR}, {dir + "/zero.txt", 100, DataFileStatus::NOT_REGULAR},
        {dir, 100, DataFileStatus::NOT_REGULAR},           {dir + "/none", 100, DataFileStatus::MISSING},
        {dir + "/ten.txt", 9, DataFileStatus::TOO_LARGE},  {dir + "/ten.txt", 10, DataFileStatus::OK},
    };
    const auto start = Clock::now();
    for (const auto& c : cases) {
        std::string bytes = "old";
        EXPECT_EQ(readDataFile(c.path, c.cap, bytes), c.status) << c.path;
        EXPECT_EQ(bytes, c.status == DataFileStatus::OK ? "0123456789" : "") << c.path;
    }
    // Every loader on the pipe and the endless device: refused, not blocked.
    std::string out;
    std::string err = zeltest::captureStderr([&] {
        out = zeltest::captureStdout([&] { EXPECT_FALSE(Image(dir + "/pipe.jpg", false, 0, 0, 0).loaded); });
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/zero.txt"), "");
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/pipe.txt"), "");
        zeltest::captureStdout([&] { EXPECT_TRUE(TextureResourceFile(dir + "/pipe.xml").getEntries().empty()); });
    });
    EXPECT_EQ(out, "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + dir + "/pipe.jpg>.\n");
    EXPECT_NE(err.find("ERROR: [GPUProgram] " + dir + "/zero.txt is not a regular file"), std::string::npos) << err;
    EXPECT_NE(err.find("ERROR: [TextureResourceFile] " + dir + "/pipe.xml is not a regular file"), std::string::npos);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST(LoaderHostile, ContainedNames) {
    const struct {
        const char* name;
        bool contained;
    } cases[] = {
        {"a.jpg", true},       {"sub/a.jpg", true},       {"..a.jpg", true},   {"a..jpg", true},
        {"../a.jpg", false},   {"a/../../b.jpg", false},  {"/etc/a.jpg", false}, {"..", false},
        {"a\\..\\b.jpg", false}, {"a/..", false},           {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isContainedName(c.name), c.contained) << c.name;
}

TEST_F(LoaderHostileTest, NamesLeavingTheTextureFolderGetTheDefault) {
    const std::string root = zeltest::scratchDir("loader_hostile_names");
    const std::string dir = root + "/textures/";
    mkdir(dir.c_str(), 0700);
    ASSERT_TRUE(zeltest::writeJPEG(dir + "default.jpg", 8, 8, zeltest::gradient(8, 8)));
    zeltest::writeBMP24(root + "/outside.bmp", 2, 2, zeltest::gradient(2, 2));
    std::unique_ptr<TextureDatabase> registry;
    zeltest::captureStdout([&] { registry = std::make_unique<TextureDatabase>(dir, dir + "textures.xml"); });
    std::string err;
    const std::string out = zeltest::captureStdout([&] {
        err = zeltest::captureStderr([&] {
            EXPECT_EQ(registry->getTexture("../outside.bmp"), registry->getDefaultTexture());
            EXPECT_EQ(registry->getTexture(root + "/outside.bmp"), registry->getDefaultTexture());
            EXPECT_EQ(registry->getAlphaTexture("../outside.bmp", "a"), registry->getDefaultTexture());
            EXPECT_EQ(registry->getClampedTexture("c", "../outside.bmp"), registry->getDefaultTexture());
        });
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(registry->getTextureCount(), 0);
    EXPECT_EQ(err.rfind("ERROR: [TextureDatabase] Texture name \"../outside.bmp\" leaves the texture directory; the "
                        "default texture is used.\n", 0), 0u) << err;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(LoaderHostile, ImagesAreRefusedByPixelCountAndByTheLiveTotal) {
    const std::string dir = zeltest::scratchDir("loader_hostile_images");
    // A tall 1 x 20000 BMP is fine (any shape within the pixel count).
    zeltest::writeBMP24(dir + "/tall.bmp", 1, 20000, std::vector<zeltest::RGBA>(20000, {1, 2, 3, 255}));
    std::unique_ptr<Image> tall;
    zeltest::captureStdout([&] { tall = std::make_unique<Image>(dir + "/tall.bmp", false, 0, 0, 0); });
    EXPECT_TRUE(tall->loaded);
    EXPECT_EQ(tall->height, 20000);
    // GIF and PNM content under a JPEG name is not what the general path reads.
    zeltest::writeBytes(dir + "/gif.jpg", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ',', 0, 0, 0, 0, 1, 0, 1,
                                           0, 0, 2, 2, 'D', 1, 0, ';'});
    zeltest::writeBytes(dir + "/pnm.jpg", {'P', '6', ' ', '1', ' ', '1', ' ', '2', '5', '5', '\n', 1, 2, 3});
    for (const char* name : {"/gif.jpg", "/pnm.jpg"}) {
        zeltest::captureStdout([&] { EXPECT_FALSE(Image(dir + name, false, 0, 0, 0).loaded) << name; });
    }
    // Small JPEGs that claim 4096 x 4096 (the decoder fills what the data
    // lacks): they load until the live total would pass MAX_TOTAL_PIXELS.
    ASSERT_TRUE(zeltest::writeJPEG(dir + "/claim.jpg", 8, 8, zeltest::gradient(8, 8)));
    std::vector<unsigned char> jpeg = zeltest::readBytes(dir + "/claim.jpg");
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 0x10, jpeg[i + 6] = 0x00, jpeg[i + 7] = 0x10, jpeg[i + 8] = 0x00;
            break;
        }
    }
    zeltest::writeBytes(dir + "/claim.jpg", jpeg);
    const std::int64_t claim = 4096 * 4096;
    std::vector<std::unique_ptr<Image>> kept;
    std::string err;
    while (kept.size() < 8 && err.empty()) {
        const bool room = Image::getLivePixels() + claim <= Image::MAX_TOTAL_PIXELS;
        std::unique_ptr<Image> image;
        err = zeltest::captureStderr(
            [&] { zeltest::captureStdout([&] { image = std::make_unique<Image>(dir + "/claim.jpg", false, 0, 0, 0); }); });
        ASSERT_EQ(image->loaded, room);
        if (room) kept.push_back(std::move(image));
    }
    EXPECT_EQ(err, "ERROR: [Image] " + dir + "/claim.jpg: 4096 x 4096 pixels would take the images loaded past 33554432 "
                   "pixels.\n");
    kept.clear();
    zeltest::captureStdout([&] { EXPECT_TRUE(Image(dir + "/claim.jpg", false, 0, 0, 0).loaded); });
}

TEST(LoaderHostile, ShaderSourceBoundsAreCheckedBeforeCompiling) {
    std::string doubling = "#define M0 1.0\n", manyMacros;
    for (int k = 0; k <= 64; ++k) manyMacros += "#define A" + std::to_string(k) + "\n";
    for (int k = 1; k <= 40; ++k) {
        doubling += "#define M" + std::to_string(k) + " (M" + std::to_string(k - 1) + "+M" + std::to_string(k - 1) + ")\n";
    }
    const struct {
        const char* name;
        std::string source;
        std::string refusal;
    } cases[] = {
        {"ordinary", "uniform vec4 c; // a (((( comment\n#define K 2.0\n/* )))) */\nvoid main() { gl_FragColor = c * K; }\n",
         ""},
        {"long expression", "void main() { float f = " + repeat("1.0", 20000, "+") + "; }",
         "has a statement of more than 512 tokens"},
        {"many statements", "void main() { float f = 0.0;" + repeat(" f = f + 1.0;", 3000) + " }",
         "has more than 16384 tokens after macro expansion"},
        {"deep nesting", "void main() { float f = " + repeat("(", 40) + "1.0" + repeat(")", 40) + "; }",
         "nests brackets more than 32 deep"},
        {"doubling macros", doubling + "void main() { gl_FragColor = vec4(M40); }",
         "has more than 16384 tokens after macro expansion"},
        {"doubling macros used once each", doubling + "void main() {}", ""},
        {"function-like macro", "#define D(x) x x\nvoid main() {}", "defines the function-like macro D, which is not accepted"},
        {"many macros", manyMacros, "defines more than 64 macros"},
    };
    for (const auto& c : cases) EXPECT_EQ(GPUProgram::checkSourceBounds(c.source), c.refusal) << c.name;
}

TEST_F(LoaderHostileTest, ShadersBeyondTheBoundsFailWithoutReachingTheDriver) {
    const std::string dir = zeltest::scratchDir("loader_hostile_shaders");
    const std::string vs = zeltest::writeFile(dir, "vs.txt", "void main() { gl_Position = ftransform(); }\n");
    const std::string fs = zeltest::writeFile(dir, "fs.txt", "void main() { gl_FragColor = vec4(" +
                                                                 repeat("1.0", 20000, "+") + "); }\n");
    std::unique_ptr<GPUProgram> program;
    std::string out;
    const std::string err = zeltest::captureStderr(
        [&] { out = zeltest::captureStdout([&] { program = std::make_unique<GPUProgram>(vs, fs); }); });
    EXPECT_EQ(err, "ERROR: [GPUProgram] " + fs + " has a statement of more than 512 tokens; it is not compiled.\n");
    const std::string tail = "ERROR: [GPUProgram] Could not compile fragment shader.\nError: [GPUProgram] Could not "
                             "create shader objects (" + vs + ").\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
