// Reading the texture catalogue: every element and attribute it understands,
// the stop at a malformed entry, and missing or unparsable files.

#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace zel;

namespace {

const char* const LOADED = "INFO: [TextureResourceFile] TextureResourceFile loaded.\n";
const char* const FAILED = "ERROR: [TextureResourceFile] TextureResourceFile could not be loaded.\n";

std::unique_ptr<TextureResourceFile> readCatalogue(const std::string& text, std::string* output,
                                                   const char* name = "textures.xml") {
    const std::string path = zeltest::scratchDir(std::string("catalogue_") + name) + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    std::unique_ptr<TextureResourceFile> catalogue;
    *output = zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(path); });
    return catalogue;
}

} // namespace

TEST(TextureResourceFile, ReadsEverySetting) {
    std::string out;
    auto catalogue = readCatalogue(
        "<textures>\n"
        "  <texture><filename>plain.jpg</filename></texture>\n"
        "  <texture>\n"
        "    <!-- comments and text between elements are skipped -->\n"
        "    <filename>font.bmp</filename> text\n"
        "    <alpha enabled=\"true\"><alphablend red=\"255\" green=\" 12abc\" blue=\"-5\"/></alpha>\n"
        "    <filter minfilter=\"nearest\" magfilter=\"nearest\"/>\n"
        "    <wrap s=\"clamp\" t=\"repeat\"/>\n"
        "    <unknown minfilter=\"linear\"/>\n"
        "  </texture>\n"
        "  <texture><filename>mip.tga</filename><filter minfilter=\"nearest_mipmap_linear\"/>"
        "<wrap t=\"clamp\"/></texture>\n"
        "  <texture><filename>reset.jpg</filename><filter minfilter=\"linear\" magfilter=\"nearest\"/>"
        "<wrap s=\"clamp\" t=\"clamp\"/><filter/><wrap/></texture>\n"
        "  <texture><filename>odd.jpg</filename><filter minfilter=\"LINEAR\" magfilter=\"bilinear\"/>"
        "<wrap s=\"CLAMP\" t=\"mirror\"/><alpha enabled=\"True\"><alphablend red=\"abc\"/></alpha></texture>\n"
        "  <texture><filename>alpha.jpg</filename><alpha enabled=\"true\"><alphablend red=\"1\" "
        "green=\"2\" blue=\"3\"/></alpha><alpha><alphablend green=\"9\"/></alpha>"
        "<alpha enabled=\"false\"><other/><alphablend red=\"7\"/></alpha></texture>\n"
        "</textures>\n",
        &out);
    EXPECT_EQ(out, LOADED);
    EXPECT_TRUE(catalogue->isValid());
    ASSERT_EQ(catalogue->getEntries().size(), 6u);

    const TextureEntry plain = catalogue->getEntry("plain.jpg");
    EXPECT_FALSE(plain.alpha);
    EXPECT_EQ(plain.minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(plain.magFilter, GL_LINEAR);
    EXPECT_TRUE(plain.mipmaps);
    EXPECT_EQ(plain.wrapS, GL_REPEAT);
    EXPECT_EQ(plain.wrapT, GL_REPEAT);

    const TextureEntry font = catalogue->getEntry("font.bmp");
    EXPECT_EQ(font.fileName, "font.bmp");
    EXPECT_TRUE(font.alpha);
    EXPECT_EQ(font.red, 255);
    EXPECT_EQ(font.green, 12);
    EXPECT_EQ(font.blue, -5);
    EXPECT_EQ(font.minFilter, GL_NEAREST);
    EXPECT_EQ(font.magFilter, GL_NEAREST);
    EXPECT_FALSE(font.mipmaps);
    EXPECT_EQ(font.wrapS, GL_CLAMP);
    EXPECT_EQ(font.wrapT, GL_REPEAT);

    const TextureEntry mip = catalogue->getEntry("mip.tga");
    EXPECT_EQ(mip.minFilter, GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_TRUE(mip.mipmaps);
    EXPECT_EQ(mip.magFilter, GL_LINEAR);
    EXPECT_EQ(mip.wrapS, GL_REPEAT);
    EXPECT_EQ(mip.wrapT, GL_CLAMP);

    // A later filter or wrap element replaces an earlier one in full.
    const TextureEntry reset = catalogue->getEntry("reset.jpg");
    EXPECT_EQ(reset.minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(reset.magFilter, GL_LINEAR);
    EXPECT_TRUE(reset.mipmaps);
    EXPECT_EQ(reset.wrapS, GL_REPEAT);
    EXPECT_EQ(reset.wrapT, GL_REPEAT);

    // Unknown values keep the reset values; comparisons are case-sensitive.
    const TextureEntry odd = catalogue->getEntry("odd.jpg");
    EXPECT_EQ(odd.minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_TRUE(odd.mipmaps);
    EXPECT_EQ(odd.magFilter, GL_LINEAR);
    EXPECT_EQ(odd.wrapS, GL_REPEAT);
    EXPECT_EQ(odd.wrapT, GL_REPEAT);
    EXPECT_FALSE(odd.alpha);
    EXPECT_EQ(odd.red, 0);

    // A later alpha element overrides only what it carries; alphablend counts
    // only as the first element child.
    const TextureEntry alpha = catalogue->getEntry("alpha.jpg");
    EXPECT_FALSE(alpha.alpha);
    EXPECT_EQ(alpha.red, 1);
    EXPECT_EQ(alpha.green, 9);
    EXPECT_EQ(alpha.blue, 3);

    EXPECT_FALSE(catalogue->hasEntry("missing.jpg"));
    EXPECT_FALSE(catalogue->hasEntry("FONT.BMP"));
}

TEST(TextureResourceFile, FileNamesAreTakenVerbatimAndTheFirstDuplicateWins) {
    std::string out;
    auto catalogue = readCatalogue(
        "<textures>"
        "<texture><filename> padded.jpg </filename><filter minfilter=\"nearest\"/></texture>"
        "<texture><filename>twice.jpg</filename><filter minfilter=\"nearest\"/></texture>"
        "<texture><filename>twice.jpg</filename><filter minfilter=\"linear\"/></texture>"
        "<other><texture><filename>nested.jpg</filename></texture></other>"
        "</textures>",
        &out);
    EXPECT_EQ(out, LOADED);
    EXPECT_TRUE(catalogue->hasEntry(" padded.jpg "));
    EXPECT_FALSE(catalogue->hasEntry("padded.jpg"));
    EXPECT_EQ(catalogue->getEntries().size(), 3u);
    EXPECT_EQ(catalogue->getEntry("twice.jpg").minFilter, GL_NEAREST);
    EXPECT_FALSE(catalogue->hasEntry("nested.jpg"));
}

TEST(TextureResourceFile, ReadingStopsAtTheFirstMalformedEntry) {
    const char* const middles[] = {
        "<texture><alpha/><filename>b.jpg</filename></texture>", // filename not first
        "<texture>text only</texture>",                            // no element child
        "<texture><filename/></texture>",                          // filename without text
        "<texture><filename><x/>b.jpg</filename></texture>",      // first child is an element
    };
    for (const char* middle : middles) {
        std::string out;
        auto catalogue = readCatalogue(std::string("<textures><texture><filename>a.jpg</filename></texture>") +
                                           middle + "<texture><filename>c.jpg</filename></texture></textures>",
                                       &out);
        EXPECT_EQ(out, FAILED) << middle;
        EXPECT_FALSE(catalogue->isValid());
        EXPECT_TRUE(catalogue->hasEntry("a.jpg")) << middle;
        EXPECT_FALSE(catalogue->hasEntry("b.jpg")) << middle;
        EXPECT_FALSE(catalogue->hasEntry("c.jpg")) << middle;
        EXPECT_EQ(catalogue->getEntries().size(), 1u) << middle;
    }
}

TEST(TextureResourceFile, MissingOrUnparsableFilesAreEmptyCatalogues) {
    std::string out;
    std::unique_ptr<TextureResourceFile> catalogue;
    out = zeltest::captureStdout(
        [&] { catalogue = std::make_unique<TextureResourceFile>(zeltest::scratchDir("catalogue_missing") + "/no.xml"); });
    EXPECT_EQ(out, LOADED);
    EXPECT_TRUE(catalogue->getEntries().empty());

    for (const char* text : {"", "not xml at all", "<textures><texture><filename>a.jpg</filename>",
                             "<other><texture><filename>a.jpg</filename></texture></other>"}) {
        ::testing::internal::CaptureStderr();
        catalogue = readCatalogue(text, &out);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(out, LOADED) << text;
        EXPECT_TRUE(catalogue->isValid());
        EXPECT_TRUE(catalogue->getEntries().empty()) << text;
    }
}
