// Reading the texture catalogue: the elements and attributes it understands,
// the stop at a malformed entry, and missing or unparsable files.

#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

using namespace zel;

namespace {

const char* const LOADED = "INFO: [TextureResourceFile] TextureResourceFile loaded.\n";

std::unique_ptr<TextureResourceFile> readCatalogue(const std::string& text, std::string* output) {
    const std::string path = zeltest::scratchDir("catalogue") + "/textures.xml";
    std::ofstream(path, std::ios::binary) << text;
    std::unique_ptr<TextureResourceFile> catalogue;
    *output = zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(path); });
    return catalogue;
}

// alpha, key colour, filters, mipmaps and wrap modes in one comparable line.
std::string describe(const TextureEntry& e) {
    std::ostringstream s;
    s << e.alpha << " " << e.red << "," << e.green << "," << e.blue << " min " << e.minFilter << " mag "
      << e.magFilter << " mip " << e.mipmaps << " wrap " << e.wrapS << "," << e.wrapT;
    return s.str();
}

std::string describe(bool alpha, int r, int g, int b, GLint min, GLint mag, bool mip, GLint s, GLint t) {
    TextureEntry e;
    std::tie(e.alpha, e.red, e.green, e.blue, e.minFilter, e.magFilter, e.mipmaps, e.wrapS, e.wrapT) =
        std::make_tuple(alpha, r, g, b, min, mag, mip, s, t);
    return describe(e);
}

} // namespace

TEST(TextureResourceFile, ReadsEverySetting) {
    std::string out;
    auto catalogue = readCatalogue(
        "<textures>"
        "<texture><filename>plain.jpg</filename></texture>"
        "<texture><!-- skipped --><filename>font.bmp</filename> text "
        "  <alpha enabled=\"true\"><alphablend red=\"255\" green=\" 12abc\" blue=\"-5\"/></alpha>"
        "  <filter minfilter=\"nearest\" magfilter=\"nearest\"/><wrap s=\"clamp\" t=\"repeat\"/>"
        "  <unknown minfilter=\"linear\"/></texture>"
        "<texture><filename>mip.tga</filename><filter minfilter=\"nearest_mipmap_linear\"/><wrap "
        "t=\"clamp\"/>"
        "</texture>"
        "<texture><filename>reset.jpg</filename><filter minfilter=\"linear\" magfilter=\"nearest\"/>"
        "  <wrap s=\"clamp\" t=\"clamp\"/><filter/><wrap/></texture>"
        "<texture><filename>odd.jpg</filename><filter minfilter=\"LINEAR\" magfilter=\"bilinear\"/>"
        "  <wrap s=\"CLAMP\" t=\"mirror\"/><alpha enabled=\"True\"><alphablend "
        "red=\"abc\"/></alpha></texture>"
        "<texture><filename>alpha.jpg</filename>"
        "  <alpha enabled=\"true\"><alphablend red=\"1\" green=\"2\" blue=\"3\"/></alpha>"
        "  <alpha><alphablend green=\"9\"/></alpha><alpha enabled=\"no\"><x/><alphablend red=\"7\"/></alpha>"
        "</texture>"
        "<texture><filename> padded.jpg </filename></texture>"
        "<texture><filename>padded.jpg</filename><filter minfilter=\"nearest\"/></texture>"
        "<texture><filename>padded.jpg</filename><filter minfilter=\"linear\"/></texture>"
        "<nested><texture><filename>nested.jpg</filename></texture></nested>"
        "</textures>",
        &out);
    EXPECT_EQ(out, LOADED);
    EXPECT_TRUE(catalogue->isValid());
    EXPECT_EQ(catalogue->getEntries().size(), 9u);
    const GLint TRILINEAR = GL_LINEAR_MIPMAP_LINEAR;
    EXPECT_EQ(describe(catalogue->getEntry("plain.jpg")),
              describe(false, 0, 0, 0, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT));
    EXPECT_EQ(describe(catalogue->getEntry("font.bmp")),
              describe(true, 255, 12, -5, GL_NEAREST, GL_NEAREST, false, GL_CLAMP, GL_REPEAT));
    EXPECT_EQ(describe(catalogue->getEntry("mip.tga")),
              describe(false, 0, 0, 0, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, true, GL_REPEAT, GL_CLAMP));
    // A later filter or wrap element replaces an earlier one in full; unknown
    // values keep the reset values; names and values are case-sensitive.
    EXPECT_EQ(describe(catalogue->getEntry("reset.jpg")),
              describe(false, 0, 0, 0, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT));
    EXPECT_EQ(describe(catalogue->getEntry("odd.jpg")),
              describe(false, 0, 0, 0, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT));
    // A later alpha element overrides only what it carries; alphablend counts
    // only as the first element child.
    EXPECT_EQ(describe(catalogue->getEntry("alpha.jpg")),
              describe(false, 1, 9, 3, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT));
    // File names are verbatim, the first of two entries counts, and only
    // texture elements directly under the root are entries.
    EXPECT_TRUE(catalogue->hasEntry(" padded.jpg "));
    EXPECT_EQ(catalogue->getEntry("padded.jpg").minFilter, GL_NEAREST);
    EXPECT_FALSE(catalogue->hasEntry("nested.jpg"));
    EXPECT_FALSE(catalogue->hasEntry("FONT.BMP"));
}

