#pragma once
// The result of an XPath query on a CXMLDocument: an indexed list of nodes in
// the order the evaluator returns them (document order). Readers walk it with
// getCount/getNode. It owns the libxml2 result object; the nodes themselves
// belong to the document and are valid only while it lives.

#include <libxml/xpath.h>

namespace xml {

class CXMLNode;

class CXMLNodeSet {
public:
    // Takes ownership of the result object (may be null).
    explicit CXMLNodeSet(xmlXPathObjectPtr result);
    virtual ~CXMLNodeSet();

    CXMLNodeSet(const CXMLNodeSet&) = delete;
    CXMLNodeSet& operator=(const CXMLNodeSet&) = delete;

    // Number of nodes; 0 for an empty result or one that is not a node list.
    int getCount() const;

    // Points node at entry index and returns true when index is in range;
    // otherwise returns false and leaves node unchanged.
    bool getNode(int index, CXMLNode& node) const;

private:
    xmlNodeSetPtr nodes;       // not owned: lives inside result
    xmlXPathObjectPtr result;  // owned, may be null
};

} // namespace xml
