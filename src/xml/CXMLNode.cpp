#include "xml/CXMLNode.h"

#include "xml/CXMLAttribute.h"
#include "xml/CXMLAttributeList.h"

namespace xml {

namespace {

// Only these kinds are laid out as a full xmlNode with a content field;
// declarations, attributes and documents share just the leading fields.
bool hasContentField(xmlNodePtr node) {
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE:
    case XML_XINCLUDE_START:
    case XML_XINCLUDE_END:
        return true;
    default:
        return false;
    }
}

// Entity references point into the DTD's declarations; searching there would
// find declarations rather than document content.
bool isSearchable(xmlNodePtr node) {
    return node->type != XML_ENTITY_REF_NODE && node->type != XML_DTD_NODE;
}

} // namespace

CXMLNode::CXMLNode() : node(nullptr) {}

// XPath can return namespace declarations, which are not xmlNode records at all;
// such a result is treated as a null reference.
CXMLNode::CXMLNode(xmlNodePtr node)
    : node(node != nullptr && node->type == XML_NAMESPACE_DECL ? nullptr : node) {}

CXMLNode::~CXMLNode() = default;

bool CXMLNode::getName(std::string& name) const {
    if (node == nullptr || node->name == nullptr) {
        return false;
    }
    name = reinterpret_cast<const char*>(node->name);
    return true;
}

bool CXMLNode::getText(std::string& text) const {
    if (node == nullptr || node->children == nullptr || !hasContentField(node->children) ||
        node->children->content == nullptr) {
        return false;
    }
    text = reinterpret_cast<const char*>(node->children->content);
    return true;
}

bool CXMLNode::getFirstChild(CXMLNode& child) const {
    if (node == nullptr || !isSearchable(node)) {
        return false;
    }
    for (xmlNodePtr next = node->children; next != nullptr; next = next->next) {
        if (next->type == XML_ELEMENT_NODE) {
            child = CXMLNode(next);
            return true;
        }
    }
    return false;
}

bool CXMLNode::getNextSibling(CXMLNode& sibling) const {
    if (node == nullptr) {
        return false;
    }
    for (xmlNodePtr next = node->next; next != nullptr; next = next->next) {
        if (next->type == XML_ELEMENT_NODE) {
            sibling = CXMLNode(next);
            return true;
        }
    }
    return false;
}

bool CXMLNode::findIn(xmlNodePtr parent, const std::string& name, xmlNodePtr& found) {
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->name == nullptr) {
            continue;
        }
        if (name == reinterpret_cast<const char*>(child->name)) {
            found = child;
            return true;
        }
    }
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || !isSearchable(child)) {
            continue;
        }
        if (findIn(child, name, found)) {
            return true;
        }
    }
    return false;
}

bool CXMLNode::findChild(const std::string& name, CXMLNode& child) const {
    if (node == nullptr || !isSearchable(node)) {
        return false;
    }
    xmlNodePtr found = nullptr;
    if (!findIn(node, name, found)) {
        return false;
    }
    child = CXMLNode(found);
    return true;
}

bool CXMLNode::getAttributes(CXMLAttributeList& attributes) const {
    if (node == nullptr || node->type != XML_ELEMENT_NODE || node->properties == nullptr) {
        return false;
    }
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        attributes.add(CXMLAttribute(attribute));
    }
    return true;
}

bool CXMLNode::getAttribute(const std::string& name, CXMLAttribute& attribute) const {
    if (node == nullptr || node->type != XML_ELEMENT_NODE) {
        return false;
    }
    // The attributes are walked in place and only the match is copied; a
    // lookup costs nothing for the values it passes over.
    for (xmlAttrPtr candidate = node->properties; candidate != nullptr; candidate = candidate->next) {
        if (candidate->name != nullptr && name == reinterpret_cast<const char*>(candidate->name)) {
            attribute = CXMLAttribute(candidate);
            return true;
        }
    }
    return false;
}

xmlNodePtr CXMLNode::getNodePointer() const {
    return node;
}

} // namespace xml
