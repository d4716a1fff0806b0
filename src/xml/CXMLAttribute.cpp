#include "xml/CXMLAttribute.h"

namespace xml {

CXMLAttribute::CXMLAttribute() = default;

CXMLAttribute::CXMLAttribute(xmlAttrPtr attribute) {
    if (attribute == nullptr) {
        return;
    }
    if (attribute->name != nullptr) {
        name = reinterpret_cast<const char*>(attribute->name);
    }
    if (attribute->children != nullptr && attribute->children->content != nullptr) {
        value = reinterpret_cast<const char*>(attribute->children->content);
    }
}

CXMLAttribute::CXMLAttribute(const CXMLAttribute& other) = default;

CXMLAttribute::~CXMLAttribute() = default;

std::string CXMLAttribute::getName() const {
    return name;
}

std::string CXMLAttribute::getValue() const {
    return value;
}

} // namespace xml
