#pragma once
// A parsed XML file and the entry point for XPath queries over it. The texture
// catalogue reader and the SGF model reader open one, query it for node sets,
// read what they need and destroy it; every node obtained from it goes stale
// with it. Parse errors are never printed: a malformed or missing file simply
// leaves the document unloaded.

#include <libxml/tree.h>

#include <memory>
#include <string>

namespace xml {

class CXMLNodeSet;

class CXMLDocument {
public:
    // Parses the file; isLoaded() tells whether a document resulted.
    explicit CXMLDocument(const std::string& fileName);
    virtual ~CXMLDocument();

    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    bool isLoaded() const;

    // Evaluates an XPath expression over the document. Returns the result (owned
    // by the caller), or null after printing why the evaluation failed. A query
    // that matches nothing yields a node set with a count of 0. Only meaningful
    // on a loaded document; an unloaded one yields null.
    std::unique_ptr<CXMLNodeSet> evaluateXPath(const std::string& expression);

private:
    xmlDocPtr document; // owned, may be null
    bool loaded;
};

} // namespace xml
