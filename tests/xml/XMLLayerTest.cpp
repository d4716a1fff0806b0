// The XML access layer: loading (silently) good and bad files, XPath results,
// node names and text, element siblings, the descendant search order and
// attribute lookup.

#include "support/GLContext.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLAttributeList.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

using namespace xml;

namespace {

std::string writeFile(const std::string& dir, const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// The single node a query yields.
CXMLNode queryOne(CXMLDocument& document, const std::string& expression) {
    auto nodes = document.evaluateXPath(expression);
    EXPECT_NE(nodes, nullptr) << expression;
    CXMLNode node;
    if (nodes) {
        EXPECT_EQ(nodes->getCount(), 1) << expression;
        EXPECT_TRUE(nodes->getNode(0, node)) << expression;
    }
    return node;
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
        dir = zeltest::scratchDir("xml_layer");
        path = writeFile(dir, "doc.xml",
                         "<?xml version=\"1.0\"?>\n"
                         "<root>\n"
                         "  <plain/>\n"
                         "  <attrs xx=\"long\" x=\"short\" y=\"\" p:z=\"prefixed\" xmlns:p=\"urn:p\"/>\n"
                         "  <upper X=\"1\"/>\n"
                         "  <text> a </text>\n"
                         "  <empty></empty>\n"
                         "  <nested><inner>t</inner>after</nested>\n"
                         "  <commented><!--note-->text</commented>\n"
                         "  <first/>  text <!-- c --> <second/>\n"
                         "  <search>\n"
                         "    <a><b><c><match id=\"deep\"/></c></b></a>\n"
                         "    <match id=\"direct\"/>\n"
                         "  </search>\n"
                         "  <search2>\n"
                         "    <a><b><match id=\"first-subtree\"/></b></a>\n"
                         "    <c><match id=\"second-subtree\"/></c>\n"
                         "    <!-- a comment -->\n"
                         "  </search2>\n"
                         "</root>\n");
        document = std::make_unique<CXMLDocument>(path);
        ASSERT_TRUE(document->isLoaded());
    }

    std::string dir;
    std::string path;
    std::unique_ptr<CXMLDocument> document;
};

} // namespace

TEST(XMLDocumentLoad, BadFilesLeaveTheDocumentUnloadedWithoutAnyOutput) {
    const std::string dir = zeltest::scratchDir("xml_load");
    const std::string paths[] = {
        dir + "/missing.xml",
        writeFile(dir, "empty.xml", ""),
        writeFile(dir, "unclosed.xml", "<textures><texture>"),
        writeFile(dir, "binary.xml", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11)),
        writeFile(dir, "text.xml", "just some words"),
        writeFile(dir, "two_roots.xml", "<a/><b/>"),
        dir,
    };
    for (const std::string& p : paths) {
        ::testing::internal::CaptureStderr();
        std::unique_ptr<CXMLDocument> document;
        const std::string out = zeltest::captureStdout([&] { document = std::make_unique<CXMLDocument>(p); });
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(document->isLoaded()) << p;
        EXPECT_EQ(out, "") << p;
        EXPECT_EQ(err, "") << p;
        EXPECT_EQ(document->evaluateXPath("/a"), nullptr) << p;
    }
    CXMLDocument good(writeFile(dir, "good.xml", "<a/>"));
    EXPECT_TRUE(good.isLoaded());
}

TEST_F(XMLLayerTest, XPathResults) {
    auto none = document->evaluateXPath("/root/nothing");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->getCount(), 0);
    CXMLNode node;
    EXPECT_FALSE(none->getNode(0, node));
    EXPECT_EQ(node.getNodePointer(), nullptr);

    // A number is not a node list.
    auto number = document->evaluateXPath("count(/root/*)");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->getCount(), 0);

    auto matches = document->evaluateXPath("//match");
    ASSERT_NE(matches, nullptr);
    ASSERT_EQ(matches->getCount(), 4);
    const char* order[] = {"deep", "direct", "first-subtree", "second-subtree"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(matches->getNode(i, node));
        EXPECT_EQ(idOf(node), order[i]);
    }
    // Out of range leaves the node where it was.
    EXPECT_FALSE(matches->getNode(4, node));
    EXPECT_FALSE(matches->getNode(-1, node));
    EXPECT_EQ(idOf(node), "second-subtree");

    // The node set may outlive its document's queries, and the result its context.
    matches.reset();

    std::unique_ptr<CXMLNodeSet> broken;
    ::testing::internal::CaptureStderr();
    const std::string out = zeltest::captureStdout([&] { broken = document->evaluateXPath("/root/["); });
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(broken, nullptr);
    EXPECT_EQ(out, "ERROR: [XMLDocument] Could not evaluate XPath expression.\n");
}

