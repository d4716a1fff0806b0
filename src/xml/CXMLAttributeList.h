#pragma once
// An ordered list of CXMLAttribute values, filled by CXMLNode::getAttributes in
// document order and scanned by CXMLNode::getAttribute.

#include "xml/CXMLAttribute.h"

#include <vector>

namespace xml {

class CXMLAttributeList {
public:
    CXMLAttributeList();
    virtual ~CXMLAttributeList();

    // Appends a copy.
    void add(const CXMLAttribute& attribute);

    // A copy of entry index. An index outside the list throws std::out_of_range
    // with the text "invalid vector<T> subscript".
    CXMLAttribute get(int index) const;

    int getCount() const;

private:
    std::vector<CXMLAttribute> attributes;
};

} // namespace xml
