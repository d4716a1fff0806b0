// Hostile resource files users can drop into the data folders: each ends quickly
// with a diagnostic or a defined fallback, without growing memory with what the file claims.

#include "resources/GPUProgram.h"
#include "resources/Image.h"
#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace zel;

namespace {

using Clock = std::chrono::steady_clock;

std::string writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Makes path unreadable; false when that does not stop this process from
// reading it (root ignores permission bits), so the caller can skip honestly.
bool makeUnreadable(const std::string& path) {
    chmod(path.c_str(), 0);
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr)
        return true;
    std::fclose(probe);
    return false;
}

const char* const CATALOGUE_LOADED = "INFO: [TextureResourceFile] TextureResourceFile loaded.\n";

} // namespace

TEST(ResourcesHostile, ImageHeadersClaimingHugeSizesAreRefusedQuickly) {
    const std::string dir = zeltest::scratchDir("hostile_image");
    // A PNG signature behind a .jpg name: the general decoder would take it, so
    // its claimed 100000 x 100000 must be refused like the formats' own headers.
    zeltest::writeBytes(dir + "/png.jpg",
                        {0x89, 'P',  'N',  'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,
                         1,    0x86, 0xA0, 0,   1,    0x86, 0xA0, 8,    2, 0, 0, 0,  0,   0,   0,   0});
    // BMPs of 100000 x 1 (each side alone is over the limit), 100000 x 100000
    // and the same with top-down rows.
    zeltest::writeBMP24(dir + "/tiny.bmp", 1, 1, {{1, 2, 3, 255}});
    std::vector<unsigned char> bmp = zeltest::readBytes(dir + "/tiny.bmp");
    auto set32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = (v >> (8 * i)) & 0xFF;
    };
    set32(18, 100000);
    zeltest::writeBytes(dir + "/wide.bmp", bmp);
    set32(22, 100000);
    zeltest::writeBytes(dir + "/huge.bmp", bmp);
    set32(22, static_cast<std::uint32_t>(-100000));
    zeltest::writeBytes(dir + "/topdown.bmp", bmp);
    // 16384 x 16384 is within each side's limit but over the pixel count;
    // TGA sizes are 16-bit, so 65535 x 65535 at 32 bits is the largest claim.
    zeltest::writeBytes(dir + "/square.tga",
                        {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x40, 0x00, 0x40, 24, 0});
    zeltest::writeBytes(dir + "/huge.tga",
                        {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 0});
    // A JPEG frame header claiming 65500 x 65500 after an application segment.
    zeltest::writeBytes(dir + "/huge.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0,    4,    0, 0, 0xFF, 0xC0, 0,
                                            0x11, 8,    0xFF, 0xDC, 0xFF, 0xDC, 3, 1, 0x11, 0});
    const auto start = Clock::now();
    for (const char* name :
         {"/png.jpg", "/wide.bmp", "/huge.bmp", "/topdown.bmp", "/square.tga", "/huge.tga", "/huge.jpg"}) {
        std::unique_ptr<Image> image;
        const std::string out =
            zeltest::captureStdout([&] { image = std::make_unique<Image>(dir + name, true, 0, 0, 0); });
        EXPECT_FALSE(image->loaded) << name;
        EXPECT_EQ(image->data, nullptr) << name;
        EXPECT_EQ(out, "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + dir +
                           name + ">.\n");
    }
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST(ResourcesHostile, UnreadableFilesFailLikeMissingOnes) {
    const std::string dir = zeltest::scratchDir("hostile_unreadable");
    zeltest::writeBMP24(dir + "/locked.bmp", 2, 2, zeltest::gradient(2, 2));
    writeText(dir + "/locked.txt", "void main() {}");
    writeText(dir + "/locked.xml", "<textures><texture><filename>a.jpg</filename></texture></textures>");
    const bool locked = makeUnreadable(dir + "/locked.bmp") & makeUnreadable(dir + "/locked.txt") &
                        makeUnreadable(dir + "/locked.xml");
    if (!locked) {
        GTEST_SKIP() << "this process reads files whose permission bits forbid it (running as root), so an "
                        "unreadable file cannot be made here; missing files cover the same failure paths";
    }
    std::unique_ptr<Image> image;
    EXPECT_EQ(
        zeltest::captureStdout([&] { image = std::make_unique<Image>(dir + "/locked.bmp", false, 0, 0, 0); }),
        "[Image]: Error: Could not open file.\n[Image]: Error: Could not load image <" + dir +
            "/locked.bmp>.\n");
    EXPECT_FALSE(image->loaded);
    EXPECT_EQ(GPUProgram::readSourceFile(dir + "/locked.txt"), "");
    std::unique_ptr<TextureResourceFile> catalogue;
    EXPECT_EQ(zeltest::captureStdout(
                  [&] { catalogue = std::make_unique<TextureResourceFile>(dir + "/locked.xml"); }),
              CATALOGUE_LOADED);
    EXPECT_TRUE(catalogue->getEntries().empty());
}

