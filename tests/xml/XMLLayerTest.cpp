// The XML access layer: silent failures on bad files, XPath results, names and
// text, element siblings, the descendant search order and attribute lookup.

#include "support/GLContext.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLAttributeList.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace xml;

namespace {

using zeltest::writeFile;

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
        document = std::make_unique<CXMLDocument>(writeFile(
            zeltest::scratchDir("xml_layer"), "doc.xml",
            "<root><plain/><attrs xx=\"long\" x=\"short\" p:z=\"prefixed\" xmlns:p=\"urn:p\"/><upper X=\"1\"/>"
            "<text> a </text><empty></empty><nested><inner>t</inner>after</nested>"
            "<commented><!--note-->text</commented><first/>  text <!-- c --> <second/>"
            "<search><a><b><c><match id=\"deep\"/></c></b></a><match id=\"direct\"/></search>"
            "<search2><a><b><match id=\"first-subtree\"/></b></a><c><match id=\"second\"/></c><!--x--></search2>"
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

TEST(XMLDocumentLoad, BadFilesLeaveTheDocumentUnloadedWithoutAnyOutput) {
    const std::string dir = zeltest::scratchDir("xml_load");
    for (const std::string& path :
         {dir + "/missing.xml", writeFile(dir, "empty.xml", ""), writeFile(dir, "cut.xml", "<a><b>"),
          writeFile(dir, "text.xml", "just words"), writeFile(dir, "two.xml", "<a/><b/>"), dir}) {
        ::testing::internal::CaptureStderr();
        std::unique_ptr<CXMLDocument> document;
        const std::string out = zeltest::captureStdout([&] { document = std::make_unique<CXMLDocument>(path); });
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << path;
        EXPECT_EQ(out, "") << path;
        EXPECT_FALSE(document->isLoaded()) << path;
        EXPECT_EQ(document->evaluateXPath("/a"), nullptr);
    }
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
    const char* order[] = {"deep", "direct", "first-subtree", "second"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(matches->getNode(i, out));
        EXPECT_EQ(idOf(out), order[i]);
    }
    EXPECT_FALSE(matches->getNode(4, out));
    EXPECT_FALSE(matches->getNode(-1, out));
    EXPECT_EQ(idOf(out), "second"); // unchanged

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
    try {
        list.get(3);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }

    ASSERT_TRUE(attrs.getAttribute("x", attribute));
    EXPECT_EQ(attribute.getValue(), "short");
    EXPECT_FALSE(attrs.getAttribute("xxx", attribute));
    EXPECT_EQ(attribute.getName(), "x"); // unchanged by the failed lookup
    EXPECT_FALSE(node("/root/upper").getAttribute("x", attribute));
    EXPECT_TRUE(node("/root/upper").getAttribute("X", attribute));
}

TEST_F(XMLLayerTest, NamesTextAndSiblings) {
    std::string text = "unchanged";
    EXPECT_FALSE(node("/root/empty").getText(text));
    EXPECT_FALSE(node("/root/nested").getText(text)); // first child is an element
    EXPECT_FALSE(node("/").getText(text));
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
    EXPECT_EQ(nameOf(sibling), "second");
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
    EXPECT_EQ(found.getNodePointer(), before.getNodePointer());
}
