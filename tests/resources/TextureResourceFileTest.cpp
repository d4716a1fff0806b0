// Reading the texture catalogue: the elements and attributes it understands, the stop at a malformed
// entry, and missing, unparsable and hostile files.

#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

using namespace zel;

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

} // namespace

TEST(TextureResourceFile, ReadsEverySetting) {
    const std::string path = zeltest::writeFile(
        zeltest::scratchDir("catalogue"), "textures.xml",
        "<textures><texture><filename>plain.jpg</filename></texture>"
        "<texture><!-- skipped --><filename>font.bmp</filename> text "
        "  <alpha enabled=\"true\"><alphablend red=\"255\" green=\" 12abc\" blue=\"-5\"/></alpha>"
        "  <filter minfilter=\"nearest\" magfilter=\"nearest\"/><wrap s=\"clamp\" t=\"repeat\"/>"
        "  <unknown minfilter=\"linear\"/></texture>"
        "<texture><filename>mip.tga</filename><filter minfilter=\"nearest_mipmap_linear\"/><wrap "
        "t=\"clamp\"/>"
        "</texture><texture><filename>reset.jpg</filename><filter minfilter=\"linear\" "
        "magfilter=\"nearest\"/>"
        "  <wrap s=\"clamp\" t=\"clamp\"/><filter/><wrap/></texture>"
        "<texture><filename>odd.jpg</filename><filter minfilter=\"LINEAR\" magfilter=\"bilinear\"/>"
        "  <wrap s=\"CLAMP\" t=\"mirror\"/><alpha enabled=\"True\"><alphablend "
        "red=\"abc\"/></alpha></texture>"
        "<texture><filename>alpha.jpg</filename>"
        "  <alpha enabled=\"true\"><alphablend red=\"1\" green=\"2\" blue=\"3\"/></alpha>"
        "  <alpha><alphablend green=\"9\"/></alpha><alpha enabled=\"no\"><x/><alphablend red=\"7\"/></alpha>"
        "</texture><texture><filename> padded.jpg </filename></texture>"
        "<texture><filename>padded.jpg</filename><filter minfilter=\"nearest\"/></texture>"
        "<texture><filename>padded.jpg</filename><filter minfilter=\"linear\"/></texture>"
        "<nested><texture><filename>nested.jpg</filename></texture></nested></textures>");
    std::string out, err;
    auto catalogue = read(path, &out, &err);
    EXPECT_EQ(out + err, LOADED);
    EXPECT_TRUE(catalogue->isValid());
    EXPECT_EQ(catalogue->getEntries().size(), 9u);
    const GLint TRILINEAR = GL_LINEAR_MIPMAP_LINEAR;
    const std::string plain = describe(false, 0, 0, 0, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT);
    const struct {
        const char* name;
        std::string settings;
    } entries[] = {
        {"plain.jpg", plain},
        {"font.bmp", describe(true, 255, 12, -5, GL_NEAREST, GL_NEAREST, false, GL_CLAMP, GL_REPEAT)},
        {"mip.tga", describe(false, 0, 0, 0, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, true, GL_REPEAT, GL_CLAMP)},
        // A later filter or wrap element replaces an earlier one in full; unknown values keep the
        // reset values; names and values are case-sensitive.
        {"reset.jpg", plain},
        {"odd.jpg", plain},
        // A later alpha element overrides only what it carries; alphablend counts only as the first
        // element child.
        {"alpha.jpg", describe(false, 1, 9, 3, TRILINEAR, GL_LINEAR, true, GL_REPEAT, GL_REPEAT)},
        // File names are verbatim, and the first of two entries counts.
        {" padded.jpg ", plain},
        {"padded.jpg", describe(false, 0, 0, 0, GL_NEAREST, GL_LINEAR, false, GL_REPEAT, GL_REPEAT)},
    };
    for (const auto& e : entries) {
        EXPECT_TRUE(catalogue->hasEntry(e.name)) << e.name;
        EXPECT_EQ(describe(catalogue->getEntry(e.name)), e.settings) << e.name;
    }
    // Only texture elements directly under the root are entries.
    EXPECT_FALSE(catalogue->hasEntry("nested.jpg"));
    EXPECT_FALSE(catalogue->hasEntry("FONT.BMP"));
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
        {"empty.xml", "", ""},
        {"text.xml", "not xml", ""},
        {"open.xml", "<textures><texture><filename>a.jpg</filename>", ""},
        {"deep.xml", deep, ""}, // nesting beyond the parser's depth limit
        {"duplicates.xml", duplicates + last, "", 5001},
        // Over the size limit: refused without parsing.
        {"big.xml", first + std::string(TextureResourceFile::MAX_FILE_BYTES, ' ') + "</textures>",
         error + "big.xml is larger than its size limit (4194304 bytes); it is not read.\n", 0, false},
        {"alpha_first.xml", first + "<texture><alpha/><filename>b.jpg</filename></texture>" + last, "", 1,
         false},
        {"text_only.xml", first + "<texture>text</texture>" + last, "", 1, false},
        {"empty_name.xml", first + "<texture><filename/></texture>" + last, "", 1, false},
        {"element_name.xml", first + "<texture><filename><x/>b</filename></texture>" + last, "", 1, false},
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
        EXPECT_TRUE(c.entries == 0 || catalogue->getEntries()[0].fileName == "a.jpg") << c.name;
        EXPECT_EQ(catalogue->getEntry("a.jpg").green, c.entries > 1 ? 1 : 0) << c.name;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
