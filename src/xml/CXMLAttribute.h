#pragma once
// One attribute of an XML element as two plain strings, its (local) name and
// its value, copied out of the document so it outlives it. Produced by
// CXMLNode::getAttribute and kept in CXMLAttributeList.

#include <libxml/tree.h>

#include <string>

namespace xml {

class CXMLAttribute {
public:
    CXMLAttribute();
    // Copies the name and the value (the content of the attribute's first child;
    // empty when it has none).
    explicit CXMLAttribute(xmlAttrPtr attribute);
    CXMLAttribute(const CXMLAttribute& other);
    CXMLAttribute& operator=(const CXMLAttribute& other) = default;
    virtual ~CXMLAttribute();

    std::string getName() const;
    std::string getValue() const;

private:
    std::string name;
    std::string value;
};

} // namespace xml
