#include "xml/CXMLNodeSet.h"

#include "xml/CXMLNode.h"

namespace xml {

CXMLNodeSet::CXMLNodeSet(xmlXPathObjectPtr result)
    : nodes(result != nullptr ? result->nodesetval : nullptr), result(result) {}

CXMLNodeSet::~CXMLNodeSet() {
    if (result != nullptr) {
        xmlXPathFreeObject(result);
    }
}

int CXMLNodeSet::getCount() const {
    if (nodes == nullptr) {
        return 0;
    }
    return nodes->nodeNr;
}

bool CXMLNodeSet::getNode(int index, CXMLNode& node) const {
    if (index < 0 || index >= getCount()) {
        return false;
    }
    node = CXMLNode(nodes->nodeTab[index]);
    return true;
}

} // namespace xml
