// The XML access layer: hostile and bad documents, XPath results, names, text,
// siblings, the descendant search order and attributes.

#include "support/GLContext.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLAttributeList.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

using namespace xml;

namespace {

using zeltest::writeFile;

std::string attributes(int count, const std::string& value) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += " a" + std::to_string(i) + "='" + value + "'";
    return text;
}

std::string nameOf(const CXMLNode& node) {
    std::string name;
    node.getName(name);
    return name;
}

std::string idOf(const CXMLNode& node) {
    CXMLAttribute id;
    node.getAttribute("id", id);
    return id.getValue();
}

class XMLLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        document = std::make_unique<CXMLDocument>(
            writeFile(zeltest::scratchDir("xml_layer"), "doc.xml",
                      "<root><plain/><attrs xx=\"long\" x=\"short\" p:z=\"prefixed\" "
                      "xmlns:p=\"urn:p\"/><upper X=\"1\"/>"
                      "<text> a </text><empty></empty><nested><inner>t</inner>after</nested>"
                      "<commented><!--note-->text</commented><first/>  text <!-- c --> <second/>"
                      "<search><a><b><c><match id=\"deep\"/></c></b></a><match id=\"direct\"/></search>"
                      "<search2><a><b><match id=\"first-subtree\"/></b></a><c><match "
                      "id=\"second\"/></c><!--x--></search2>"
                      "</root>"));
        ASSERT_TRUE(document->isLoaded());
    }

    // The single node a query yields.
    CXMLNode node(const std::string& expression) {
        auto nodes = document->evaluateXPath(expression);
        CXMLNode result;
        EXPECT_TRUE(nodes && nodes->getCount() == 1 && nodes->getNode(0, result)) << expression;
        return result;
    }

    std::unique_ptr<CXMLDocument> document;
};

} // namespace

TEST(XMLDocumentLoad, HostileAndBadFilesAreRefusedQuicklyAndSilently) {
    const std::string dir = zeltest::scratchDir("xml_load");
    const std::string declarations = "declares a document type or entities, which are not accepted";
    const std::string tooMany = "has an element with more than 256 attributes";
    std::string entityUses;
    for (int i = 0; i < 3000; ++i)
        entityUses += "<t v='&e;'>&e;</t>";
    const struct {
        std::string path;
        bool loaded;
        std::string refusal;
    } cases[] = {
        {writeFile(dir, "plain.xml",
                   "<a" + attributes(256, "=") +
                       "><!-- <!DOCTYPE a> --><![CDATA[<!ENTITY =>]]><?pi a=b?></a>"),
         true, ""},
        {writeFile(dir, "entity.xml",
                   "<!DOCTYPE a [<!ENTITY e '" + std::string(1 << 20, 'x') + "'>]><a>" + entityUses + "</a>"),
         false, declarations},
        {writeFile(dir, "late.xml", "<a/><!ENTITY e 'x'>"), false, declarations},
        {writeFile(dir, "257.xml", "<a" + attributes(257, "") + "/>"), false, tooMany},
        {writeFile(dir, "300000.xml", "<a" + attributes(300000, "") + "/>"), false, tooMany},
        {writeFile(dir, "undeclared.xml", "<a>&e;</a>"), false, ""},
        // Compressed bytes are parsed as they are (never inflated), so they fail.
        {writeFile(
             dir, "gzip.xml",
             std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff\xb3\x49\xd4\xb7\x03\x00\xd4\x1c\xd1\x01"
                         "\x04\x00\x00\x00",
                         24)),
         false, ""},
        {dir + "/missing.xml", false, "does not exist or is not accessible"},
        {writeFile(dir, "empty.xml", ""), false, ""},
        {writeFile(dir, "cut.xml", "<a><b>"), false, ""},
        {dir, false, "is not a regular file"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        std::unique_ptr<CXMLDocument> document;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(zeltest::captureStdout([&] { document = std::make_unique<CXMLDocument>(c.path); }), "");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << c.path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << c.path;
        EXPECT_EQ(document->isLoaded(), c.loaded) << c.path;
        EXPECT_EQ(document->getRefusal(), c.refusal) << c.path;
        EXPECT_EQ(document->evaluateXPath("/a") == nullptr, !c.loaded);
    }
    const std::string small = writeFile(dir, "small.xml", "<a>     </a>");
    EXPECT_EQ(CXMLDocument(small, 11).getRefusal(), "is larger than its size limit (11 bytes)");
    EXPECT_TRUE(CXMLDocument(small, 12).isLoaded());
}

