#include "xml/CXMLAttributeList.h"

#include <stdexcept>

namespace xml {

CXMLAttributeList::CXMLAttributeList() = default;

CXMLAttributeList::~CXMLAttributeList() = default;

void CXMLAttributeList::add(const CXMLAttribute& attribute) {
    attributes.push_back(attribute);
}

CXMLAttribute CXMLAttributeList::get(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= attributes.size()) {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return attributes[static_cast<std::size_t>(index)];
}

int CXMLAttributeList::getCount() const {
    return static_cast<int>(attributes.size());
}

} // namespace xml