TEST_F(XMLLayerTest, Attributes) {
    CXMLNode plain = queryOne(*document, "/root/plain");
    CXMLAttributeList list;
    EXPECT_FALSE(plain.getAttributes(list));
    EXPECT_EQ(list.getCount(), 0);
    CXMLAttribute attribute;
    EXPECT_FALSE(plain.getAttribute("x", attribute));

    CXMLNode attrs = queryOne(*document, "/root/attrs");
    ASSERT_TRUE(attrs.getAttributes(list));
    ASSERT_EQ(list.getCount(), 4);
    EXPECT_EQ(list.get(0).getName(), "xx");
    EXPECT_EQ(list.get(1).getName(), "x");
    EXPECT_EQ(list.get(2).getName(), "y");
    EXPECT_EQ(list.get(3).getName(), "z"); // local name, no prefix
    EXPECT_EQ(list.get(3).getValue(), "prefixed");
    // getAttributes appends.
    ASSERT_TRUE(attrs.getAttributes(list));
    EXPECT_EQ(list.getCount(), 8);

    ASSERT_TRUE(attrs.getAttribute("x", attribute));
    EXPECT_EQ(attribute.getName(), "x");
    EXPECT_EQ(attribute.getValue(), "short");
    ASSERT_TRUE(attrs.getAttribute("y", attribute));
    EXPECT_EQ(attribute.getValue(), "");
    EXPECT_FALSE(attrs.getAttribute("", attribute));
    EXPECT_FALSE(attrs.getAttribute("xxx", attribute));
    EXPECT_EQ(attribute.getName(), "y"); // unchanged by the failed lookup

    CXMLNode upper = queryOne(*document, "/root/upper");
    EXPECT_FALSE(upper.getAttribute("x", attribute));
    EXPECT_TRUE(upper.getAttribute("X", attribute));

    try {
        list.get(8);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
    EXPECT_THROW(list.get(-1), std::out_of_range);

    CXMLAttribute copy(attribute);
    EXPECT_EQ(copy.getName(), "X");
    EXPECT_EQ(copy.getValue(), "1");
    CXMLAttribute blank;
    EXPECT_EQ(blank.getName(), "");
    EXPECT_EQ(blank.getValue(), "");
}

TEST_F(XMLLayerTest, NamesAndText) {
    std::string text = "unchanged";
    EXPECT_TRUE(queryOne(*document, "/root/text").getText(text));
    EXPECT_EQ(text, " a ");

    text = "unchanged";
    EXPECT_FALSE(queryOne(*document, "/root/empty").getText(text));
    EXPECT_FALSE(queryOne(*document, "/root/plain").getText(text));
    EXPECT_FALSE(queryOne(*document, "/root/nested").getText(text));
    EXPECT_EQ(text, "unchanged");

    EXPECT_TRUE(queryOne(*document, "/root/commented").getText(text));
    EXPECT_EQ(text, "note");

    // The first child of the document node is the root element: no content.
    EXPECT_FALSE(queryOne(*document, "/").getText(text));
    EXPECT_EQ(nameOf(queryOne(*document, "/root/text/text()")), "text");

    CXMLNode null;
    std::string name = "unchanged";
    EXPECT_FALSE(null.getName(name));
    EXPECT_FALSE(null.getText(text));
    EXPECT_EQ(name, "unchanged");
}

TEST_F(XMLLayerTest, ElementSiblingsSkipOtherKinds) {
    CXMLNode first = queryOne(*document, "/root/first");
    CXMLNode sibling;
    ASSERT_TRUE(first.getNextSibling(sibling));
    EXPECT_EQ(nameOf(sibling), "second");
    // Steps on to the next element of the parent.
    ASSERT_TRUE(sibling.getNextSibling(sibling));
    EXPECT_EQ(nameOf(sibling), "search");

    CXMLNode inner = queryOne(*document, "/root/nested/inner");
    CXMLNode out = first;
    EXPECT_FALSE(inner.getNextSibling(out)); // only text follows it
    EXPECT_EQ(nameOf(out), "first");

    CXMLNode null;
    EXPECT_FALSE(null.getNextSibling(out));

    CXMLNode child;
    ASSERT_TRUE(queryOne(*document, "/root").getFirstChild(child));
    EXPECT_EQ(nameOf(child), "plain");
    EXPECT_FALSE(queryOne(*document, "/root/commented").getFirstChild(child));
}

TEST_F(XMLLayerTest, FindChildPrefersDirectChildrenThenSearchesSubtreesInOrder) {
    CXMLNode found;
    ASSERT_TRUE(queryOne(*document, "/root/search").findChild("match", found));
    EXPECT_EQ(idOf(found), "direct");

    ASSERT_TRUE(queryOne(*document, "/root/search2").findChild("match", found));
    EXPECT_EQ(idOf(found), "first-subtree");

    // Non-text kinds take part under their library names.
    ASSERT_TRUE(queryOne(*document, "/root/search2").findChild("comment", found));
    std::string text;
    EXPECT_FALSE(found.getText(text)); // a comment has no children
    EXPECT_EQ(nameOf(found), "comment");

    // Text nodes never match, even by their library name.
    CXMLNode before = found;
    EXPECT_FALSE(queryOne(*document, "/root/text").findChild("text", found));
    EXPECT_FALSE(queryOne(*document, "/root/search").findChild("nothing", found));
    EXPECT_EQ(found.getNodePointer(), before.getNodePointer());

    ASSERT_TRUE(queryOne(*document, "/root").findChild("inner", found));
    ASSERT_TRUE(found.getText(text));
    EXPECT_EQ(text, "t");

    CXMLNode null;
    EXPECT_FALSE(null.findChild("root", found));
}