TEST_F(XMLLayerTest, XPathResults) {
    CXMLNode out;
    auto none = document->evaluateXPath("/root/nothing");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->getCount(), 0);
    EXPECT_FALSE(none->getNode(0, out));
    EXPECT_EQ(document->evaluateXPath("count(/root/*)")->getCount(), 0); // a number, not nodes

    auto matches = document->evaluateXPath("//match");
    ASSERT_EQ(matches->getCount(), 4);
    ASSERT_TRUE(matches->getNode(3, out)); // in document order
    EXPECT_EQ(idOf(out), "second");
    EXPECT_FALSE(matches->getNode(4, out));
    EXPECT_FALSE(matches->getNode(-1, out));

    std::unique_ptr<CXMLNodeSet> broken;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(zeltest::captureStdout([&] { broken = document->evaluateXPath("/root/["); }),
              "ERROR: [XMLDocument] Could not evaluate XPath expression.\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(broken, nullptr);
}

TEST_F(XMLLayerTest, Attributes) {
    CXMLAttributeList list;
    CXMLAttribute attribute;
    EXPECT_FALSE(node("/root/plain").getAttributes(list));
    EXPECT_FALSE(node("/root/plain").getAttribute("x", attribute));
    EXPECT_EQ(list.getCount(), 0);

    CXMLNode attrs = node("/root/attrs");
    ASSERT_TRUE(attrs.getAttributes(list));
    ASSERT_EQ(list.getCount(), 3);
    EXPECT_EQ(list.get(0).getName(), "xx");
    EXPECT_EQ(list.get(2).getName(), "z"); // local name without prefix
    EXPECT_EQ(list.get(2).getValue(), "prefixed");
    EXPECT_THROW(list.get(3), std::out_of_range);

    ASSERT_TRUE(attrs.getAttribute("x", attribute));
    EXPECT_EQ(attribute.getValue(), "short");
    EXPECT_FALSE(attrs.getAttribute("xxx", attribute));
    EXPECT_FALSE(node("/root/upper").getAttribute("x", attribute));
    EXPECT_TRUE(node("/root/upper").getAttribute("X", attribute));
}

TEST_F(XMLLayerTest, NamesTextAndSiblings) {
    std::string text = "unchanged";
    for (const char* path : {"/root/empty", "/root/nested", "/"}) // nested: first child is an element
        EXPECT_FALSE(node(path).getText(text)) << path;
    EXPECT_FALSE(CXMLNode().getText(text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(node("/root/text").getText(text));
    EXPECT_EQ(text, " a ");
    EXPECT_TRUE(node("/root/commented").getText(text));
    EXPECT_EQ(text, "note");
    EXPECT_EQ(nameOf(node("/root/text/text()")), "text");
    EXPECT_FALSE(CXMLNode().getName(text));

    CXMLNode sibling;
    ASSERT_TRUE(node("/root/first").getNextSibling(sibling)); // past text and a comment
    EXPECT_EQ(nameOf(sibling), "second");
    EXPECT_FALSE(node("/root/nested/inner").getNextSibling(sibling)); // only text follows
    EXPECT_FALSE(CXMLNode().getNextSibling(sibling));
    EXPECT_FALSE(node("/root/commented").getFirstChild(sibling));
}

TEST_F(XMLLayerTest, FindChildPrefersDirectChildrenThenSearchesSubtreesInOrder) {
    CXMLNode found;
    ASSERT_TRUE(node("/root/search").findChild("match", found));
    EXPECT_EQ(idOf(found), "direct");
    ASSERT_TRUE(node("/root/search2").findChild("match", found));
    EXPECT_EQ(idOf(found), "first-subtree");
    ASSERT_TRUE(node("/root/search2").findChild("comment", found)); // kinds by library name
    EXPECT_EQ(found.getNodePointer()->type, XML_COMMENT_NODE);

    const CXMLNode before = found;
    EXPECT_FALSE(node("/root/text").findChild("text", found)); // text never matches
    EXPECT_FALSE(node("/root/search").findChild("nothing", found));
    EXPECT_FALSE(CXMLNode().findChild("root", found));
    EXPECT_EQ(found.getNodePointer(), before.getNodePointer()); // unchanged
}
