// Fuzzes the XML access layer: the input's first byte picks one XPath query from
// a fixed table (the readers' own queries and a few general ones; the engine
// never evaluates expressions taken from data), the rest is written to a file
// and parsed as the document. Every node of the result is then walked with each
// query of the layer: name, text, first child, next sibling, descendant search
// for the names the readers look for, attribute list and attribute lookup.

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLAttributeList.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

namespace {

const char* const QUERIES[] = {
    "/sgf/mesh", "/sgf/light", "/textures/texture", "/*", "//*", "//@*",
    "//text()", "//comment()", "/", "count(//*)", "//*[@x]", "/sgf/mesh/*[1]/*",
};
const std::size_t QUERY_COUNT = sizeof(QUERIES) / sizeof(QUERIES[0]);

const char* const NAMES[] = {"indices", "texCoord", "texture", "filename", "alphablend", "x", ""};

// Walks at most budget nodes of the subtree below node with the layer's queries.
void walk(const xml::CXMLNode& node, int depth, int& budget) {
    if (budget-- <= 0 || depth > 64) {
        return;
    }
    std::string text;
    node.getName(text);
    node.getText(text);
    xml::CXMLAttributeList attributes;
    if (node.getAttributes(attributes)) {
        for (int i = 0; i < attributes.getCount(); ++i) {
            const xml::CXMLAttribute attribute = attributes.get(i);
            xml::CXMLAttribute found;
            node.getAttribute(attribute.getName(), found);
        }
    }
    xml::CXMLAttribute missing;
    node.getAttribute("u", missing);
    if (depth < 4) {
        for (const char* name : NAMES) {
            xml::CXMLNode found;
            node.findChild(name, found);
        }
    }
    xml::CXMLNode child;
    bool more = node.getFirstChild(child);
    while (more && budget > 0) {
        walk(child, depth + 1, budget);
        more = child.getNextSibling(child);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlInitParser();
    zelfuzz::enterScratchDirectory("xml");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const char* const query = QUERIES[data[0] % QUERY_COUNT];
    const char* const path = "document.xml";
    zelfuzz::writeFile(path, data + 1, size - 1);

    xml::CXMLDocument document(path);
    if (!document.isLoaded()) {
        return 0;
    }
    std::unique_ptr<xml::CXMLNodeSet> nodes = document.evaluateXPath(query);
    if (!nodes) {
        return 0;
    }
    int budget = 4096;
    const int count = nodes->getCount();
    for (int i = 0; i < count && budget > 0; ++i) {
        xml::CXMLNode node;
        if (nodes->getNode(i, node)) {
            walk(node, 0, budget);
        }
    }
    xml::CXMLNode outside;
    nodes->getNode(count, outside);
    nodes->getNode(-1, outside);
    return 0;
}
