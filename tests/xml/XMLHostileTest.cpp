// Hostile XML is refused (or parsed) quickly, with the reason in getRefusal().

#include "support/GLContext.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace xml;

namespace {

std::string attributes(int count, const std::string& value) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += " a" + std::to_string(i) + "='" + value + "'";
    return text;
}

} // namespace

TEST(XMLHostile, DocumentsAreScreenedBeforeParsing) {
    const std::string declarations = "declares a document type or entities, which are not accepted";
    const std::string tooMany = "has an element with more than 256 attributes";
    std::string entityUses;
    for (int i = 0; i < 3000; ++i)
        entityUses += "<t v='&e;'>&e;</t>";
    const struct {
        const char* name;
        std::string text;
        bool loaded;
        std::string refusal;
    } cases[] = {
        {"plain", "<a" + attributes(256, "=") + "><!-- <!DOCTYPE a> --><![CDATA[<!ENTITY =>]]><?pi a=b?></a>",
         true, ""},
        {"entity", "<!DOCTYPE a [<!ENTITY e '" + std::string(1 << 20, 'x') + "'>]><a>" + entityUses + "</a>",
         false, declarations},
        {"late declaration", "<a/><!ENTITY e 'x'>", false, declarations},
        {"257 attributes", "<a" + attributes(257, "") + "/>", false, tooMany},
        {"300000 attributes", "<a" + attributes(300000, "") + "/>", false, tooMany},
        {"undeclared entity", "<a>&e;</a>", false, ""},
        // Compressed bytes are parsed as they are (never inflated), so they fail.
        {"gzip",
         std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff\xb3\x49\xd4\xb7\x03\x00\xd4\x1c\xd1\x01\x04"
                     "\x00\x00\x00",
                     24),
         false, ""},
    };
    const std::string dir = zeltest::scratchDir("xml_hostile");
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        CXMLDocument document(zeltest::writeFile(dir, "doc.xml", c.text));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << c.name;
        EXPECT_EQ(document.isLoaded(), c.loaded) << c.name;
        EXPECT_EQ(document.getRefusal(), c.refusal) << c.name;
    }
    const std::string small = zeltest::writeFile(dir, "small.xml", "<a>     </a>");
    EXPECT_EQ(CXMLDocument(small, 11).getRefusal(), "is larger than its size limit (11 bytes)");
    EXPECT_TRUE(CXMLDocument(small, 12).isLoaded());
}