TEST(ResourcesHostile, ShaderSourcesOfEveryShape) {
    const std::string dir = zeltest::scratchDir("hostile_shader");
    // One line of 100 kB stays whole (no 254-character cut, no split), and the
    // line after it follows directly.
    const std::string longLine = "/*" + std::string(100 * 1024, 'x') + "*/";
    const auto start = Clock::now();
    EXPECT_EQ(GPUProgram::readSourceFile(writeText(dir + "/long.txt", longLine + "\nvoid main(){}\n")),
              longLine + "\nvoid main(){}\n");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));

    // Beyond MAX_SOURCE_BYTES the source is refused whole with an ERROR line.
    const std::string huge =
        writeText(dir + "/huge.txt",
                  std::string(GPUProgram::MAX_SOURCE_BYTES - 10, 'a') + "\n" + std::string(100, 'b') + "\n");
    std::string kept = "x";
    EXPECT_EQ(zeltest::captureStderr([&] { kept = GPUProgram::readSourceFile(huge); }),
              "ERROR: [GPUProgram] " + huge +
                  " is larger than its size limit (at most 1048576 bytes of a regular "
                  "file); the source is empty.\n");
    EXPECT_EQ(kept, "");

    // Zero bytes, a directory and a missing file all read as empty text.
    EXPECT_EQ(GPUProgram::readSourceFile(writeText(dir + "/empty.txt", "")), "");
    std::filesystem::create_directory(dir + "/folder.txt");
    EXPECT_EQ(GPUProgram::readSourceFile(dir + "/folder.txt"), "");
    EXPECT_EQ(GPUProgram::readSourceFile(dir + "/missing.txt"), "");

    // Binary junk: NUL bytes are kept and counted, carriage returns become line feeds.
    std::string junk("a\0b\r\n\rc\n\0\0\nd", 13);
    EXPECT_EQ(GPUProgram::readSourceFile(writeText(dir + "/junk.txt", junk)),
              std::string("a\0b\n\nc\n\0\0\nd", 12));
}

TEST(ResourcesHostile, CatalogueWithThousandsOfDuplicatesAndBadFiles) {
    const std::string dir = zeltest::scratchDir("hostile_catalogue");
    // 5000 entries for one name, each with another key colour: all are kept in
    // file order, and lookups answer with the first.
    std::string text = "<textures>";
    for (int i = 0; i < 5000; ++i) {
        text += "<texture><filename>same.bmp</filename><alpha enabled='true'><alphablend red='" +
                std::to_string(i % 256) + "' green='" + std::to_string(i) + "' blue='1'/></alpha></texture>";
    }
    text += "<texture><filename>last.bmp</filename></texture></textures>";
    const auto start = Clock::now();
    std::unique_ptr<TextureResourceFile> catalogue;
    EXPECT_EQ(zeltest::captureStdout([&] {
                  catalogue = std::make_unique<TextureResourceFile>(writeText(dir + "/dup.xml", text));
              }),
              CATALOGUE_LOADED);
    ASSERT_EQ(catalogue->getEntries().size(), 5001u);
    EXPECT_EQ(catalogue->getEntries()[4999].green, 4999);
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(catalogue->hasEntry("same.bmp"));
        ASSERT_EQ(catalogue->getEntry("same.bmp").green, 0);
    }
    EXPECT_TRUE(catalogue->hasEntry("last.bmp"));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));

    // A file over the size limit is refused without parsing.
    const std::string big = writeText(
        dir + "/big.xml", "<textures><texture><filename>a.jpg</filename></texture>" +
                              std::string(TextureResourceFile::MAX_FILE_BYTES, ' ') + "</textures>");
    EXPECT_EQ(zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(big); }),
              "ERROR: [TextureResourceFile] TextureResourceFile could not be loaded.\n");
    EXPECT_TRUE(catalogue->getEntries().empty());
    EXPECT_FALSE(catalogue->isValid());

    // Zero bytes, a directory and nesting beyond the parser's depth limit are
    // unparsable catalogues: empty, with the INFO line.
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<texture>";
    std::filesystem::create_directory(dir + "/folder.xml");
    for (const std::string& path : {writeText(dir + "/empty.xml", ""), dir + "/folder.xml",
                                    writeText(dir + "/deep.xml", "<textures>" + deep)}) {
        EXPECT_EQ(zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(path); }),
                  CATALOGUE_LOADED)
            << path;
        EXPECT_TRUE(catalogue->getEntries().empty()) << path;
    }
}
