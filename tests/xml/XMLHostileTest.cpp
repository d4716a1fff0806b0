// Hostile XML for the access layer: compressed files, declarations and
// entities, elements with huge attribute counts, special files. Each is refused
// (or parsed) quickly, with the reason in getRefusal().

#include "support/GLContext.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>

using namespace xml;

namespace {

std::string attributes(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    return text;
}

} // namespace

TEST(XMLHostile, DocumentsAreScreenedBeforeParsing) {
    struct Case {
        const char* name;
        std::string text;
        bool loaded;
        std::string refusal;
    };
    const std::string declarations = "declares a document type or entities, which are not accepted";
    const std::string big(1 << 20, 'x');
    std::string entityUses;
    for (int i = 0; i < 3000; ++i) entityUses += "<t v='&e;'>&e;</t>";
    const Case cases[] = {
        {"plain", "<a" + attributes(256) + "><!-- <!DOCTYPE a> --><![CDATA[<!ENTITY =====>]]><?pi a=b?></a>", true, ""},
        {"entity", "<!DOCTYPE a [<!ENTITY e '" + big + "'>]><a>" + entityUses + "</a>", false, declarations},
        {"bare declaration", "<a/><!ENTITY e 'x'>", false, declarations},
        {"attributes", "<a" + attributes(257) + "/>", false, "has an element with more than 256 attributes"},
        {"many attributes", "<a" + attributes(300000) + "/>", false, "has an element with more than 256 attributes"},
        {"quoted equals", "<a b='" + std::string(1000, '=') + "'/>", true, ""},
        {"undeclared entity", "<a>&e;</a>", false, ""},
        // Compressed bytes are parsed as they are (never inflated), so they fail.
        {"gzip", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff\xb3\x49\xd4\xb7\x03\x00\xd4\x1c\xd1\x01\x04\x00\x00\x00", 24),
         false, ""},
    };
    const std::string dir = zeltest::scratchDir("xml_hostile");
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        CXMLDocument document(zeltest::writeFile(dir, "doc.xml", c.text));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << c.name;
        EXPECT_EQ(document.isLoaded(), c.loaded) << c.name;
        EXPECT_EQ(document.getRefusal(), c.refusal) << c.name;
        EXPECT_EQ(CXMLDocument::fromText(c.text)->isLoaded(), c.loaded) << c.name;
    }
}

TEST(XMLHostile, FilesThatAreNotRegularOrTooLargeAreNotOpened) {
    const std::string dir = zeltest::scratchDir("xml_hostile_files");
    ASSERT_EQ(mkfifo((dir + "/pipe.xml").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.xml").c_str()), 0);
    const std::string big = zeltest::writeFile(dir, "big.xml", "<a>" + std::string(100, ' ') + "</a>");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CXMLDocument(dir + "/pipe.xml").getRefusal(), "is not a regular file");
    EXPECT_EQ(CXMLDocument(dir + "/zero.xml").getRefusal(), "is not a regular file");
    EXPECT_EQ(CXMLDocument(dir + "/missing.xml").getRefusal(), "does not exist or is not accessible");
    EXPECT_EQ(CXMLDocument(big, 100).getRefusal(), "is larger than its size limit (100 bytes)");
    EXPECT_TRUE(CXMLDocument(big, 107).isLoaded());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(XMLHostile, AttributeLookupsDoNotCopyWhatTheyPass) {
    // 50 attributes of 100 kB each, looked up 20,000 times by the last name:
    // copying every value per lookup would move 100 GB.
    std::string text = "<a";
    for (int i = 0; i < 50; ++i) text += " v" + std::to_string(i) + "='" + std::string(100000, 'x') + "'";
    text += " last='1'/>";
    auto document = CXMLDocument::fromText(text);
    ASSERT_TRUE(document->isLoaded());
    auto nodes = document->evaluateXPath("/a");
    CXMLNode node;
    ASSERT_TRUE(nodes->getNode(0, node));
    const auto start = std::chrono::steady_clock::now();
    CXMLAttribute found;
    for (int i = 0; i < 20000; ++i) ASSERT_TRUE(node.getAttribute("last", found));
    EXPECT_EQ(found.getValue(), "1");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