TEST(TextureResourceFile, ReadingStopsAtTheFirstMalformedEntry) {
    for (const char* middle :
         {"<texture><alpha/><filename>b.jpg</filename></texture>", "<texture>text</texture>",
          "<texture><filename/></texture>", "<texture><filename><x/>b</filename></texture>"}) {
        std::string out;
        auto catalogue =
            readCatalogue(std::string("<textures><texture><filename>a.jpg</filename></texture>") + middle +
                              "<texture><filename>c.jpg</filename></texture></textures>",
                          &out);
        EXPECT_EQ(out, "ERROR: [TextureResourceFile] TextureResourceFile could not be loaded.\n") << middle;
        EXPECT_FALSE(catalogue->isValid());
        ASSERT_EQ(catalogue->getEntries().size(), 1u) << middle;
        EXPECT_EQ(catalogue->getEntries()[0].fileName, "a.jpg");
    }
}

TEST(TextureResourceFile, MissingUnparsableAndHostileFilesAreEmptyCatalogues) {
    const std::string dir = zeltest::scratchDir("catalogue_empty");
    std::filesystem::create_directory(dir + "/folder.xml");
    std::string deep = "<textures>";
    for (int i = 0; i < 5000; ++i)
        deep += "<texture>";
    const struct {
        std::string name, text, err;
    } cases[] = {
        {"missing.xml", "", ""},
        {"empty.xml", "", ""},
        {"text.xml", "not xml", ""},
        {"open.xml", "<textures><texture><filename>a.jpg</filename>", ""},
        {"folder.xml", "",
         "ERROR: [TextureResourceFile] " + dir + "/folder.xml is not a regular file; it is not read.\n"},
        // Nesting beyond the parser's depth limit.
        {"deep.xml", deep, ""},
    };
    for (const auto& c : cases) {
        const std::string path = dir + "/" + c.name;
        if (c.name != "missing.xml" && c.name != "folder.xml")
            zeltest::writeFile(dir, c.name, c.text);
        std::unique_ptr<TextureResourceFile> catalogue;
        std::string out;
        const std::string err = zeltest::captureStderr([&] {
            out = zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(path); });
        });
        EXPECT_EQ(err, c.err) << c.name;
        EXPECT_EQ(out, LOADED) << c.name;
        EXPECT_TRUE(catalogue->isValid()) << c.name;
        EXPECT_TRUE(catalogue->getEntries().empty()) << c.name;
    }
}

TEST(TextureResourceFile, HugeFilesAreRefusedAndThousandsOfDuplicatesKept) {
    const std::string dir = zeltest::scratchDir("catalogue_hostile");
    // A file over the size limit is refused without parsing.
    const std::string big =
        zeltest::writeFile(dir, "big.xml",
                           "<textures><texture><filename>a.jpg</filename></texture>" +
                               std::string(TextureResourceFile::MAX_FILE_BYTES, ' ') + "</textures>");
    std::string out;
    std::unique_ptr<TextureResourceFile> catalogue;
    const std::string err = zeltest::captureStderr([&] {
        out = zeltest::captureStdout([&] { catalogue = std::make_unique<TextureResourceFile>(big); });
    });
    EXPECT_EQ(err, "ERROR: [TextureResourceFile] " + big +
                       " is larger than its size limit (4194304 bytes); it is not read.\n");
    EXPECT_EQ(out, "ERROR: [TextureResourceFile] TextureResourceFile could not be loaded.\n");
    EXPECT_TRUE(catalogue->getEntries().empty());
    EXPECT_FALSE(catalogue->isValid());

    // 5000 entries for one name, each with another key colour: all are kept in file order, and
    // lookups answer with the first, without time growing with the square of the count.
    std::string text = "<textures>";
    for (int i = 0; i < 5000; ++i) {
        text += "<texture><filename>same.bmp</filename><alpha enabled='true'><alphablend red='" +
                std::to_string(i % 256) + "' green='" + std::to_string(i) + "' blue='1'/></alpha></texture>";
    }
    const auto start = std::chrono::steady_clock::now();
    catalogue = readCatalogue(text + "<texture><filename>last.bmp</filename></texture></textures>", &out);
    EXPECT_EQ(out, LOADED);
    ASSERT_EQ(catalogue->getEntries().size(), 5001u);
    EXPECT_EQ(catalogue->getEntries()[4999].green, 4999);
    EXPECT_EQ(catalogue->getEntry("same.bmp").green, 0);
    EXPECT_TRUE(catalogue->hasEntry("last.bmp"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
