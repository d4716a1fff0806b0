#pragma once
// A parsed XML file and the entry point for XPath queries over it. The texture
// catalogue reader and the SGF model reader open one, query it for node sets,
// read what they need and destroy it; every node obtained from it goes stale
// with it. Parse errors are never printed: a malformed or missing file simply
// leaves the document unloaded, and getRefusal() says why when the file was
// refused before parsing.
//
// The file's bytes are read with a size cap and parsed from memory, so
// compressed input is never inflated, and the parser never touches the network.
// Documents with markup declarations (<!DOCTYPE, <!ENTITY, ...) are refused, so
// no entity can be expanded, and so are elements with more than
// MAX_ATTRIBUTES_PER_ELEMENT attributes (the parser's duplicate check is
// quadratic in that number).

#include <libxml/tree.h>

#include "resources/DataFile.h"

#include <cstddef>
#include <memory>
#include <string>

namespace xml {

class CXMLNodeSet;

class CXMLDocument {
public:
    static constexpr std::size_t DEFAULT_MAX_BYTES = 8u << 20;
    static constexpr std::size_t MAX_ATTRIBUTES_PER_ELEMENT = 256;

    // Parses the file; isLoaded() tells whether a document resulted.
    explicit CXMLDocument(const std::string& fileName, std::size_t maxBytes = DEFAULT_MAX_BYTES);
    // Parses text held in memory (no file, no size cap beyond the text's own).
    static std::unique_ptr<CXMLDocument> fromText(const std::string& text);
    virtual ~CXMLDocument();

    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    bool isLoaded() const;
    // Why the file was refused before parsing (missing, not a regular file, too
    // large, declarations, too many attributes); empty when it was parsed or
    // failed to parse as XML.
    const std::string& getRefusal() const;

    // How reading the file went (OK also for documents made from text).
    zel::DataFileStatus getFileStatus() const;

    // The reason text would be refused, or empty when it may be parsed.
    static std::string screen(const std::string& text);

    // Evaluates an XPath expression over the document. Returns the result (owned
    // by the caller), or null after printing why the evaluation failed. A query
    // that matches nothing yields a node set with a count of 0. Only meaningful
    // on a loaded document; an unloaded one yields null.
    std::unique_ptr<CXMLNodeSet> evaluateXPath(const std::string& expression);

private:
    CXMLDocument();
    void parse(const std::string& text, const std::string& name);

    xmlDocPtr document; // owned, may be null
    bool loaded;
    std::string refusal;
    zel::DataFileStatus fileStatus = zel::DataFileStatus::OK;
};

} // namespace xml
