#pragma once
// A non-owning reference to one node of a CXMLDocument, copied freely by value
// and valid only while the document lives. Readers use it to read names, the
// text of elements, attributes, element siblings, and to search descendants by
// name. Every query returns false when the answer is absent and then leaves its
// out argument untouched, so callers can pre-load defaults.

#include <libxml/tree.h>

#include <string>

namespace xml {

class CXMLAttribute;
class CXMLAttributeList;

class CXMLNode {
public:
    CXMLNode();
    explicit CXMLNode(xmlNodePtr node);
    CXMLNode(const CXMLNode& other) = default;
    CXMLNode& operator=(const CXMLNode& other) = default;
    virtual ~CXMLNode();

    // The node's name; false for a null reference or a node without a name.
    bool getName(std::string& name) const;

    // The content of the first child verbatim (the text of a text-only element;
    // a leading comment yields the comment's text). False when there is no first
    // child or it has no content (for example an element).
    bool getText(std::string& text) const;

    // The first child that is an element, skipping text, comments and the like.
    bool getFirstChild(CXMLNode& child) const;

    // The next sibling that is an element, skipping text, comments and the like.
    bool getNextSibling(CXMLNode& sibling) const;

    // Searches below this node for a node with exactly this name: a match among
    // the direct children wins; otherwise each child's subtree is searched in
    // document order.
    bool findChild(const std::string& name, CXMLNode& child) const;

    // Appends one entry per attribute in document order; false (nothing
    // appended) when the node has none.
    bool getAttributes(CXMLAttributeList& attributes) const;

    // The first attribute whose name equals name exactly (case-sensitive).
    bool getAttribute(const std::string& name, CXMLAttribute& attribute) const;

    // The underlying libxml2 node; null for a default-constructed reference.
    xmlNodePtr getNodePointer() const;

private:
    static bool findIn(xmlNodePtr parent, const std::string& name, xmlNodePtr& found);

    xmlNodePtr node; // not owned: belongs to the document
};

} // namespace xml
